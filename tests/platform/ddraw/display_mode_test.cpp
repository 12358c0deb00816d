// Cooperative level, display modes and capabilities of the board's driver.
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class BoardModes : public DirectDrawTest {};

struct ModeList {
    std::vector<std::string> modes;
    int stopAfter = 0;  // 0: never
};

HRESULT WINAPI CollectMode(LPDDSURFACEDESC description, LPVOID context) {
    auto* list = static_cast<ModeList*>(context);
    const DDPIXELFORMAT& format = description->ddpfPixelFormat;
    std::string text = std::to_string(description->dwWidth) + "x" + std::to_string(description->dwHeight) + "x" +
                       std::to_string(format.dwRGBBitCount);
    if (format.dwRBitMask != 0xF800 || format.dwGBitMask != 0x07E0 || format.dwBBitMask != 0x001F) text += "?";
    list->modes.push_back(text);
    return list->stopAfter != 0 && static_cast<int>(list->modes.size()) == list->stopAfter ? DDENUMRET_CANCEL
                                                                                            : DDENUMRET_OK;
}

constexpr DWORD kExclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES;

}  // namespace

TEST_F(BoardModes, ListsTheFourBoardModesInRgb565AndStopsOnCancel) {
    IDirectDraw* directDraw = CreateBoardDirectDraw();
    ModeList all;
    ASSERT_EQ(directDraw->EnumDisplayModes(0, nullptr, &all, CollectMode), DD_OK);
    EXPECT_EQ(all.modes, (std::vector<std::string>{"512x384x16", "640x400x16", "640x480x16", "800x600x16"}));
    ModeList first{{}, 1};
    ASSERT_EQ(directDraw->EnumDisplayModes(0, nullptr, &first, CollectMode), DD_OK);
    EXPECT_EQ(first.modes.size(), 1u);

    DDSURFACEDESC filter = SurfaceDescription();
    filter.dwFlags = DDSD_WIDTH;
    filter.dwWidth = 640;
    ModeList wide;
    ASSERT_EQ(directDraw->EnumDisplayModes(0, &filter, &wide, CollectMode), DD_OK);
    EXPECT_EQ(wide.modes, (std::vector<std::string>{"640x400x16", "640x480x16"}));
    EXPECT_EQ(directDraw->EnumDisplayModes(0, nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    directDraw->Release();
}

TEST_F(BoardModes, SetsOnlyListedModesAndGivesTheModeBackOnRelease) {
    IDirectDraw* directDraw = CreateBoardDirectDraw();
    ASSERT_EQ(directDraw->SetCooperativeLevel(TestWindow(), kExclusive), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(1024, 768, 16), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 8), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(0xFFFFFFFF, 480, 16), DDERR_INVALIDMODE);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16), DD_OK);
    DDSURFACEDESC mode = SurfaceDescription();
    ASSERT_EQ(directDraw->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 800u);
    EXPECT_EQ(mode.dwHeight, 600u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);

    // A second program object sees the same device, and the desktop mode
    // once the first one is gone.
    IDirectDraw* observer = CreateBoardDirectDraw();
    ASSERT_EQ(observer->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 800u);
    EXPECT_EQ(directDraw->Release(), 0u);
    ASSERT_EQ(observer->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 640u);
    EXPECT_EQ(mode.dwHeight, 480u);
    observer->Release();
}

TEST_F(BoardModes, CooperativeLevelFlagsMustMakeSense) {
    IDirectDraw* directDraw = CreateBoardDirectDraw();
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, kExclusive), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), 0x15), DD_OK);
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_NORMAL), DD_OK);
    directDraw->Release();
}

TEST_F(BoardModes, OnlyOneProgramObjectHoldsTheBoardExclusively) {
    IDirectDraw* owner = CreateBoardDirectDraw();
    IDirectDraw* other = CreateBoardDirectDraw();
    ASSERT_EQ(owner->SetCooperativeLevel(TestWindow(), kExclusive), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(TestWindow(), kExclusive), DDERR_EXCLUSIVEMODEALREADYSET);
    EXPECT_EQ(other->SetDisplayMode(512, 384, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(owner->SetCooperativeLevel(TestWindow(), DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(other->SetCooperativeLevel(TestWindow(), kExclusive), DD_OK);
    owner->Release();
    other->Release();
}

TEST_F(BoardModes, CapsReportTheBoardAndItsFreeVideoMemory) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    DDCAPS driver;
    DDCAPS emulation;
    std::memset(&driver, 0, sizeof(driver));
    std::memset(&emulation, 0, sizeof(emulation));
    driver.dwSize = 316;
    emulation.dwSize = 316;
    ASSERT_EQ(directDraw->GetCaps(&driver, &emulation), DD_OK);
    EXPECT_EQ(driver.dwCaps, DWORD(DDCAPS_3D | DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_CANBLTSYSMEM));
    EXPECT_EQ(driver.dwCKeyCaps, DWORD(DDCKEYCAPS_SRCBLT | DDCKEYCAPS_DESTBLT));
    EXPECT_EQ(driver.ddsCaps.dwCaps,
              DWORD(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER | DDSCAPS_BACKBUFFER |
                    DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE));
    EXPECT_EQ(emulation.dwCaps, DWORD(DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_CANBLTSYSMEM));
    EXPECT_EQ(emulation.dwCKeyCaps, DWORD(DDCKEYCAPS_SRCBLT | DDCKEYCAPS_DESTBLT));
    EXPECT_EQ(emulation.ddsCaps.dwCaps, DWORD(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE));
    EXPECT_EQ(emulation.dwVidMemTotal, 0u);
    EXPECT_EQ(driver.dwVidMemTotal, 4u * 1024 * 1024);
    EXPECT_EQ(driver.dwVidMemFree, 4u * 1024 * 1024);

    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    ASSERT_EQ(directDraw->GetCaps(&driver, nullptr), DD_OK);
    EXPECT_EQ(driver.dwVidMemFree, 4u * 1024 * 1024 - 2u * 640 * 480 * 2);

    driver.dwSize = 100;
    EXPECT_EQ(directDraw->GetCaps(&driver, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
    front->Release();
    directDraw->Release();
}
