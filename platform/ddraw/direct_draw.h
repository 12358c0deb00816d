// IDirectDraw: a program's hold on one display device - cooperative level,
// display modes, capabilities and the creation of surfaces.
#pragma once

#include <ddraw.h>

#include <memory>

#include "platform/ddraw/session.h"

namespace brontar::platform {

class DirectDraw final : public IDirectDraw {
public:
    DirectDraw(std::shared_ptr<machine::DisplayDriver> driver, machine::DisplayGamma gamma);
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(Compact)() override;
    STDMETHOD(CreateClipper)(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) override;
    STDMETHOD(CreatePalette)(DWORD dwFlags, tagPALETTEENTRY* lpColorTable, LPDIRECTDRAWPALETTE* lplpDDPalette,
                             IUnknown* pUnkOuter) override;
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC lpDDSurfaceDesc, LPDIRECTDRAWSURFACE* lplpDDSurface,
                             IUnknown* pUnkOuter) override;
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE lpDDSurface, LPDIRECTDRAWSURFACE* lplpDupDDSurface) override;
    STDMETHOD(EnumDisplayModes)(DWORD dwFlags, LPDDSURFACEDESC lpDDSurfaceDesc, LPVOID lpContext,
                                LPDDENUMMODESCALLBACK lpEnumModesCallback) override;
    STDMETHOD(EnumSurfaces)(DWORD dwFlags, LPDDSURFACEDESC lpDDSD, LPVOID lpContext,
                            LPDDENUMSURFACESCALLBACK lpEnumSurfacesCallback) override;
    STDMETHOD(FlipToGDISurface)() override;
    STDMETHOD(GetCaps)(LPDDCAPS lpDDDriverCaps, LPDDCAPS lpDDHELCaps) override;
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC lpDDSurfaceDesc) override;
    STDMETHOD(GetFourCCCodes)(LPDWORD lpNumCodes, LPDWORD lpCodes) override;
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE* lplpGDIDDSSurface) override;
    STDMETHOD(GetMonitorFrequency)(LPDWORD lpdwFrequency) override;
    STDMETHOD(GetScanLine)(LPDWORD lpdwScanLine) override;
    STDMETHOD(GetVerticalBlankStatus)(LPBOOL lpbIsInVB) override;
    STDMETHOD(Initialize)(GUID* lpGUID) override;
    STDMETHOD(RestoreDisplayMode)() override;
    STDMETHOD(SetCooperativeLevel)(HWND hWnd, DWORD dwFlags) override;
    STDMETHOD(SetDisplayMode)(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) override;
    STDMETHOD(WaitForVerticalBlank)(DWORD dwFlags, HANDLE hEvent) override;

private:
    ~DirectDraw();

    // True when another program object holds the device exclusively.
    bool LockedOutByOther() const;
    // Gives up exclusive mode, putting back the mode this object set.
    void LeaveExclusive();

    ULONG references_ = 1;
    std::shared_ptr<DirectDrawSession> session_;
    bool changedMode_ = false;  // SetDisplayMode switched the device
};

}  // namespace brontar::platform
