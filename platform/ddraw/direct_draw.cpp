#include "platform/ddraw/direct_draw.h"

#include <d3d.h>

#include <cstring>

#include "machine/faults.h"
#include "platform/ddraw/direct3d_bridge.h"
#include "platform/ddraw/surface_creation.h"
#include "platform/ddraw/surface_format.h"
#include "platform/ddraw/unsupported.h"
#include "platform/user/input_window.h"

namespace brontar::platform {

namespace {

constexpr DWORD kKnownCooperativeFlags = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES |
                                         DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;

// What the device's driver does in hardware.
void FillDriverCaps(const machine::DriverCaps& driver, DDCAPS* caps) {
    const machine::BlitCaps& blits = driver.blits;
    if (blits.copies) caps->dwCaps |= DDCAPS_BLT;
    if (blits.colorFills) caps->dwCaps |= DDCAPS_BLTCOLORFILL;
    if (blits.sourceColorKeys || blits.destinationColorKeys) caps->dwCaps |= DDCAPS_COLORKEY;
    if (blits.fromSystemMemory) caps->dwCaps |= DDCAPS_CANBLTSYSMEM;
    if (blits.sourceColorKeys) caps->dwCKeyCaps |= DDCKEYCAPS_SRCBLT;
    if (blits.destinationColorKeys) caps->dwCKeyCaps |= DDCKEYCAPS_DESTBLT;
    caps->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER |
                           DDSCAPS_BACKBUFFER | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    if (driver.draws3D) {
        caps->dwCaps |= DDCAPS_3D;
        caps->ddsCaps.dwCaps |= DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE;
    }
    caps->dwVidMemTotal = driver.totalVideoMemory;
    caps->dwVidMemFree = driver.freeVideoMemory;
}

// What DirectDraw does itself, on system memory.
void FillEmulationCaps(DDCAPS* caps) {
    caps->dwCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY | DDCAPS_CANBLTSYSMEM;
    caps->dwCKeyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_DESTBLT;
    caps->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE;
}

void ClearCaps(DDCAPS* caps) {
    std::memset(caps, 0, sizeof(*caps));
    caps->dwSize = sizeof(*caps);
}

// Whether a listed mode passes the caller's filter description.
bool ModeMatches(const machine::DisplayMode& mode, const DDSURFACEDESC* filter) {
    if (filter == nullptr) return true;
    if ((filter->dwFlags & DDSD_WIDTH) != 0 && filter->dwWidth != static_cast<DWORD>(mode.width)) return false;
    if ((filter->dwFlags & DDSD_HEIGHT) != 0 && filter->dwHeight != static_cast<DWORD>(mode.height)) return false;
    if ((filter->dwFlags & DDSD_PIXELFORMAT) != 0 &&
        filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(mode.bitsPerPixel))
        return false;
    if ((filter->dwFlags & DDSD_REFRESHRATE) != 0 && filter->dwRefreshRate != 0) return false;
    return true;
}

}  // namespace

DirectDraw::DirectDraw(std::shared_ptr<machine::DisplayDriver> driver, machine::DisplayGamma gamma)
    : session_(std::make_shared<DirectDrawSession>()) {
    session_->driver = std::move(driver);
    session_->gamma = gamma;
    session_->owner = this;
}

DirectDraw::~DirectDraw() {
    // The device gets its mode back from the object that changed it.
    if (session_->HoldsExclusive())
        LeaveExclusive();
    else if (changedMode_ && !LockedOutByOther())
        session_->RestoreDesktopMode();
    // Surfaces may outlive this object; they must not mistake another
    // object at this address for their owner.
    session_->owner = nullptr;
}

bool DirectDraw::LockedOutByOther() const {
    const void* owner = session_->driver->ExclusiveOwner();
    return owner != nullptr && owner != this;
}

void DirectDraw::LeaveExclusive() {
    if (changedMode_) session_->RestoreDesktopMode();
    changedMode_ = false;
    session_->driver->LeaveExclusive();
    SetInputWindow(nullptr);
}

// ---------------------------------------------------------------- IUnknown

HRESULT DirectDraw::QueryInterface(REFIID riid, LPVOID* ppvObj) {
    if (ppvObj == nullptr) return DDERR_INVALIDPARAMS;
    *ppvObj = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDraw) {
        AddRef();
        *ppvObj = static_cast<IDirectDraw*>(this);
        return DD_OK;
    }
    if (riid == IID_IDirect3D) {
        const Direct3DBridge& bridge = GetDirect3DBridge();
        return bridge.createDirect3D ? bridge.createDirect3D(this, ppvObj) : E_NOINTERFACE;
    }
    return E_NOINTERFACE;
}

ULONG DirectDraw::AddRef() { return ++references_; }

ULONG DirectDraw::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

// ---------------------------------------------------------------- cooperative level and modes

HRESULT DirectDraw::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
    if (machine::FaultRequested("SetCooperativeLevel")) return DDERR_GENERIC;
    const bool exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
    const bool normal = (dwFlags & DDSCL_NORMAL) != 0;
    const bool fullScreen = (dwFlags & DDSCL_FULLSCREEN) != 0;
    if ((dwFlags & ~kKnownCooperativeFlags) != 0 || exclusive == normal || exclusive != fullScreen)
        return DDERR_INVALIDPARAMS;
    if (exclusive) {
        if (hWnd == nullptr) return DDERR_INVALIDPARAMS;
        if (LockedOutByOther()) return DDERR_EXCLUSIVEMODEALREADYSET;
        session_->driver->TakeExclusive(this);
        // The user's keys and clicks on the device's picture go to this window.
        SetInputWindow(hWnd);
    } else if (session_->HoldsExclusive()) {
        LeaveExclusive();
    }
    session_->cooperativeLevelSet = true;
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) {
    if (machine::FaultRequested("SetDisplayMode")) return DDERR_GENERIC;
    if (LockedOutByOther()) return DDERR_NOEXCLUSIVEMODE;
    if (dwWidth > kMaxSurfaceDimension || dwHeight > kMaxSurfaceDimension || dwBPP > 32) return DDERR_INVALIDMODE;
    const machine::DisplayMode mode{static_cast<int>(dwWidth), static_cast<int>(dwHeight), static_cast<int>(dwBPP)};
    if (!session_->driver->SupportsMode(mode)) return DDERR_INVALIDMODE;
    session_->driver->SetMode(mode);
    changedMode_ = !(mode == session_->driver->DesktopMode());
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    if (LockedOutByOther()) return DDERR_NOEXCLUSIVEMODE;
    session_->RestoreDesktopMode();
    changedMode_ = false;
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC lpDDSurfaceDesc) {
    if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("GetDisplayMode")) return DDERR_GENERIC;
    FillModeDescription(session_->driver->CurrentMode(), lpDDSurfaceDesc);
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD dwFlags, LPDDSURFACEDESC lpDDSurfaceDesc, LPVOID lpContext,
                                     LPDDENUMMODESCALLBACK lpEnumModesCallback) {
    if (lpEnumModesCallback == nullptr || (dwFlags & ~DWORD(DDEDM_REFRESHRATES)) != 0) return DDERR_INVALIDPARAMS;
    if (lpDDSurfaceDesc != nullptr && lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("EnumDisplayModes")) return DDERR_GENERIC;
    // The list is copied first: a callback may switch modes or create objects.
    const std::vector<machine::DisplayMode> modes = session_->driver->Modes();
    for (const machine::DisplayMode& mode : modes) {
        if (!ModeMatches(mode, lpDDSurfaceDesc)) continue;
        DDSURFACEDESC description;
        FillModeDescription(mode, &description);
        if (lpEnumModesCallback(&description, lpContext) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDraw::GetCaps(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) {
    if (lpDDDriverCaps == nullptr && lpDDHELCaps == nullptr) return DDERR_INVALIDPARAMS;
    if ((lpDDDriverCaps != nullptr && lpDDDriverCaps->dwSize != sizeof(DDCAPS)) ||
        (lpDDHELCaps != nullptr && lpDDHELCaps->dwSize != sizeof(DDCAPS)))
        return DDERR_INVALIDPARAMS;
    if (machine::FaultRequested("GetCaps")) return DDERR_GENERIC;
    if (lpDDDriverCaps != nullptr) {
        ClearCaps(lpDDDriverCaps);
        FillDriverCaps(session_->driver->Caps(), lpDDDriverCaps);
    }
    if (lpDDHELCaps != nullptr) {
        ClearCaps(lpDDHELCaps);
        FillEmulationCaps(lpDDHELCaps);
    }
    return DD_OK;
}

// ---------------------------------------------------------------- surfaces

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC lpDDSurfaceDesc, LPDIRECTDRAWSURFACE* lplpDDSurface,
                                  IUnknown* pUnkOuter) {
    if (lplpDDSurface == nullptr) return DDERR_INVALIDPARAMS;
    *lplpDDSurface = nullptr;
    if (lpDDSurfaceDesc == nullptr || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (machine::FaultRequested("CreateSurface")) return DDERR_GENERIC;
    if (!session_->cooperativeLevelSet) return DDERR_NOCOOPERATIVELEVELSET;
    return CreateSurfaceFromDescription(session_, *lpDDSurfaceDesc, lplpDDSurface);
}

HRESULT DirectDraw::GetFourCCCodes(LPDWORD lpNumCodes, LPDWORD /*lpCodes*/) {
    if (lpNumCodes == nullptr) return DDERR_INVALIDPARAMS;
    *lpNumCodes = 0;  // RGB only
    return DD_OK;
}

HRESULT DirectDraw::Initialize(GUID*) { return DDERR_ALREADYINITIALIZED; }

// ---------------------------------------------------------------- not provided

HRESULT DirectDraw::Compact() { return UnsupportedDirectDraw("IDirectDraw::Compact"); }
HRESULT DirectDraw::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown*) {
    if (lplpDDClipper != nullptr) *lplpDDClipper = nullptr;
    return UnsupportedDirectDraw("clippers (CreateClipper)");
}
HRESULT DirectDraw::CreatePalette(DWORD, tagPALETTEENTRY*, LPDIRECTDRAWPALETTE* lplpDDPalette, IUnknown*) {
    if (lplpDDPalette != nullptr) *lplpDDPalette = nullptr;
    return UnsupportedDirectDraw("palettes (CreatePalette)");
}
HRESULT DirectDraw::DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE* lplpDupDDSurface) {
    if (lplpDupDDSurface != nullptr) *lplpDupDDSurface = nullptr;
    return UnsupportedDirectDraw("IDirectDraw::DuplicateSurface");
}
HRESULT DirectDraw::EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) {
    return UnsupportedDirectDraw("IDirectDraw::EnumSurfaces");
}
HRESULT DirectDraw::FlipToGDISurface() { return UnsupportedDirectDraw("IDirectDraw::FlipToGDISurface"); }
HRESULT DirectDraw::GetGDISurface(LPDIRECTDRAWSURFACE* lplpGDIDDSSurface) {
    if (lplpGDIDDSSurface != nullptr) *lplpGDIDDSSurface = nullptr;
    return UnsupportedDirectDraw("IDirectDraw::GetGDISurface");
}
HRESULT DirectDraw::GetMonitorFrequency(LPDWORD) { return UnsupportedDirectDraw("IDirectDraw::GetMonitorFrequency"); }
HRESULT DirectDraw::GetScanLine(LPDWORD) { return UnsupportedDirectDraw("IDirectDraw::GetScanLine"); }
HRESULT DirectDraw::GetVerticalBlankStatus(LPBOOL) {
    return UnsupportedDirectDraw("IDirectDraw::GetVerticalBlankStatus");
}
HRESULT DirectDraw::WaitForVerticalBlank(DWORD, HANDLE) {
    return UnsupportedDirectDraw("IDirectDraw::WaitForVerticalBlank");
}

}  // namespace brontar::platform
