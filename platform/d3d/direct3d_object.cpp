#include "platform/d3d/direct3d_object.h"

#include <vector>

#include "machine/faults.h"
#include "platform/d3d/device_list.h"
#include "platform/d3d/viewport.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

Direct3DObject::Direct3DObject(IDirectDraw* directDraw) : directDraw_(directDraw) {
    if (directDraw_) directDraw_->AddRef();
}

Direct3DObject::~Direct3DObject() {
    if (directDraw_) directDraw_->Release();
}

HRESULT Direct3DObject::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    if (ppvObj && directDraw_ && IsEqualGUID(riid, IID_IDirectDraw)) return directDraw_->QueryInterface(riid, ppvObj);
    return QueryOwnInterface(riid, IID_IDirect3D, ppvObj);
}

HRESULT Direct3DObject::Initialize(REFIID) { return DDERR_ALREADYINITIALIZED; }

// Fault name: EnumDevices.
HRESULT Direct3DObject::EnumDevices(LPD3DENUMDEVICESCALLBACK lpEnumDevicesCallback, LPVOID lpUserArg) {
    if (!lpEnumDevicesCallback) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("EnumDevices")) return DDERR_GENERIC;
    for (Direct3DDeviceInfo& device : ReadDirect3DDevices()) {
        // The callback gets writable copies, as it may keep or change them.
        std::vector<char> description(device.description.begin(), device.description.end());
        std::vector<char> name(device.name.begin(), device.name.end());
        description.push_back('\0');
        name.push_back('\0');
        if (lpEnumDevicesCallback(&device.guid, description.data(), name.data(), &device.hardware, &device.software,
                                  lpUserArg) == D3DENUMRET_CANCEL) {
            break;
        }
    }
    return D3D_OK;
}

HRESULT Direct3DObject::CreateLight(LPDIRECT3DLIGHT* lplpDirect3DLight, IUnknown*) {
    if (lplpDirect3DLight) *lplpDirect3DLight = nullptr;
    WriteDiagnostic("IDirect3D::CreateLight is not implemented: the device draws lit vertices");
    return DDERR_UNSUPPORTED;
}

HRESULT Direct3DObject::CreateMaterial(LPDIRECT3DMATERIAL* lplpDirect3DMaterial, IUnknown*) {
    if (lplpDirect3DMaterial) *lplpDirect3DMaterial = nullptr;
    WriteDiagnostic("IDirect3D::CreateMaterial is not implemented: the device draws lit vertices");
    return DDERR_UNSUPPORTED;
}

// Fault name: CreateViewport.
HRESULT Direct3DObject::CreateViewport(LPDIRECT3DVIEWPORT* lplpD3DViewport, IUnknown* pUnkOuter) {
    if (!lplpD3DViewport) return DDERR_INVALIDPARAMS;
    *lplpD3DViewport = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (machine::FaultRequested("CreateViewport")) return DDERR_OUTOFMEMORY;
    *lplpD3DViewport = new Viewport();
    return D3D_OK;
}

// Finds the first device with the GUID asked for, or any hardware device.
HRESULT Direct3DObject::FindDevice(LPD3DFINDDEVICESEARCH lpD3DFDS, LPD3DFINDDEVICERESULT lplpD3DFDR) {
    if (!lpD3DFDS || !lplpD3DFDR || lpD3DFDS->dwSize != sizeof(D3DFINDDEVICESEARCH) ||
        lplpD3DFDR->dwSize != sizeof(D3DFINDDEVICERESULT)) {
        return DDERR_INVALIDPARAMS;
    }
    for (const Direct3DDeviceInfo& device : ReadDirect3DDevices()) {
        if ((lpD3DFDS->dwFlags & D3DFDS_GUID) && !IsEqualGUID(lpD3DFDS->guid, device.guid)) continue;
        if ((lpD3DFDS->dwFlags & D3DFDS_HARDWARE) && !lpD3DFDS->bHardware) continue;
        if ((lpD3DFDS->dwFlags & D3DFDS_COLORMODEL) && lpD3DFDS->dcmColorModel != D3DCOLOR_RGB) continue;
        lplpD3DFDR->guid = device.guid;
        lplpD3DFDR->ddHwDesc = device.hardware;
        lplpD3DFDR->ddSwDesc = device.software;
        return D3D_OK;
    }
    return DDERR_NOTFOUND;
}

}  // namespace brontar::platform
