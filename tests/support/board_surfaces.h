// The board's DirectDraw object and its surfaces as the DirectDraw and
// Direct3D tests use them: opening the board's driver, making plain
// surfaces, and reading and writing pixels through Lock.
#pragma once

#include <ddraw.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "machine/board/display_drivers.h"

namespace brontar::testing {

// A zeroed surface description with its size set.
inline DDSURFACEDESC SurfaceDescription() {
    DDSURFACEDESC description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    return description;
}

// The DirectDraw object of the board's driver in the default machine.
inline IDirectDraw* CreateBoardDirectDraw() {
    const machine::DriverIdentity identity = machine::BoardDriverIdentity();
    GUID board;
    std::memcpy(&board, identity.data(), sizeof(board));
    IDirectDraw* directDraw = nullptr;
    EXPECT_EQ(DirectDrawCreate(&board, &directDraw, nullptr), DD_OK);
    return directDraw;
}

inline HRESULT CreatePlainSurface(IDirectDraw* directDraw, DWORD width, DWORD height, DWORD caps,
                                  IDirectDrawSurface** surface) {
    DDSURFACEDESC description = SurfaceDescription();
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddsCaps.dwCaps = caps;
    return directDraw->CreateSurface(&description, surface, nullptr);
}

// One pixel through Lock; 0xDEAD when the surface cannot be locked.
inline uint16_t ReadPixel(IDirectDrawSurface* surface, int x, int y) {
    DDSURFACEDESC description = SurfaceDescription();
    if (surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEAD;
    const auto* row = static_cast<const uint8_t*>(description.lpSurface) + y * description.lPitch;
    const uint16_t pixel = reinterpret_cast<const uint16_t*>(row)[x];
    surface->Unlock(description.lpSurface);
    return pixel;
}

// Writes pixels row by row from the top-left corner, width to a row.
inline void WritePixels(IDirectDrawSurface* surface, DWORD width, const std::vector<uint16_t>& pixels) {
    DDSURFACEDESC description = SurfaceDescription();
    ASSERT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    for (size_t i = 0; i < pixels.size(); ++i) {
        auto* row = static_cast<uint8_t*>(description.lpSurface) + (i / width) * description.lPitch;
        reinterpret_cast<uint16_t*>(row)[i % width] = pixels[i];
    }
    surface->Unlock(description.lpSurface);
}

inline void WritePixel(IDirectDrawSurface* surface, int x, int y, uint16_t pixel) {
    DDSURFACEDESC description = SurfaceDescription();
    ASSERT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    auto* row = static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch;
    reinterpret_cast<uint16_t*>(row)[x] = pixel;
    surface->Unlock(description.lpSurface);
}

}  // namespace brontar::testing
