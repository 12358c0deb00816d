// Device contexts over surfaces: one at a time, and never alongside a lock.
#include "tests/platform/ddraw/ddraw_fixture.h"

using namespace brontar::testing;

namespace {

class SurfaceDeviceContexts : public DirectDrawTest {};

}  // namespace

TEST_F(SurfaceDeviceContexts, OneContextAtATimeAndItBlocksLocksAndFlips) {
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* surface = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 64, 16, DDSCAPS_OFFSCREENPLAIN, &surface), DD_OK);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    ASSERT_NE(dc, nullptr);
    HDC second = nullptr;
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    DDSURFACEDESC locked = SurfaceDescription();
    EXPECT_EQ(surface->Lock(nullptr, &locked, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->ReleaseDC(reinterpret_cast<HDC>(static_cast<uintptr_t>(0x42))), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);
    ASSERT_EQ(surface->Lock(nullptr, &locked, 0, nullptr), DD_OK);
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    surface->Unlock(nullptr);

    IDirectDrawSurface* front = nullptr;
    ASSERT_EQ(CreateFlippingChain(directDraw, &front), DD_OK);
    IDirectDrawSurface* back = BackBufferOf(front);
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->ReleaseDC(dc);
    EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);

    // A surface released with its context still out gives the context back.
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->Release(), 0u);
    front->Release();
    directDraw->Release();
}

TEST_F(SurfaceDeviceContexts, RefusedWhenATestAsks) {
    UseFaults("GetDC@1");
    IDirectDraw* directDraw = CreateExclusiveBoard();
    IDirectDrawSurface* surface = nullptr;
    ASSERT_EQ(CreatePlainSurface(directDraw, 16, 16, DDSCAPS_OFFSCREENPLAIN, &surface), DD_OK);
    HDC dc = reinterpret_cast<HDC>(static_cast<uintptr_t>(1));
    EXPECT_EQ(surface->GetDC(&dc), DDERR_GENERIC);
    EXPECT_EQ(dc, nullptr);
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    surface->ReleaseDC(dc);
    surface->Release();
    directDraw->Release();
}
