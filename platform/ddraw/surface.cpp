#include "platform/ddraw/surface.h"

#include <d3d.h>

#include <cstring>
#include <set>

#include "machine/faults.h"
#include "platform/ddraw/surface_format.h"
#include "platform/ddraw/unsupported.h"
#include "platform/gdi/surface_dc.h"

namespace brontar::platform {

namespace {

// Back buffers a program still holds after their front buffer went away.
// They stay reachable here until released, so the process holds no memory
// it cannot name.
// Never destroyed, so it still names them when the process ends.
std::set<DirectDrawSurface*>& OrphanedSurfaces() {
    static auto* orphans = new std::set<DirectDrawSurface*>;
    return *orphans;
}

}  // namespace

DirectDrawSurface::DirectDrawSurface(std::shared_ptr<DirectDrawSession> session, DWORD caps, int width, int height,
                                     int pitchBytes, SurfaceBuffer buffer)
    : session_(std::move(session)),
      caps_(caps),
      width_(width),
      height_(height),
      pitchBytes_(pitchBytes),
      buffer_(std::move(buffer)),
      createdInMode_(session_->driver->CurrentMode()),
      generation_(session_->driver->SurfaceGeneration()) {}

DirectDrawSurface::~DirectDrawSurface() {
    // A device context still out would draw into freed memory.
    if (dc_ != nullptr) ReleaseSurfaceDC(dc_);
    // The back buffers go with their front buffer. One a program still
    // holds stays a valid object, but its memory is gone.
    if (IsChainFront()) {
        auto members = chain_;
        for (DirectDrawSurface* member : *members) {
            if (member == this) continue;
            member->chain_.reset();
            member->Orphan();
            member->Release();
        }
    }
    if (orphaned_) OrphanedSurfaces().erase(this);
    if (!session_) return;
    if ((caps_ & DDSCAPS_PRIMARYSURFACE) != 0) session_->primaryExists = false;
    if (buffer_.videoMemory) session_->driver->FreeVideoMemory(buffer_.heap, buffer_.pixels);
}

void DirectDrawSurface::Orphan() {
    if (dc_ != nullptr) ReleaseSurfaceDC(dc_);
    dc_ = nullptr;
    locked_ = false;
    if (buffer_.videoMemory) session_->driver->FreeVideoMemory(buffer_.heap, buffer_.pixels);
    buffer_ = SurfaceBuffer{};
    // Nothing of the device is needed any more; let it go with its owner.
    session_.reset();
    orphaned_ = true;
    OrphanedSurfaces().insert(this);
}

void DirectDrawSurface::LinkChain(const std::vector<DirectDrawSurface*>& members) {
    auto chain = std::make_shared<std::vector<DirectDrawSurface*>>(members);
    for (DirectDrawSurface* member : members) member->chain_ = chain;
}

void DirectDrawSurface::SetKeys(std::optional<machine::ColorKeyRange> source,
                                std::optional<machine::ColorKeyRange> destination) {
    sourceKey_ = source;
    destinationKey_ = destination;
}

bool DirectDrawSurface::Describe(SurfaceMemory* out) const {
    if (Lost()) return false;
    out->driver = session_->driver.get();
    out->pixels = reinterpret_cast<uint16_t*>(buffer_.pixels);
    out->width = width_;
    out->height = height_;
    out->pitchBytes = pitchBytes_;
    out->hasSourceColorKey = sourceKey_.has_value();
    out->sourceColorKey = sourceKey_ ? sourceKey_->low : 0;
    return true;
}

machine::PixelBlock DirectDrawSurface::Pixels() const {
    return {reinterpret_cast<uint16_t*>(buffer_.pixels), width_, height_, pitchBytes_};
}

bool DirectDrawSurface::Lost() const {
    // Texture memory is the device's own; only the frame buffer is taken when
    // another program takes the display or the mode changes.
    const bool inFrameBuffer = buffer_.videoMemory && buffer_.heap == machine::VideoHeap::FrameBuffer;
    return orphaned_ || (inFrameBuffer && generation_ != session_->driver->SurfaceGeneration());
}

HRESULT DirectDrawSurface::CheckPixelsUsable() const {
    if (Lost()) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    return DD_OK;
}

DirectDrawSurface* DirectDrawSurface::NextInChain() const {
    if (!chain_ || chain_->size() < 2) return nullptr;
    for (size_t i = 0; i < chain_->size(); ++i)
        if ((*chain_)[i] == this) return (*chain_)[(i + 1) % chain_->size()];
    return nullptr;
}

void DirectDrawSurface::FillDescription(DDSURFACEDESC* description) const {
    std::memset(description, 0, sizeof(*description));
    description->dwSize = sizeof(*description);
    description->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    description->dwWidth = static_cast<DWORD>(width_);
    description->dwHeight = static_cast<DWORD>(height_);
    description->lPitch = pitchBytes_;
    FillPixelFormat(16, &description->ddpfPixelFormat);
    description->ddsCaps.dwCaps = caps_;
    if (IsChainFront()) {
        description->dwFlags |= DDSD_BACKBUFFERCOUNT;
        description->dwBackBufferCount = static_cast<DWORD>(chain_->size() - 1);
    }
    if (sourceKey_) {
        description->dwFlags |= DDSD_CKSRCBLT;
        description->ddckCKSrcBlt = {sourceKey_->low, sourceKey_->high};
    }
    if (destinationKey_) {
        description->dwFlags |= DDSD_CKDESTBLT;
        description->ddckCKDestBlt = {destinationKey_->low, destinationKey_->high};
    }
}

// ---------------------------------------------------------------- IUnknown

HRESULT DirectDrawSurface::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    if (ppvObj == nullptr) return DDERR_INVALIDPARAMS;
    *ppvObj = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface) {
        AddRef();
        *ppvObj = static_cast<IDirectDrawSurface*>(this);
        return DD_OK;
    }
    const Direct3DBridge& bridge = GetDirect3DBridge();
    if (riid == IID_IDirect3DTexture)
        return bridge.createTexture ? bridge.createTexture(this, ppvObj) : E_NOINTERFACE;
    // Any other identity may name a Direct3D device made on this surface.
    if (riid == IID_IDirectDraw || riid == IID_IDirectDrawPalette || riid == IID_IDirectDrawClipper ||
        riid == IID_IDirect3D)
        return E_NOINTERFACE;
    return bridge.createDevice ? bridge.createDevice(this, riid, ppvObj) : E_NOINTERFACE;
}

ULONG DirectDrawSurface::AddRef() { return ++references_; }

ULONG DirectDrawSurface::Release() {
    // A back buffer lives as long as its front buffer holds it; releasing it
    // more often than it was handed out cannot take that hold away.
    if (chain_ && !IsChainFront() && references_ == 1) return 1;
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

// ---------------------------------------------------------------- description

HRESULT DirectDrawSurface::GetAttachedSurface(LPDDSCAPS lpDDSCaps, LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) {
    if (lpDDSCaps == nullptr || lplpDDAttachedSurface == nullptr) return DDERR_INVALIDPARAMS;
    *lplpDDAttachedSurface = nullptr;
    if (machine::FaultRequested("GetAttachedSurface")) return DDERR_GENERIC;
    DirectDrawSurface* next = NextInChain();
    if (next == nullptr || (next->caps_ & lpDDSCaps->dwCaps) != lpDDSCaps->dwCaps) return DDERR_NOTFOUND;
    next->AddRef();
    *lplpDDAttachedSurface = next;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetCaps(LPDDSCAPS lpDDSCaps) {
    if (lpDDSCaps == nullptr) return DDERR_INVALIDPARAMS;
    lpDDSCaps->dwCaps = caps_;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetPixelFormat(LPDDPIXELFORMAT lpDDPixelFormat) {
    if (lpDDPixelFormat == nullptr) return DDERR_INVALIDPARAMS;
    FillPixelFormat(16, lpDDPixelFormat);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) {
    if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("GetSurfaceDesc")) return DDERR_GENERIC;
    FillDescription(lpDDSurfaceDesc);
    return DD_OK;
}

// ---------------------------------------------------------------- colour keys

std::optional<machine::ColorKeyRange>* DirectDrawSurface::KeySlot(DWORD flags) {
    switch (flags & ~DWORD(DDCKEY_COLORSPACE)) {
        case DDCKEY_SRCBLT: return &sourceKey_;
        case DDCKEY_DESTBLT: return &destinationKey_;
        default: return nullptr;
    }
}

HRESULT DirectDrawSurface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
    if (machine::FaultRequested("SetColorKey")) return DDERR_GENERIC;
    if ((dwFlags & (DDCKEY_SRCOVERLAY | DDCKEY_DESTOVERLAY)) != 0)
        return UnsupportedDirectDraw("overlay colour keys (SetColorKey)");
    std::optional<machine::ColorKeyRange>* slot = KeySlot(dwFlags);
    if (slot == nullptr) return DDERR_INVALIDPARAMS;
    if (lpDDColorKey == nullptr) {
        slot->reset();
        return DD_OK;
    }
    // Without a colour space the key is the single low colour.
    const auto low = static_cast<uint16_t>(lpDDColorKey->dwColorSpaceLowValue);
    const auto high = (dwFlags & DDCKEY_COLORSPACE) != 0 ? static_cast<uint16_t>(lpDDColorKey->dwColorSpaceHighValue) : low;
    *slot = machine::ColorKeyRange{low, high};
    return DD_OK;
}

HRESULT DirectDrawSurface::GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
    std::optional<machine::ColorKeyRange>* slot = KeySlot(dwFlags);
    if (lpDDColorKey == nullptr || slot == nullptr || (dwFlags & DDCKEY_COLORSPACE) != 0) return DDERR_INVALIDPARAMS;
    if (!slot->has_value()) return DDERR_NOCOLORKEY;
    lpDDColorKey->dwColorSpaceLowValue = (*slot)->low;
    lpDDColorKey->dwColorSpaceHighValue = (*slot)->high;
    return DD_OK;
}

// ---------------------------------------------------------------- memory access

HRESULT DirectDrawSurface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD /*dwFlags*/,
                                HANDLE /*hEvent*/) {
    if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("Lock")) return DDERR_GENERIC;
    if (const HRESULT usable = CheckPixelsUsable(); usable != DD_OK) return usable;
    machine::PixelRect rect{0, 0, width_, height_};
    if (lpDestRect != nullptr) {
        rect = {lpDestRect->left, lpDestRect->top, lpDestRect->right, lpDestRect->bottom};
        if (!machine::RectInside(rect, Pixels())) return DDERR_INVALIDPARAMS;
    }
    FillDescription(lpDDSurfaceDesc);
    lockPointer_ = Pixels().Row(rect.top) + rect.left;
    lpDDSurfaceDesc->dwFlags |= DDSD_LPSURFACE;
    lpDDSurfaceDesc->lpSurface = lockPointer_;
    locked_ = true;
    return DD_OK;
}

HRESULT DirectDrawSurface::Unlock(LPVOID lpSurfaceData) {
    if (!locked_ || (lpSurfaceData != nullptr && lpSurfaceData != lockPointer_)) return DDERR_NOTLOCKED;
    locked_ = false;
    lockPointer_ = nullptr;
    return DD_OK;
}

HRESULT DirectDrawSurface::GetDC(HDC* lphDC) {
    if (lphDC == nullptr) return DDERR_INVALIDPARAMS;
    *lphDC = nullptr;
    if (machine::FaultRequested("GetDC")) return DDERR_GENERIC;
    if (dc_ != nullptr) return DDERR_DCALREADYCREATED;
    if (const HRESULT usable = CheckPixelsUsable(); usable != DD_OK) return usable;
    dc_ = CreateSurfaceDC(SurfacePixels{reinterpret_cast<uint16_t*>(buffer_.pixels), width_, height_, pitchBytes_});
    if (dc_ == nullptr) return DDERR_CANTCREATEDC;
    *lphDC = dc_;
    return DD_OK;
}

HRESULT DirectDrawSurface::ReleaseDC(HDC hDC) {
    if (dc_ == nullptr) return DDERR_NODC;
    if (hDC != dc_) return DDERR_INVALIDPARAMS;
    ReleaseSurfaceDC(dc_);
    dc_ = nullptr;
    return DD_OK;
}

// ---------------------------------------------------------------- lost surfaces

HRESULT DirectDrawSurface::IsLost() { return Lost() ? DDERR_SURFACELOST : DD_OK; }

HRESULT DirectDrawSurface::Restore() {
    if (orphaned_) return DDERR_INVALIDOBJECT;
    if (!Lost()) return DD_OK;
    // Displayed surfaces only come back in the mode they were made for.
    if ((caps_ & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_BACKBUFFER)) != 0 &&
        !(createdInMode_ == session_->driver->CurrentMode()))
        return DDERR_WRONGMODE;
    // The memory comes back; what it showed does not.
    const auto restore = [this](DirectDrawSurface& surface) {
        surface.generation_ = session_->driver->SurfaceGeneration();
        std::memset(surface.buffer_.pixels, 0, static_cast<size_t>(surface.pitchBytes_) * surface.height_);
    };
    if (IsChainFront())
        for (DirectDrawSurface* member : *chain_) restore(*member);
    else
        restore(*this);
    return DD_OK;
}

// ---------------------------------------------------------------- not provided

HRESULT DirectDrawSurface::AddAttachedSurface(LPDIRECTDRAWSURFACE) {
    return UnsupportedDirectDraw("IDirectDrawSurface::AddAttachedSurface");
}
HRESULT DirectDrawSurface::AddOverlayDirtyRect(LPRECT) { return UnsupportedDirectDraw("overlays (AddOverlayDirtyRect)"); }
HRESULT DirectDrawSurface::BltBatch(LPDDBLTBATCH, DWORD, DWORD) {
    return UnsupportedDirectDraw("IDirectDrawSurface::BltBatch");
}
HRESULT DirectDrawSurface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) {
    return UnsupportedDirectDraw("IDirectDrawSurface::DeleteAttachedSurface");
}
HRESULT DirectDrawSurface::EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) {
    return UnsupportedDirectDraw("IDirectDrawSurface::EnumAttachedSurfaces");
}
HRESULT DirectDrawSurface::EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) {
    return UnsupportedDirectDraw("overlays (EnumOverlayZOrders)");
}
// Blits and flips finish before their call returns.
HRESULT DirectDrawSurface::GetBltStatus(DWORD) { return DD_OK; }
HRESULT DirectDrawSurface::GetFlipStatus(DWORD) { return DD_OK; }
HRESULT DirectDrawSurface::GetClipper(LPDIRECTDRAWCLIPPER* lplpDDClipper) {
    if (lplpDDClipper != nullptr) *lplpDDClipper = nullptr;
    return DDERR_NOCLIPPERATTACHED;
}
HRESULT DirectDrawSurface::GetOverlayPosition(LPLONG, LPLONG) { return DDERR_NOTAOVERLAYSURFACE; }
HRESULT DirectDrawSurface::GetPalette(LPDIRECTDRAWPALETTE* lplpDDPalette) {
    if (lplpDDPalette != nullptr) *lplpDDPalette = nullptr;
    return DDERR_NOPALETTEATTACHED;
}
HRESULT DirectDrawSurface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) { return DDERR_ALREADYINITIALIZED; }
HRESULT DirectDrawSurface::SetClipper(LPDIRECTDRAWCLIPPER) { return UnsupportedDirectDraw("clippers (SetClipper)"); }
HRESULT DirectDrawSurface::SetOverlayPosition(LONG, LONG) { return UnsupportedDirectDraw("overlays (SetOverlayPosition)"); }
HRESULT DirectDrawSurface::SetPalette(LPDIRECTDRAWPALETTE) { return UnsupportedDirectDraw("palettes (SetPalette)"); }
HRESULT DirectDrawSurface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) {
    return UnsupportedDirectDraw("overlays (UpdateOverlay)");
}
HRESULT DirectDrawSurface::UpdateOverlayDisplay(DWORD) { return UnsupportedDirectDraw("overlays (UpdateOverlayDisplay)"); }
HRESULT DirectDrawSurface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) {
    return UnsupportedDirectDraw("overlays (UpdateOverlayZOrder)");
}

}  // namespace brontar::platform
