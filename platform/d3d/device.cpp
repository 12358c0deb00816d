#include "platform/d3d/device.h"

#include <algorithm>
#include <string>

#include "machine/faults.h"
#include "platform/d3d/execute_buffer.h"
#include "platform/d3d/execute_interpreter.h"
#include "platform/d3d/texture.h"
#include "platform/d3d/viewport.h"
#include "platform/ddraw/direct3d_bridge.h"
#include "platform/ddraw/surface_format.h"
#include "platform/kernel/debug_notes.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

HRESULT NotImplemented(const char* method, const char* why) {
    WriteDiagnostic(std::string("IDirect3DDevice::") + method + " is not implemented: " + why);
    return DDERR_UNSUPPORTED;
}

// The one texture format of the device: RGB565.
DDSURFACEDESC Rgb565TextureFormat() {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    FillPixelFormat(16, &desc.ddpfPixelFormat);
    return desc;
}

}  // namespace

Direct3DDevice::Direct3DDevice(IDirectDrawSurface* renderTarget, const Direct3DDeviceInfo& info)
    : renderTarget_(renderTarget), info_(info) {
    renderTarget_->AddRef();
    stats_.dwSize = sizeof(stats_);
}

Direct3DDevice::~Direct3DDevice() {
    for (Viewport* viewport : viewports_) {
        viewport->SetDevice(nullptr);
        viewport->Release();
    }
    renderTarget_->Release();
}

HRESULT Direct3DDevice::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    // The device answers to its own identity as well, as on Windows.
    if (ppvObj && IsEqualGUID(riid, info_.guid)) return QueryOwnInterface(IID_IDirect3DDevice, IID_IDirect3DDevice, ppvObj);
    return QueryOwnInterface(riid, IID_IDirect3DDevice, ppvObj);
}

HRESULT Direct3DDevice::Initialize(LPDIRECT3D, LPGUID, LPD3DDEVICEDESC) { return DDERR_ALREADYINITIALIZED; }

HRESULT Direct3DDevice::GetCaps(LPD3DDEVICEDESC lpD3DHWDevDesc, LPD3DDEVICEDESC lpD3DHELDevDesc) {
    if (!lpD3DHWDevDesc || !lpD3DHELDevDesc || lpD3DHWDevDesc->dwSize != sizeof(D3DDEVICEDESC) ||
        lpD3DHELDevDesc->dwSize != sizeof(D3DDEVICEDESC)) {
        return DDERR_INVALIDPARAMS;
    }
    *lpD3DHWDevDesc = info_.hardware;
    *lpD3DHELDevDesc = info_.software;
    return D3D_OK;
}

HRESULT Direct3DDevice::SwapTextureHandles(LPDIRECT3DTEXTURE, LPDIRECT3DTEXTURE) {
    return NotImplemented("SwapTextureHandles", "texture handles stay with their textures");
}

// Fault name: CreateExecuteBuffer.
HRESULT Direct3DDevice::CreateExecuteBuffer(LPD3DEXECUTEBUFFERDESC lpDesc,
                                            LPDIRECT3DEXECUTEBUFFER* lplpDirect3DExecuteBuffer, IUnknown* pUnkOuter) {
    if (!lplpDirect3DExecuteBuffer) return DDERR_INVALIDPARAMS;
    *lplpDirect3DExecuteBuffer = nullptr;
    // The size, flags, caps and buffer size come first in every layout of
    // the description, so only they are read here.
    if (!lpDesc || lpDesc->dwSize < offsetof(D3DEXECUTEBUFFERDESC, lpData) || !(lpDesc->dwFlags & D3DDEB_BUFSIZE)) {
        return DDERR_INVALIDPARAMS;
    }
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    if (lpDesc->dwBufferSize == 0 || lpDesc->dwBufferSize > info_.hardware.dwMaxBufferSize)
        return D3DERR_EXECUTE_CREATE_FAILED;
    if (machine::FaultRequested("CreateExecuteBuffer")) return D3DERR_EXECUTE_CREATE_FAILED;
    if (lpDesc->dwFlags & D3DDEB_LPDATA) {
        DebugNote(DebugChannel::D3d,
                  "IDirect3DDevice::CreateExecuteBuffer: memory supplied by the program is not used");
    }
    const DWORD caps = (lpDesc->dwFlags & D3DDEB_CAPS) && (lpDesc->dwCaps & D3DDEBCAPS_MEM) ? lpDesc->dwCaps & D3DDEBCAPS_MEM
                                                                                          : D3DDEBCAPS_SYSTEMMEMORY;
    *lplpDirect3DExecuteBuffer = new ExecuteBuffer(lpDesc->dwBufferSize, caps);
    return D3D_OK;
}

HRESULT Direct3DDevice::GetStats(LPD3DSTATS lpD3DStats) {
    if (!lpD3DStats || lpD3DStats->dwSize != sizeof(D3DSTATS)) return DDERR_INVALIDPARAMS;
    *lpD3DStats = stats_;
    return D3D_OK;
}

bool Direct3DDevice::RenderTargetMemory(SurfaceMemory* out) const { return GetSurfaceMemory(renderTarget_, out); }

// Runs an execute buffer's stream inside a scene, on a viewport of this
// device. A stream the interpreter refuses draws nothing and fails with its
// reason written as a diagnostic. Fault name: Execute.
HRESULT Direct3DDevice::Execute(LPDIRECT3DEXECUTEBUFFER lpDirect3DExecuteBuffer, LPDIRECT3DVIEWPORT lpDirect3DViewport,
                                DWORD) {
    auto* buffer = dynamic_cast<ExecuteBuffer*>(lpDirect3DExecuteBuffer);
    auto* viewport = dynamic_cast<Viewport*>(lpDirect3DViewport);
    if (!buffer || !viewport || viewport->Device() != this) return DDERR_INVALIDPARAMS;
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (buffer->IsLocked()) return D3DERR_EXECUTE_LOCKED;
    if (machine::FaultRequested("Execute")) return D3DERR_EXECUTE_FAILED;
    SurfaceMemory target;
    if (!RenderTargetMemory(&target)) return DDERR_SURFACELOST;
    ExecuteContext context;
    context.driver = target.driver;
    context.target = {target.pixels, target.width, target.height, target.pitchBytes};
    context.clip = viewport->ClipRect();
    context.states = &states_;
    context.findTexture = Texture::FindTexels;
    const ExecuteOutcome outcome = RunExecuteBuffer(buffer->Bytes(), buffer->ExecuteData(), context);
    stats_.dwTrianglesDrawn += outcome.trianglesDrawn;
    stats_.dwVerticesProcessed += outcome.verticesProcessed;
    switch (outcome.error) {
    case ExecuteError::None:
        return D3D_OK;
    case ExecuteError::BadExecuteData:
        WriteDiagnostic("IDirect3DDevice::Execute refused: " + outcome.problem);
        return DDERR_INVALIDPARAMS;
    case ExecuteError::MalformedStream:
        WriteDiagnostic("IDirect3DDevice::Execute refused: " + outcome.problem);
        return D3DERR_EXECUTE_FAILED;
    }
    return D3DERR_EXECUTE_FAILED;
}

// Fault name: AddViewport.
HRESULT Direct3DDevice::AddViewport(LPDIRECT3DVIEWPORT lpDirect3DViewport) {
    auto* viewport = dynamic_cast<Viewport*>(lpDirect3DViewport);
    if (!viewport || viewport->Device()) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("AddViewport")) return DDERR_GENERIC;
    viewport->AddRef();
    viewport->SetDevice(this);
    viewports_.push_back(viewport);
    return D3D_OK;
}

HRESULT Direct3DDevice::DeleteViewport(LPDIRECT3DVIEWPORT lpDirect3DViewport) {
    const auto found = std::find(viewports_.begin(), viewports_.end(), dynamic_cast<Viewport*>(lpDirect3DViewport));
    if (found == viewports_.end()) return DDERR_INVALIDPARAMS;
    Viewport* viewport = *found;
    viewports_.erase(found);
    viewport->SetDevice(nullptr);
    viewport->Release();
    return D3D_OK;
}

HRESULT Direct3DDevice::NextViewport(LPDIRECT3DVIEWPORT, LPDIRECT3DVIEWPORT* lplpDirect3DViewport, DWORD) {
    if (lplpDirect3DViewport) *lplpDirect3DViewport = nullptr;
    return NotImplemented("NextViewport", "walking the viewport list");
}

HRESULT Direct3DDevice::Pick(LPDIRECT3DEXECUTEBUFFER, LPDIRECT3DVIEWPORT, DWORD, LPD3DRECT) {
    return NotImplemented("Pick", "picking");
}

HRESULT Direct3DDevice::GetPickRecords(LPDWORD, LPD3DPICKRECORD) {
    return NotImplemented("GetPickRecords", "picking");
}

HRESULT Direct3DDevice::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK lpd3dEnumTextureProc, LPVOID lpArg) {
    if (!lpd3dEnumTextureProc) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC format = Rgb565TextureFormat();
    lpd3dEnumTextureProc(&format, lpArg);
    return D3D_OK;
}

HRESULT Direct3DDevice::CreateMatrix(LPD3DMATRIXHANDLE) {
    return NotImplemented("CreateMatrix", "the device draws transformed vertices");
}
HRESULT Direct3DDevice::SetMatrix(D3DMATRIXHANDLE, const LPD3DMATRIX) {
    return NotImplemented("SetMatrix", "the device draws transformed vertices");
}
HRESULT Direct3DDevice::GetMatrix(D3DMATRIXHANDLE, LPD3DMATRIX) {
    return NotImplemented("GetMatrix", "the device draws transformed vertices");
}
HRESULT Direct3DDevice::DeleteMatrix(D3DMATRIXHANDLE) {
    return NotImplemented("DeleteMatrix", "the device draws transformed vertices");
}

// Fault name: BeginScene.
HRESULT Direct3DDevice::BeginScene() {
    if (inScene_) return D3DERR_SCENE_IN_SCENE;
    if (machine::FaultRequested("BeginScene")) return D3DERR_SCENE_BEGIN_FAILED;
    inScene_ = true;
    return D3D_OK;
}

// Fault name: EndScene.
HRESULT Direct3DDevice::EndScene() {
    if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
    if (machine::FaultRequested("EndScene")) return D3DERR_SCENE_END_FAILED;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Direct3DDevice::GetDirect3D(LPDIRECT3D* lpD3D) {
    if (lpD3D) *lpD3D = nullptr;
    return NotImplemented("GetDirect3D", "a device made from a surface does not know its Direct3D object");
}

}  // namespace brontar::platform
