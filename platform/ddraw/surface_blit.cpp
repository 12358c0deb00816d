// The blitter methods of a surface: Blt, BltFast and Flip.

#include "machine/faults.h"
#include "platform/ddraw/surface.h"
#include "platform/ddraw/unsupported.h"

namespace brontar::platform {

namespace {

constexpr DWORD kSupportedBltFlags = DDBLT_COLORFILL | DDBLT_WAIT | DDBLT_ASYNC | DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE |
                                     DDBLT_KEYDEST | DDBLT_KEYDESTOVERRIDE;
constexpr DWORD kBltFastKeys = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY;

// The whole block, or the caller's rectangle when it lies inside the block.
std::optional<machine::PixelRect> ChooseRect(const RECT* rect, const machine::PixelBlock& block) {
    if (rect == nullptr) return machine::PixelRect{0, 0, block.width, block.height};
    const machine::PixelRect chosen{rect->left, rect->top, rect->right, rect->bottom};
    if (!machine::RectInside(chosen, block)) return std::nullopt;
    return chosen;
}

}  // namespace

HRESULT DirectDrawSurface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                               LPDDBLTFX lpDDBltFx) {
    if (machine::FaultRequested("Blt")) return DDERR_GENERIC;
    if ((dwFlags & ~kSupportedBltFlags) != 0)
        return UnsupportedDirectDraw("Blt flags " + HexFlags(dwFlags & ~kSupportedBltFlags));
    if (lpDDBltFx != nullptr && lpDDBltFx->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
    if (const HRESULT usable = CheckPixelsUsable(); usable != DD_OK) return usable;
    const machine::PixelBlock target = Pixels();
    const auto targetRect = ChooseRect(lpDestRect, target);
    if (!targetRect) return DDERR_INVALIDRECT;

    if ((dwFlags & DDBLT_COLORFILL) != 0) {
        if (lpDDBltFx == nullptr) return DDERR_INVALIDPARAMS;
        session_->driver->Fill(target, *targetRect, static_cast<uint16_t>(lpDDBltFx->dwFillColor));
        return DD_OK;
    }

    auto* source = dynamic_cast<DirectDrawSurface*>(lpDDSrcSurface);
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (source != this)
        if (const HRESULT usable = source->CheckPixelsUsable(); usable != DD_OK) return usable;
    const auto sourceRect = ChooseRect(lpSrcRect, source->Pixels());
    if (!sourceRect) return DDERR_INVALIDRECT;
    if (sourceRect->Width() != targetRect->Width() || sourceRect->Height() != targetRect->Height())
        return UnsupportedDirectDraw("stretching Blt");

    const bool sourceKeyed = (dwFlags & (DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE)) != 0;
    const bool targetKeyed = (dwFlags & (DDBLT_KEYDEST | DDBLT_KEYDESTOVERRIDE)) != 0;
    if (sourceKeyed && targetKeyed) return UnsupportedDirectDraw("Blt with source and destination keys at once");
    machine::KeyMode mode = machine::KeyMode::None;
    machine::ColorKeyRange key;
    if ((dwFlags & DDBLT_KEYSRCOVERRIDE) != 0 || (dwFlags & DDBLT_KEYDESTOVERRIDE) != 0) {
        if (lpDDBltFx == nullptr) return DDERR_INVALIDPARAMS;
        key = KeyOf(sourceKeyed ? lpDDBltFx->ddckSrcColorkey : lpDDBltFx->ddckDestColorkey);
    } else if (sourceKeyed || targetKeyed) {
        const auto& stored = sourceKeyed ? source->sourceKey_ : destinationKey_;
        if (!stored) return DDERR_COLORKEYNOTSET;
        key = *stored;
    }
    if (sourceKeyed) mode = machine::KeyMode::Source;
    if (targetKeyed) mode = machine::KeyMode::Destination;
    session_->driver->Copy(target, targetRect->left, targetRect->top, source->Pixels(), *sourceRect, mode, key);
    return DD_OK;
}

HRESULT DirectDrawSurface::BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                                   DWORD dwTrans) {
    if (machine::FaultRequested("BltFast")) return DDERR_GENERIC;
    auto* source = dynamic_cast<DirectDrawSurface*>(lpDDSrcSurface);
    if (source == nullptr || (dwTrans & ~(kBltFastKeys | DDBLTFAST_WAIT)) != 0 ||
        (dwTrans & kBltFastKeys) == kBltFastKeys)
        return DDERR_INVALIDPARAMS;
    if (const HRESULT usable = CheckPixelsUsable(); usable != DD_OK) return usable;
    if (source != this)
        if (const HRESULT usable = source->CheckPixelsUsable(); usable != DD_OK) return usable;
    const auto sourceRect = ChooseRect(lpSrcRect, source->Pixels());
    if (!sourceRect) return DDERR_INVALIDRECT;
    // BltFast does not clip: the copy must land inside the target whole.
    if (dwX > static_cast<DWORD>(width_) || dwY > static_cast<DWORD>(height_)) return DDERR_INVALIDRECT;
    const machine::PixelRect targetRect{static_cast<int>(dwX), static_cast<int>(dwY),
                                        static_cast<int>(dwX) + sourceRect->Width(),
                                        static_cast<int>(dwY) + sourceRect->Height()};
    if (!machine::RectInside(targetRect, Pixels())) return DDERR_INVALIDRECT;

    machine::KeyMode mode = machine::KeyMode::None;
    machine::ColorKeyRange key;
    if ((dwTrans & DDBLTFAST_SRCCOLORKEY) != 0) {
        if (!source->sourceKey_) return DDERR_COLORKEYNOTSET;
        mode = machine::KeyMode::Source;
        key = *source->sourceKey_;
    } else if ((dwTrans & DDBLTFAST_DESTCOLORKEY) != 0) {
        if (!destinationKey_) return DDERR_COLORKEYNOTSET;
        mode = machine::KeyMode::Destination;
        key = *destinationKey_;
    }
    session_->driver->Copy(Pixels(), targetRect.left, targetRect.top, source->Pixels(), *sourceRect, mode, key);
    return DD_OK;
}

HRESULT DirectDrawSurface::Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD /*dwFlags*/) {
    if (machine::FaultRequested("Flip")) return DDERR_GENERIC;
    if (!IsChainFront()) return DDERR_NOTFLIPPABLE;
    if (!session_->HoldsExclusive()) return DDERR_NOEXCLUSIVEMODE;
    DirectDrawSurface* target = nullptr;
    if (lpDDSurfaceTargetOverride != nullptr) {
        target = dynamic_cast<DirectDrawSurface*>(lpDDSurfaceTargetOverride);
        if (target == nullptr || target == this || target->chain_ != chain_) return DDERR_INVALIDPARAMS;
    }
    for (const DirectDrawSurface* member : *chain_)
        if (member->Lost()) return DDERR_SURFACELOST;
    // Shown frames count towards a requested loss of the surfaces, as when
    // another program takes the display.
    if (session_->driver->ShowsFrames() && machine::FaultRequested("LoseSurfaces")) {
        session_->driver->LoseSurfaces();
        return DDERR_SURFACELOST;
    }
    for (const DirectDrawSurface* member : *chain_)
        if (member->Busy()) return DDERR_SURFACEBUSY;
    return FlipChain(target);
}

// Moves the memory along the chain: the first back buffer's (or the
// target's) pixels become the front buffer's and are shown.
HRESULT DirectDrawSurface::FlipChain(DirectDrawSurface* target) {
    std::vector<DirectDrawSurface*>& members = *chain_;
    if (target != nullptr) {
        std::swap(buffer_, target->buffer_);
    } else {
        for (size_t i = 0; i + 1 < members.size(); ++i) std::swap(members[i]->buffer_, members[i + 1]->buffer_);
    }
    session_->driver->Present(Pixels(), session_->gamma);
    return DD_OK;
}

}  // namespace brontar::platform
