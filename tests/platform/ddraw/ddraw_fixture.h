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
#include "tests/support/board_surfaces.h"
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

    // The board in exclusive mode at the given mode.
    IDirectDraw* CreateExclusiveBoard(DWORD width = 640, DWORD height = 480) {
        IDirectDraw* directDraw = CreateBoardDirectDraw();
        if (directDraw == nullptr) return nullptr;
        EXPECT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                                     DDSCL_NOWINDOWCHANGES),
                  DD_OK);
        EXPECT_EQ(directDraw->SetDisplayMode(width, height, 16), DD_OK);
        return directDraw;
    }

    // The primary surface with one back buffer.
    static HRESULT CreateFlippingChain(IDirectDraw* directDraw, IDirectDrawSurface** front) {
        DDSURFACEDESC description = SurfaceDescription();
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        description.dwBackBufferCount = 1;
        return directDraw->CreateSurface(&description, front, nullptr);
    }

    static IDirectDrawSurface* BackBufferOf(IDirectDrawSurface* front) {
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        IDirectDrawSurface* back = nullptr;
        EXPECT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
        return back;
    }

    TempMachine machine_;
};

}  // namespace brontar::testing
