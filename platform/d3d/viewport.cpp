#include "platform/d3d/viewport.h"

#include <algorithm>
#include <climits>
#include <string>

#include "machine/faults.h"
#include "platform/d3d/device.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

HRESULT NotImplemented(const char* method) {
    WriteDiagnostic(std::string("IDirect3DViewport::") + method +
                    " is not implemented: the device draws transformed and lit vertices");
    return DDERR_UNSUPPORTED;
}

int32_t ClampToInt(uint64_t value) { return int32_t(std::min<uint64_t>(value, INT32_MAX)); }

}  // namespace

HRESULT Viewport::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    return QueryOwnInterface(riid, IID_IDirect3DViewport, ppvObj);
}

HRESULT Viewport::Initialize(LPDIRECT3D) { return DDERR_ALREADYINITIALIZED; }

HRESULT Viewport::GetViewport(LPD3DVIEWPORT lpData) {
    if (!lpData || lpData->dwSize != sizeof(D3DVIEWPORT)) return DDERR_INVALIDPARAMS;
    *lpData = data_;
    lpData->dwSize = sizeof(D3DVIEWPORT);
    return D3D_OK;
}

// Fault name: SetViewport.
HRESULT Viewport::SetViewport(LPD3DVIEWPORT lpData) {
    if (!lpData || lpData->dwSize != sizeof(D3DVIEWPORT) || lpData->dwWidth == 0 || lpData->dwHeight == 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (machine::FaultRequested("SetViewport")) return D3DERR_SETVIEWPORTDATA_FAILED;
    data_ = *lpData;
    hasData_ = true;
    return D3D_OK;
}

machine::RasterClip Viewport::ClipRect() const {
    if (!hasData_) return {};
    return {ClampToInt(data_.dwX), ClampToInt(data_.dwY), ClampToInt(uint64_t(data_.dwX) + data_.dwWidth),
            ClampToInt(uint64_t(data_.dwY) + data_.dwHeight)};
}

HRESULT Viewport::TransformVertices(DWORD, LPD3DTRANSFORMDATA, DWORD, LPDWORD) {
    return NotImplemented("TransformVertices");
}
HRESULT Viewport::LightElements(DWORD, LPD3DLIGHTDATA) { return NotImplemented("LightElements"); }
HRESULT Viewport::SetBackground(D3DMATERIALHANDLE) { return NotImplemented("SetBackground"); }
HRESULT Viewport::GetBackground(LPD3DMATERIALHANDLE, LPBOOL) { return NotImplemented("GetBackground"); }
HRESULT Viewport::SetBackgroundDepth(LPDIRECTDRAWSURFACE) { return NotImplemented("SetBackgroundDepth"); }
HRESULT Viewport::GetBackgroundDepth(LPDIRECTDRAWSURFACE*, LPBOOL) { return NotImplemented("GetBackgroundDepth"); }
HRESULT Viewport::AddLight(LPDIRECT3DLIGHT) { return NotImplemented("AddLight"); }
HRESULT Viewport::DeleteLight(LPDIRECT3DLIGHT) { return NotImplemented("DeleteLight"); }
HRESULT Viewport::NextLight(LPDIRECT3DLIGHT, LPDIRECT3DLIGHT*, DWORD) { return NotImplemented("NextLight"); }

// Clears rectangles of the render target, inside the viewport, to the
// background. No background material can be set on this device, so the
// background is black; there is no depth buffer to clear.
HRESULT Viewport::Clear(DWORD dwCount, LPD3DRECT lpRects, DWORD dwFlags) {
    if (!device_) return DDERR_INVALIDPARAMS;
    if (dwCount > 0 && !lpRects) return DDERR_INVALIDPARAMS;
    if (!(dwFlags & D3DCLEAR_TARGET)) return D3D_OK;
    SurfaceMemory memory;
    if (!device_->RenderTargetMemory(&memory)) return DDERR_SURFACELOST;
    const machine::PixelBlock target{memory.pixels, memory.width, memory.height, memory.pitchBytes};
    const machine::RasterClip clip = ClipRect();
    for (DWORD i = 0; i < dwCount; ++i) {
        const machine::PixelRect rect{std::max({lpRects[i].x1, clip.left, 0}), std::max({lpRects[i].y1, clip.top, 0}),
                                      std::min({lpRects[i].x2, clip.right, target.width}),
                                      std::min({lpRects[i].y2, clip.bottom, target.height})};
        if (rect.Width() > 0 && rect.Height() > 0) memory.driver->Fill(target, rect, 0);
    }
    return D3D_OK;
}

}  // namespace brontar::platform
