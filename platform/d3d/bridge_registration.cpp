// Registers the Direct3D entry points with DirectDraw when the platform
// library loads.
#include <d3d.h>

#include "machine/faults.h"
#include "platform/d3d/device.h"
#include "platform/d3d/device_list.h"
#include "platform/d3d/direct3d_object.h"
#include "platform/d3d/texture.h"
#include "platform/ddraw/direct3d_bridge.h"

namespace brontar::platform {

namespace {

// IDirectDraw::QueryInterface(IID_IDirect3D). Fault name: CreateDirect3D.
HRESULT CreateDirect3D(IDirectDraw* directDraw, void** out) {
    *out = nullptr;
    if (machine::FaultRequested("CreateDirect3D")) return E_NOINTERFACE;
    *out = static_cast<IDirect3D*>(new Direct3DObject(directDraw));
    return S_OK;
}

// IDirectDrawSurface::QueryInterface with a device GUID: only the devices
// the machine lists, on a surface the device can draw into. Fault name:
// CreateDevice.
HRESULT CreateDevice(IDirectDrawSurface* renderTarget, const GUID& deviceGuid, void** out) {
    *out = nullptr;
    Direct3DDeviceInfo info;
    if (!FindDirect3DDevice(deviceGuid, &info)) return E_NOINTERFACE;
    SurfaceMemory memory;
    if (!GetSurfaceMemory(renderTarget, &memory)) return E_NOINTERFACE;
    if (machine::FaultRequested("CreateDevice")) return E_NOINTERFACE;
    *out = static_cast<IDirect3DDevice*>(new Direct3DDevice(renderTarget, info));
    return S_OK;
}

// IDirectDrawSurface::QueryInterface(IID_IDirect3DTexture). Fault name:
// CreateTexture.
HRESULT CreateTexture(IDirectDrawSurface* surface, void** out) {
    *out = nullptr;
    if (machine::FaultRequested("CreateTexture")) return E_NOINTERFACE;
    *out = static_cast<IDirect3DTexture*>(new Texture(surface));
    return S_OK;
}

[[maybe_unused]] const bool registered = [] {
    Direct3DBridge& bridge = GetDirect3DBridge();
    bridge.createDirect3D = CreateDirect3D;
    bridge.createDevice = CreateDevice;
    bridge.createTexture = CreateTexture;
    return true;
}();

}  // namespace

}  // namespace brontar::platform
