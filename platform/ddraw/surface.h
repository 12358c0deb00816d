// IDirectDrawSurface: a block of RGB565 pixels in video or system memory,
// alone or as a member of a flipping chain (front buffer and back buffers).
#pragma once

#include <ddraw.h>

#include <memory>
#include <optional>
#include <vector>

#include "machine/board/driver.h"
#include "platform/ddraw/direct3d_bridge.h"
#include "platform/ddraw/session.h"

namespace brontar::platform {

// A DirectDraw colour key as the driver's key range.
inline machine::ColorKeyRange KeyOf(const DDCOLORKEY& key) {
    return {static_cast<uint16_t>(key.dwColorSpaceLowValue), static_cast<uint16_t>(key.dwColorSpaceHighValue)};
}

// Where a surface's pixels live. A flip swaps buffers between the members of
// a chain, so each interface keeps its role while the memory moves.
struct SurfaceBuffer {
    uint8_t* pixels = nullptr;
    bool videoMemory = false;
    machine::VideoHeap heap = machine::VideoHeap::FrameBuffer;
    std::unique_ptr<uint8_t[]> systemMemory;  // owns the pixels when not in video memory
};

class DirectDrawSurface final : public IDirectDrawSurface {
public:
    DirectDrawSurface(std::shared_ptr<DirectDrawSession> session, DWORD caps, int width, int height, int pitchBytes,
                      SurfaceBuffer buffer);
    DirectDrawSurface(const DirectDrawSurface&) = delete;
    DirectDrawSurface& operator=(const DirectDrawSurface&) = delete;

    // Makes the surfaces one flipping chain, the first the front buffer. The
    // front buffer holds a reference on each other member until it is gone.
    static void LinkChain(const std::vector<DirectDrawSurface*>& members);

    // Source and destination colour keys given at creation.
    void SetKeys(std::optional<machine::ColorKeyRange> source, std::optional<machine::ColorKeyRange> destination);

    // The memory, for the Direct3D device; false while lost.
    bool Describe(SurfaceMemory* out) const;

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE lpDDSAttachedSurface) override;
    STDMETHOD(AddOverlayDirtyRect)(LPRECT lpRect) override;
    STDMETHOD(Blt)(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                   LPDDBLTFX lpDDBltFx) override;
    STDMETHOD(BltBatch)(LPDDBLTBATCH lpDDBltBatch, DWORD dwCount, DWORD dwFlags) override;
    STDMETHOD(BltFast)(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                       DWORD dwTrans) override;
    STDMETHOD(DeleteAttachedSurface)(DWORD dwFlags, LPDIRECTDRAWSURFACE lpDDSAttachedSurface) override;
    STDMETHOD(EnumAttachedSurfaces)(LPVOID lpContext, LPDDENUMSURFACESCALLBACK lpEnumSurfacesCallback) override;
    STDMETHOD(EnumOverlayZOrders)(DWORD dwFlags, LPVOID lpContext, LPDDENUMSURFACESCALLBACK lpfnCallback) override;
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD dwFlags) override;
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS lpDDSCaps, LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) override;
    STDMETHOD(GetBltStatus)(DWORD dwFlags) override;
    STDMETHOD(GetCaps)(LPDDSCAPS lpDDSCaps) override;
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER* lplpDDClipper) override;
    STDMETHOD(GetColorKey)(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
    STDMETHOD(GetDC)(HDC* lphDC) override;
    STDMETHOD(GetFlipStatus)(DWORD dwFlags) override;
    STDMETHOD(GetOverlayPosition)(LPLONG lplX, LPLONG lplY) override;
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE* lplpDDPalette) override;
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT lpDDPixelFormat) override;
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC lpDDSurfaceDesc) override;
    STDMETHOD(Initialize)(LPDIRECTDRAW lpDD, LPDDSURFACEDESC lpDDSurfaceDesc) override;
    STDMETHOD(IsLost)() override;
    STDMETHOD(Lock)(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) override;
    STDMETHOD(ReleaseDC)(HDC hDC) override;
    STDMETHOD(Restore)() override;
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER lpDDClipper) override;
    STDMETHOD(SetColorKey)(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
    STDMETHOD(SetOverlayPosition)(LONG lX, LONG lY) override;
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE lpDDPalette) override;
    STDMETHOD(Unlock)(LPVOID lpSurfaceData) override;
    STDMETHOD(UpdateOverlay)(LPRECT lpSrcRect, LPDIRECTDRAWSURFACE lpDDDestSurface, LPRECT lpDestRect, DWORD dwFlags,
                             LPDDOVERLAYFX lpDDOverlayFx) override;
    STDMETHOD(UpdateOverlayDisplay)(DWORD dwFlags) override;
    STDMETHOD(UpdateOverlayZOrder)(DWORD dwFlags, LPDIRECTDRAWSURFACE lpDDSReference) override;

private:
    ~DirectDrawSurface();

    // A back buffer outliving its front buffer: its memory goes with the chain.
    void Orphan();
    machine::PixelBlock Pixels() const;
    bool Lost() const;
    bool Busy() const { return locked_ || dc_ != nullptr; }
    // DD_OK when the pixels can be used now; else DDERR_SURFACELOST or DDERR_SURFACEBUSY.
    HRESULT CheckPixelsUsable() const;
    bool IsChainFront() const { return chain_ && chain_->front() == this; }
    DirectDrawSurface* NextInChain() const;
    void FillDescription(DDSURFACEDESC* description) const;
    std::optional<machine::ColorKeyRange>* KeySlot(DWORD flags);
    HRESULT FlipChain(DirectDrawSurface* target);

    ULONG references_ = 1;
    std::shared_ptr<DirectDrawSession> session_;  // null once orphaned
    DWORD caps_;
    int width_;
    int height_;
    int pitchBytes_;
    SurfaceBuffer buffer_;
    machine::DisplayMode createdInMode_;  // a primary surface is only restored in its mode
    uint64_t generation_;                 // lost when the device's generation moved on
    std::optional<machine::ColorKeyRange> sourceKey_;
    std::optional<machine::ColorKeyRange> destinationKey_;
    bool orphaned_ = false;  // left without memory by its front buffer
    bool locked_ = false;
    void* lockPointer_ = nullptr;
    HDC dc_ = nullptr;
    std::shared_ptr<std::vector<DirectDrawSurface*>> chain_;  // front buffer first; null when alone
};

}  // namespace brontar::platform
