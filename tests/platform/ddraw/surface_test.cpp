// Surfaces: flipping chains, flips and presentation, locks, reference
// counts and video memory.
#include <d3d.h>

#include "machine/display/presentation.h"
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class Surfaces : public DirectDrawTest {};

constexpr uint16_t kPureRed = 0xF800;

}  // namespace

TEST_F(Surfaces, FlippingChainHasAFrontAndABackBufferInVideoMemory) {
    IDirectDraw* directDraw = CreateExclusiveBoard(800, 600);
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    DDSURFACEDESC description = SurfaceDescription();
    ASSERT_EQ(front->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.dwWidth, 800u);
    EXPECT_EQ(description.dwHeight, 600u);
    EXPECT_EQ(description.dwBackBufferCount, 1u);
    const DWORD frontCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER |
                            DDSCAPS_VIDEOMEMORY | DDSCAPS_3DDEVICE;
    EXPECT_EQ(description.ddsCaps.dwCaps & frontCaps, frontCaps);
    EXPECT_EQ(description.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(description.ddpfPixelFormat.dwGBitMask, 0x07E0u);

    IDirectDrawSurface* back = BackBufferOf(front);
    ASSERT_NE(back, nullptr);
    DDSCAPS caps{};
    ASSERT_EQ(back->GetCaps(&caps), DD_OK);
    EXPECT_NE(caps.dwCaps & DDSCAPS_BACKBUFFER, 0u);
    EXPECT_EQ(caps.dwCaps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER), 0u);
    EXPECT_NE(caps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);

    // Only one primary surface per program object.
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(CreateFlippingChain(directDraw, &second), DDERR_PRIMARYSURFACEALREADYEXISTS);
    front->Release();
    EXPECT_EQ(CreateFlippingChain(directDraw, &second), DD_OK);
    second->Release();
    directDraw->Release();
}

TEST_F(Surfaces, AFlipShowsWhatWasDrawnIntoTheBackBuffer) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    IDirectDrawSurface* back = BackBufferOf(front);
    WritePixel(back, 10, 20, kPureRed);

    const uint64_t framesBefore = brontar::machine::PresentedFrameCount();
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(brontar::machine::PresentedFrameCount(), framesBefore + 1);
    const brontar::machine::RgbPicture picture = brontar::machine::LastPresentedPicture();
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    const size_t at = (20 * 640 + 10) * 3;
    // Full red stays full under any gamma; black stays black.
    EXPECT_EQ(picture.rgb[at], 255);
    EXPECT_EQ(picture.rgb[at + 1], 0);
    EXPECT_EQ(picture.rgb[at + 2], 0);
    EXPECT_EQ(picture.rgb[at + 3], 0);

    // The memory moved: the front buffer holds the picture, the back buffer
    // the old front buffer.
    EXPECT_EQ(ReadPixel(front, 10, 20), kPureRed);
    EXPECT_EQ(ReadPixel(back, 10, 20), 0);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    // Without exclusive mode nothing flips.
    ASSERT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_NOEXCLUSIVEMODE);
    front->Release();
    directDraw->Release();
}

TEST_F(Surfaces, FlippingChainsNeedExclusiveModeAndAValidCount) {
    IDirectDraw* directDraw = CreateBoardDirectDraw();
    IDirectDrawSurface* front = nullptr;
    EXPECT_EQ(CreateFlippingChain(directDraw, &front), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(CreateFlippingChain(directDraw, &front), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(front, nullptr);

    DDSURFACEDESC description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP;  // not complex
    description.dwBackBufferCount = 1;
    EXPECT_EQ(directDraw->CreateSurface(&description, &front, nullptr), DDERR_INVALIDCAPS);
    description.dwSize = 100;
    EXPECT_EQ(directDraw->CreateSurface(&description, &front, nullptr), DDERR_INVALIDPARAMS);
    directDraw->Release();
}

TEST_F(Surfaces, LockReportsThePaddedPitchOfEachMemory) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    struct Case {
        DWORD width;
        DWORD caps;
        LONG pitch;
    };
    // Video memory rows are padded to 8 bytes, system memory rows to 4.
    for (const Case& c : {Case{3, DDSCAPS_VIDEOMEMORY, 8}, Case{5, DDSCAPS_VIDEOMEMORY, 16},
                          Case{5, DDSCAPS_SYSTEMMEMORY, 12}, Case{4, DDSCAPS_SYSTEMMEMORY, 8}}) {
        IDirectDrawSurface* surface = nullptr;
        ASSERT_EQ(CreatePlainSurface(directDraw, c.width, 3, DDSCAPS_OFFSCREENPLAIN | c.caps, &surface), DD_OK);
        DDSURFACEDESC description = SurfaceDescription();
        ASSERT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_EQ(description.lPitch, c.pitch) << c.width;
        EXPECT_NE(description.dwFlags & DDSD_LPSURFACE, 0u);
        EXPECT_NE(description.ddsCaps.dwCaps & c.caps, 0u);
        EXPECT_EQ(surface->Unlock(nullptr), DD_OK);

        // A rectangle starts the memory at its corner.
        RECT rect{1, 2, 3, 3};
        auto* base = static_cast<uint8_t*>(description.lpSurface);
        ASSERT_EQ(surface->Lock(&rect, &description, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_EQ(static_cast<uint8_t*>(description.lpSurface), base + 2 * c.pitch + 2);
        surface->Unlock(description.lpSurface);
        surface->Release();
    }
    directDraw->Release();
}

TEST_F(Surfaces, LocksAreExclusiveAndBoundedToTheSurface) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* surface = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_OFFSCREENPLAIN, &surface), DD_OK);
    DDSURFACEDESC description = SurfaceDescription();
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    RECT outside{4, 4, 9, 8};
    EXPECT_EQ(surface->Lock(&outside, &description, 0, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(surface->Lock(nullptr, &description, 0, nullptr), DD_OK);
    DDSURFACEDESC again = SurfaceDescription();
    EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
    DDBLTFX fill;
    std::memset(&fill, 0, sizeof(fill));
    fill.dwSize = sizeof(fill);
    EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fill), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(description.lpSurface), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    surface->Release();
    directDraw->Release();
}

TEST_F(Surfaces, ReferenceCountsOfSurfacesAndAttachments) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    EXPECT_EQ(front->AddRef(), 2u);
    EXPECT_EQ(front->Release(), 1u);

    // The front buffer holds the back buffer; GetAttachedSurface adds one.
    IDirectDrawSurface* back = BackBufferOf(front);
    EXPECT_EQ(back->AddRef(), 3u);
    EXPECT_EQ(back->Release(), 2u);
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(back->Release(), 1u);  // cannot take the front buffer's hold

    IDirectDrawSurface* same = nullptr;
    ASSERT_EQ(front->QueryInterface(IID_IDirectDrawSurface, reinterpret_cast<void**>(&same)), DD_OK);
    EXPECT_EQ(same, front);
    EXPECT_EQ(front->Release(), 1u);

    // A back buffer kept beyond its front buffer stays a valid object, but
    // its memory went with the chain.
    back = BackBufferOf(front);
    EXPECT_EQ(front->Release(), 0u);
    DDSURFACEDESC locked = SurfaceDescription();
    EXPECT_EQ(back->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(back->Restore(), DDERR_INVALIDOBJECT);
    EXPECT_EQ(back->Release(), 0u);

    EXPECT_EQ(directDraw->AddRef(), 2u);
    EXPECT_EQ(directDraw->Release(), 1u);
    EXPECT_EQ(directDraw->Release(), 0u);
}

TEST_F(Surfaces, VideoMemoryRunsOutAndFreedMemoryIsReused) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    // 2 MB of texture memory hold sixteen 256x256 textures of 128 KB.
    std::vector<IDirectDrawSurface*> textures;
    for (int i = 0; i < 16; ++i) {
        IDirectDrawSurface* texture = nullptr;
        ASSERT_EQ(CreatePlainSurface(directDraw, 256, 256, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, &texture), DD_OK) << i;
        textures.push_back(texture);
    }
    IDirectDrawSurface* extra = nullptr;
    EXPECT_EQ(CreatePlainSurface(directDraw, 256, 256, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, &extra),
              DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(extra, nullptr);

    // Naming no memory falls back to system memory.
    ASSERT_EQ(CreatePlainSurface(directDraw, 256, 256, DDSCAPS_TEXTURE, &extra), DD_OK);
    DDSCAPS caps{};
    extra->GetCaps(&caps);
    EXPECT_NE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_EQ(caps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
    extra->Release();

    // Textures do not take frame buffer memory.
    IDirectDrawSurface* plain = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 256, 256, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, &plain), DD_OK);
    plain->Release();

    textures.back()->Release();
    textures.pop_back();
    ASSERT_EQ(CreatePlainSurface(directDraw, 256, 256, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY, &extra), DD_OK);
    extra->Release();
    for (IDirectDrawSurface* texture : textures) texture->Release();
    directDraw->Release();
}

TEST_F(Surfaces, TheLargestModeLeavesLittleFrameBufferForOffscreenSurfaces) {
    IDirectDraw* directDraw = CreateExclusiveBoard(800, 600);
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    // 2,097,152 - 2 x 960,000 = 177,152 bytes are left.
    IDirectDrawSurface* plain = nullptr;
    EXPECT_EQ(CreatePlainSurface(directDraw, 400, 300, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, &plain),
              DDERR_OUTOFVIDEOMEMORY);
    ASSERT_EQ(CreatePlainSurface(directDraw, 400, 200, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, &plain), DD_OK);
    plain->Release();
    front->Release();
    directDraw->Release();
}

TEST_F(Surfaces, DescriptionsOutsideTheBoardsFormatAreRefused) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    DDSURFACEDESC description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.dwWidth = 16;
    description.dwHeight = 16;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    description.ddpfPixelFormat.dwFlags = DDPF_RGB;
    description.ddpfPixelFormat.dwRGBBitCount = 16;
    description.ddpfPixelFormat.dwRBitMask = 0x7C00;  // 555
    description.ddpfPixelFormat.dwGBitMask = 0x03E0;
    description.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPIXELFORMAT);
    description.ddpfPixelFormat.dwRBitMask = 0xF800;
    description.ddpfPixelFormat.dwGBitMask = 0x07E0;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    surface->Release();

    EXPECT_EQ(CreatePlainSurface(directDraw, 0, 16, DDSCAPS_OFFSCREENPLAIN, &surface), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlainSurface(directDraw, 5000, 16, DDSCAPS_OFFSCREENPLAIN, &surface), DDERR_TOOBIGWIDTH);
    EXPECT_EQ(CreatePlainSurface(directDraw, 16, 16, DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY, &surface),
              DDERR_INVALIDCAPS);
    directDraw->Release();
}

TEST_F(Surfaces, ReleasingTheFrontBufferFreesAnUnreleasedBackBuffersMemory) {
    IDirectDraw* directDraw = CreateExclusiveBoard(800, 600);
    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    IDirectDrawSurface* back = BackBufferOf(front);  // kept, as programs often do
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(front->Release(), 0u);
    DDCAPS caps;
    std::memset(&caps, 0, sizeof(caps));
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(directDraw->GetCaps(&caps, nullptr), DD_OK);
    EXPECT_EQ(caps.dwVidMemFree, 4u * 1024 * 1024);
    // The chain can be made again at once.
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    front->Release();
    back->Release();
    directDraw->Release();
}

TEST_F(Surfaces, ALockedTexturesDescriptionMakesItsVideoMemoryTwin) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    DDSURFACEDESC description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    description.dwWidth = 61;  // odd: rows are padded
    description.dwHeight = 2;
    description.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE;
    description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    description.ddpfPixelFormat.dwFlags = DDPF_RGB;
    description.ddpfPixelFormat.dwRGBBitCount = 16;
    description.ddpfPixelFormat.dwRBitMask = 0xF800;
    description.ddpfPixelFormat.dwGBitMask = 0x07E0;
    description.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface* source = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &source, nullptr), DD_OK);

    DDSURFACEDESC locked = SurfaceDescription();
    ASSERT_EQ(source->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    EXPECT_EQ(locked.lPitch, 124);  // 122 bytes padded to 4
    source->Unlock(nullptr);

    locked.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    locked.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_ALLOCONLOAD;
    IDirectDrawSurface* video = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&locked, &video, nullptr), DD_OK);
    DDSURFACEDESC twin = SurfaceDescription();
    ASSERT_EQ(video->GetSurfaceDesc(&twin), DD_OK);
    EXPECT_EQ(twin.dwWidth, 61u);
    EXPECT_EQ(twin.dwHeight, 2u);
    EXPECT_EQ(twin.lPitch, 128);  // 122 bytes padded to 8
    EXPECT_EQ(twin.ddsCaps.dwCaps & (DDSCAPS_TEXTURE | DDSCAPS_ALLOCONLOAD | DDSCAPS_VIDEOMEMORY),
              DWORD(DDSCAPS_TEXTURE | DDSCAPS_ALLOCONLOAD | DDSCAPS_VIDEOMEMORY));
    video->Release();
    source->Release();
    directDraw->Release();
}

TEST_F(Surfaces, Direct3DInterfacesAreReachedThroughQueryInterface) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IUnknown* direct3D = nullptr;
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D, reinterpret_cast<void**>(&direct3D)), DD_OK);
    ASSERT_NE(direct3D, nullptr);
    direct3D->Release();

    IDirectDrawSurface* texture = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 8, 8, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, &texture), DD_OK);
    IUnknown* textureInterface = nullptr;
    ASSERT_EQ(texture->QueryInterface(IID_IDirect3DTexture, reinterpret_cast<void**>(&textureInterface)), DD_OK);
    textureInterface->Release();
    // No device has the all-zero identity.
    void* device = reinterpret_cast<void*>(1);
    EXPECT_EQ(texture->QueryInterface(GUID_NULL, &device), E_NOINTERFACE);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(texture->QueryInterface(IID_IDirectDraw, &device), E_NOINTERFACE);
    texture->Release();
    directDraw->Release();
}
