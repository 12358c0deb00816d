// Refused calls and lost surfaces: the failure paths programs must survive.
#include "machine/display/presentation.h"
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class LostSurfaces : public DirectDrawTest {};

DDBLTFX FillEffects(DWORD colour) {
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof(effects));
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = colour;
    return effects;
}

}  // namespace

TEST_F(LostSurfaces, NamedCallsAreRefusedWhenATestAsks) {
    UseFaults("SetCooperativeLevel@1;SetDisplayMode@1;GetDisplayMode@1;EnumDisplayModes@1;GetCaps@1;"
              "CreateSurface@1;GetAttachedSurface@1;GetSurfaceDesc@1;Lock@1;Blt@1;BltFast@1;Flip@1;SetColorKey@1");
    IDirectDraw* directDraw = CreateBoardDirectDraw();
    const DWORD exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), exclusive), DDERR_GENERIC);
    EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), exclusive), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16), DDERR_GENERIC);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
    DDSURFACEDESC mode = SurfaceDescription();
    EXPECT_EQ(directDraw->GetDisplayMode(&mode), DDERR_GENERIC);
    DDCAPS caps;
    std::memset(&caps, 0, sizeof(caps));
    caps.dwSize = sizeof(caps);
    EXPECT_EQ(directDraw->GetCaps(&caps, nullptr), DDERR_GENERIC);
    EXPECT_EQ(directDraw->EnumDisplayModes(0, nullptr, nullptr, [](LPDDSURFACEDESC, LPVOID) -> HRESULT {
        return DDENUMRET_OK;
    }),
              DDERR_GENERIC);

    IDirectDrawSurface* front = nullptr;
    EXPECT_EQ(CreateFlippingChain(directDraw, &front), DDERR_GENERIC);
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* back = nullptr;
    EXPECT_EQ(front->GetAttachedSurface(&backCaps, &back), DDERR_GENERIC);
    EXPECT_EQ(back, nullptr);
    back = BackBufferOf(front);
    DDSURFACEDESC locked = SurfaceDescription();
    EXPECT_EQ(back->GetSurfaceDesc(&locked), DDERR_GENERIC);
    EXPECT_EQ(back->GetSurfaceDesc(&locked), DD_OK);
    EXPECT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_GENERIC);
    DDBLTFX effects = FillEffects(0);
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DDERR_GENERIC);
    EXPECT_EQ(back->BltFast(0, 0, front, nullptr, 0), DDERR_GENERIC);
    DDCOLORKEY black{0, 0};
    EXPECT_EQ(back->SetColorKey(DDCKEY_SRCBLT, &black), DDERR_GENERIC);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_GENERIC);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    front->Release();
    directDraw->Release();
}

TEST_F(LostSurfaces, TheChosenFlipLosesTheBoardsSurfacesUntilRestored) {
    UseFaults("LoseSurfaces@2");
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    IDirectDrawSurface* back = BackBufferOf(front);
    IDirectDrawSurface* text = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, &text), DD_OK);
    IDirectDrawSurface* system = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, &system), DD_OK);
    IDirectDrawSurface* texture = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, &texture), DD_OK);
    WritePixel(texture, 7, 7, 0x1234);

    const uint64_t frames = brontar::machine::PresentedFrameCount();
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    WritePixel(back, 0, 0, 0xFFFF);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(brontar::machine::PresentedFrameCount(), frames + 1);  // the lost flip showed nothing

    for (IDirectDrawSurface* surface : {front, back, text}) EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
    // System memory and the board's texture memory keep their surfaces.
    EXPECT_EQ(system->IsLost(), DD_OK);
    EXPECT_EQ(ReadPixel(texture, 7, 7), 0x1234);
    DDSURFACEDESC locked = SurfaceDescription();
    EXPECT_EQ(back->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACELOST);
    DDBLTFX effects = FillEffects(0);
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DDERR_SURFACELOST);
    EXPECT_EQ(back->BltFast(0, 0, text, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(back->BltFast(0, 0, system, nullptr, 0), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(text->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(system->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DD_OK);

    // Restoring the front buffer brings its back buffer back, without content.
    ASSERT_EQ(front->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK);
    EXPECT_EQ(text->IsLost(), DDERR_SURFACELOST);
    ASSERT_EQ(text->Restore(), DD_OK);
    EXPECT_EQ(ReadPixel(back, 0, 0), 0);
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects), DD_OK);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(brontar::machine::PresentedFrameCount(), frames + 2);

    texture->Release();
    system->Release();
    text->Release();
    front->Release();
    directDraw->Release();
}

TEST_F(LostSurfaces, AModeSwitchLosesFrameBufferSurfacesAndPrimariesOnlyComeBackInTheirMode) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    IDirectDrawSurface* texture = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, &texture), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(800, 600, 16), DD_OK);
    EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(texture->IsLost(), DD_OK);  // texture memory is the board's own
    EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(front->Restore(), DD_OK);
    // Setting the mode it already runs loses nothing.
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(front->IsLost(), DD_OK);
    texture->Release();
    front->Release();
    directDraw->Release();
}
