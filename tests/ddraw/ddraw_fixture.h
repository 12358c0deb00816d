// Shared set-up of the DirectDraw tests: a throwaway machine, no faults, no
// window, and helpers that reach the board's driver.
#pragma once

#include <ddraw.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "machine/faults.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {

// One driver as DirectDrawEnumerateA reported it.
struct EnumeratedDriver {
    bool hasIdentity = false;
    GUID identity = GUID_NULL;
    std::string description;
    std::string name;
};

inline BOOL WINAPI CollectDriver(GUID* identity, LPSTR description, LPSTR name, LPVOID context) {
    EnumeratedDriver driver;
    driver.hasIdentity = identity != nullptr;
    if (identity != nullptr) driver.identity = *identity;
    driver.description = description;
    driver.name = name;
    static_cast<std::vector<EnumeratedDriver>*>(context)->push_back(driver);
    return DDENUMRET_OK;
}

inline std::vector<EnumeratedDriver> EnumerateDrivers() {
    std::vector<EnumeratedDriver> drivers;
    EXPECT_EQ(DirectDrawEnumerateA(CollectDriver, &drivers), DD_OK);
    return drivers;
}

// A window handle for the cooperative level; nothing draws into it.
inline HWND TestWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000)); }

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::unsetenv("BRONTAR_CAPTURE");
        UseFaults("");
    }
    void TearDown() override { UseFaults(""); }

    static void UseFaults(const char* faults) {
        ::setenv("BRONTAR_FAULTS", faults, 1);
        machine::ResetFaults();
    }

    // The DirectDraw object of the board's driver.
    IDirectDraw* CreateBoard() {
        GUID identity = GUID_NULL;
        for (const EnumeratedDriver& driver : EnumerateDrivers())
            if (driver.name == "ddcorv") identity = driver.identity;
        IDirectDraw* directDraw = nullptr;
        EXPECT_EQ(DirectDrawCreate(&identity, &directDraw, nullptr), DD_OK);
        return directDraw;
    }

    // The board in exclusive mode at the given mode.
    IDirectDraw* CreateExclusiveBoard(DWORD width = 640, DWORD height = 480) {
        IDirectDraw* directDraw = CreateBoard();
        if (directDraw == nullptr) return nullptr;
        EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                                     DDSCL_NOWINDOWCHANGES),
                  DD_OK);
        EXPECT_EQ(directDraw->SetDisplayMode(width, height, 16), DD_OK);
        return directDraw;
    }

    static DDSURFACEDESC Description() {
        DDSURFACEDESC description;
        std::memset(&description, 0, sizeof(description));
        description.dwSize = sizeof(description);
        return description;
    }

    // The primary surface with one back buffer.
    static HRESULT CreateFlippingChain(IDirectDraw* directDraw, IDirectDrawSurface** front) {
        DDSURFACEDESC description = Description();
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        description.dwBackBufferCount = 1;
        return directDraw->CreateSurface(&description, front, nullptr);
    }

    static HRESULT CreatePlain(IDirectDraw* directDraw, DWORD width, DWORD height, DWORD caps,
                               IDirectDrawSurface** surface) {
        DDSURFACEDESC description = Description();
        description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        description.dwWidth = width;
        description.dwHeight = height;
        description.ddsCaps.dwCaps = caps;
        return directDraw->CreateSurface(&description, surface, nullptr);
    }

    static IDirectDrawSurface* BackBufferOf(IDirectDrawSurface* front) {
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        IDirectDrawSurface* back = nullptr;
        EXPECT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
        return back;
    }

    // Reads (or writes) one pixel through Lock.
    static uint16_t PixelAt(IDirectDrawSurface* surface, int x, int y) {
        DDSURFACEDESC description = Description();
        if (surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEAD;
        const auto* row = static_cast<const uint8_t*>(description.lpSurface) + y * description.lPitch;
        const uint16_t pixel = reinterpret_cast<const uint16_t*>(row)[x];
        surface->Unlock(description.lpSurface);
        return pixel;
    }
    static void SetPixel(IDirectDrawSurface* surface, int x, int y, uint16_t pixel) {
        DDSURFACEDESC description = Description();
        ASSERT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        auto* row = static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch;
        reinterpret_cast<uint16_t*>(row)[x] = pixel;
        surface->Unlock(description.lpSurface);
    }

    TempMachine machine_;
};

}  // namespace brontar::testing
