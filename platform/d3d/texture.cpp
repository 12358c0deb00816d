#include "platform/d3d/texture.h"

#include <map>
#include <mutex>

#include "machine/faults.h"
#include "platform/ddraw/direct3d_bridge.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

// Handles name textures for every device of the process; 0 is no texture.
struct HandleTable {
    std::mutex mutex;
    std::map<D3DTEXTUREHANDLE, IDirectDrawSurface*> surfaces;
    D3DTEXTUREHANDLE next = 1;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

machine::RasterTexture ToRasterTexture(const SurfaceMemory& memory) {
    return {memory.pixels, memory.width, memory.height, memory.pitchBytes, memory.hasSourceColorKey,
            memory.sourceColorKey};
}

}  // namespace

Texture::Texture(IDirectDrawSurface* surface) : surface_(surface) { surface_->AddRef(); }

Texture::~Texture() {
    if (handle_ != 0) {
        HandleTable& table = Handles();
        std::lock_guard lock(table.mutex);
        table.surfaces.erase(handle_);
    }
    surface_->Release();
}

HRESULT Texture::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    if (ppvObj && IsEqualGUID(riid, IID_IDirectDrawSurface)) return surface_->QueryInterface(riid, ppvObj);
    return QueryOwnInterface(riid, IID_IDirect3DTexture, ppvObj);
}

HRESULT Texture::Initialize(LPDIRECT3DDEVICE, LPDIRECTDRAWSURFACE) { return DDERR_ALREADYINITIALIZED; }

// The same texture keeps its handle for every device. Fault name: GetHandle.
HRESULT Texture::GetHandle(LPDIRECT3DDEVICE lpDirect3DDevice, LPD3DTEXTUREHANDLE lpHandle) {
    if (!lpDirect3DDevice || !lpHandle) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("GetHandle")) return DDERR_GENERIC;
    if (handle_ == 0) {
        HandleTable& table = Handles();
        std::lock_guard lock(table.mutex);
        handle_ = table.next++;
        table.surfaces[handle_] = surface_;
    }
    *lpHandle = handle_;
    return D3D_OK;
}

// RGB textures have no palette, so there is nothing to update.
HRESULT Texture::PaletteChanged(DWORD, DWORD) { return D3D_OK; }

// Copies the texels of another texture of the same size into this one
// with the driver's blitter. Fault name: TextureLoad.
HRESULT Texture::Load(LPDIRECT3DTEXTURE lpD3DTexture) {
    auto* source = dynamic_cast<Texture*>(lpD3DTexture);
    if (!source) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("TextureLoad")) return D3DERR_TEXTURE_LOAD_FAILED;
    SurfaceMemory from, to;
    if (!GetSurfaceMemory(source->surface_, &from) || !GetSurfaceMemory(surface_, &to)) return DDERR_SURFACELOST;
    if (from.width != to.width || from.height != to.height) return D3DERR_TEXTURE_LOAD_FAILED;
    to.driver->Copy({to.pixels, to.width, to.height, to.pitchBytes}, 0, 0,
                    {from.pixels, from.width, from.height, from.pitchBytes}, {0, 0, from.width, from.height},
                    machine::KeyMode::None, {});
    return D3D_OK;
}

HRESULT Texture::Unload() {
    WriteDiagnostic("IDirect3DTexture::Unload is not implemented: textures stay in place");
    return DDERR_UNSUPPORTED;
}

bool Texture::FindTexels(D3DTEXTUREHANDLE handle, machine::RasterTexture* out) {
    HandleTable& table = Handles();
    std::lock_guard lock(table.mutex);
    const auto found = table.surfaces.find(handle);
    SurfaceMemory memory;
    if (found == table.surfaces.end() || !GetSurfaceMemory(found->second, &memory)) return false;
    *out = ToRasterTexture(memory);
    return true;
}

}  // namespace brontar::platform
