// How DirectDraw reaches Direct3D: the Direct3D area registers these entry
// points when the platform library loads, as DirectDraw finds its 3D
// companion on Windows. An entry left empty answers E_NOINTERFACE.
#pragma once

#include <windows.h>

#include <cstdint>

#include "machine/board/driver.h"

struct IDirectDraw;
struct IDirectDrawSurface;

namespace brontar::platform {

// The memory of a surface made by this platform's DirectDraw, and the driver
// that draws into it. Valid while the surface lives and is not lost, and only
// until the next Flip of its chain: a flip moves the memory between the
// surfaces.
struct SurfaceMemory {
    machine::DisplayDriver* driver = nullptr;
    uint16_t* pixels = nullptr;  // RGB565, first row
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitchBytes = 0;
    bool hasSourceColorKey = false;  // DDCKEY_SRCBLT set on the surface
    uint16_t sourceColorKey = 0;     // the key's low value as RGB565
};

// False when the surface is not one of ours or is lost.
bool GetSurfaceMemory(IDirectDrawSurface* surface, SurfaceMemory* out);

struct Direct3DBridge {
    // IDirectDraw::QueryInterface(IID_IDirect3D).
    HRESULT (*createDirect3D)(IDirectDraw* directDraw, void** out) = nullptr;
    // IDirectDrawSurface::QueryInterface with a Direct3D device GUID.
    HRESULT (*createDevice)(IDirectDrawSurface* renderTarget, const GUID& deviceGuid, void** out) = nullptr;
    // IDirectDrawSurface::QueryInterface(IID_IDirect3DTexture).
    HRESULT (*createTexture)(IDirectDrawSurface* surface, void** out) = nullptr;
};

Direct3DBridge& GetDirect3DBridge();

}  // namespace brontar::platform
