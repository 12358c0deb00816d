#include "platform/ddraw/surface_creation.h"

#include <new>
#include <vector>

#include "platform/ddraw/surface.h"
#include "platform/ddraw/surface_format.h"
#include "platform/ddraw/unsupported.h"

namespace brontar::platform {

namespace {

constexpr DWORD kUnsupportedCaps = DDSCAPS_ALPHA | DDSCAPS_OVERLAY | DDSCAPS_PALETTE | DDSCAPS_ZBUFFER |
                                   DDSCAPS_LIVEVIDEO | DDSCAPS_HWCODEC | DDSCAPS_MODEX | DDSCAPS_MIPMAP |
                                   DDSCAPS_VIDEOPORT | DDSCAPS_PRIMARYSURFACELEFT;
constexpr DWORD kMemoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;

// What the caller asked for, after the checks.
struct SurfaceRequest {
    DWORD caps = 0;         // without the memory flags
    DWORD memoryCaps = 0;   // DDSCAPS_SYSTEMMEMORY, DDSCAPS_VIDEOMEMORY or neither
    int width = 0;
    int height = 0;
    DWORD backBuffers = 0;  // > 0 for a flipping chain
    std::optional<machine::ColorKeyRange> sourceKey;
    std::optional<machine::ColorKeyRange> destinationKey;
};

// Video memory rows start on 8-byte boundaries, system memory rows on 4.
int PitchFor(int width, bool videoMemory) {
    const int alignment = videoMemory ? 8 : 4;
    return (width * 2 + alignment - 1) / alignment * alignment;
}

std::optional<SurfaceBuffer> AllocateVideo(DirectDrawSession& session, machine::VideoHeap heap, int pitch,
                                           int height) {
    uint8_t* pixels = session.driver->AllocateVideoMemory(heap, static_cast<uint32_t>(pitch) * height);
    if (pixels == nullptr) return std::nullopt;
    SurfaceBuffer buffer;
    buffer.pixels = pixels;
    buffer.videoMemory = true;
    buffer.heap = heap;
    return buffer;
}

std::optional<SurfaceBuffer> AllocateSystem(int pitch, int height) {
    SurfaceBuffer buffer;
    buffer.systemMemory.reset(new (std::nothrow) uint8_t[static_cast<size_t>(pitch) * height]());
    if (!buffer.systemMemory) return std::nullopt;
    buffer.pixels = buffer.systemMemory.get();
    return buffer;
}

HRESULT CheckPrimaryRequest(const DirectDrawSession& session, const DDSURFACEDESC& description,
                            SurfaceRequest& request) {
    if ((description.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != 0) return DDERR_INVALIDPARAMS;
    if (request.memoryCaps == DDSCAPS_SYSTEMMEMORY) return DDERR_INVALIDCAPS;
    if (session.primaryExists) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    const machine::DisplayMode mode = session.driver->CurrentMode();
    if (mode.bitsPerPixel != 16) {
        UnsupportedDirectDraw("surfaces in a mode of " + std::to_string(mode.bitsPerPixel) + " bits per pixel");
        return DDERR_INVALIDPIXELFORMAT;
    }
    request.width = mode.width;
    request.height = mode.height;
    const bool flip = (request.caps & DDSCAPS_FLIP) != 0;
    const bool complex = (request.caps & DDSCAPS_COMPLEX) != 0;
    if (flip != complex) return DDERR_INVALIDCAPS;
    if (!flip) return DD_OK;
    if ((description.dwFlags & DDSD_BACKBUFFERCOUNT) == 0 || description.dwBackBufferCount == 0 ||
        description.dwBackBufferCount > kMaxBackBuffers)
        return DDERR_INVALIDPARAMS;
    if (!session.HoldsExclusive()) return DDERR_NOEXCLUSIVEMODE;
    request.backBuffers = description.dwBackBufferCount;
    return DD_OK;
}

HRESULT CheckOffscreenRequest(const DDSURFACEDESC& description, SurfaceRequest& request) {
    if ((request.caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER | DDSCAPS_BACKBUFFER)) != 0) {
        UnsupportedDirectDraw("flipping chains other than the primary surface's");
        return DDERR_INVALIDCAPS;
    }
    if ((description.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (description.dwWidth == 0 || description.dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (description.dwWidth > kMaxSurfaceDimension) return DDERR_TOOBIGWIDTH;
    if (description.dwHeight > kMaxSurfaceDimension) return DDERR_TOOBIGHEIGHT;
    if ((description.dwFlags & DDSD_PIXELFORMAT) != 0 && !IsRgb565(description.ddpfPixelFormat)) {
        UnsupportedDirectDraw("surface pixel formats other than 16-bit RGB565");
        return DDERR_INVALIDPIXELFORMAT;
    }
    if ((request.caps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE)) == 0)
        request.caps |= DDSCAPS_OFFSCREENPLAIN;
    request.width = static_cast<int>(description.dwWidth);
    request.height = static_cast<int>(description.dwHeight);
    return DD_OK;
}

HRESULT CheckRequest(const DirectDrawSession& session, const DDSURFACEDESC& description, SurfaceRequest& request) {
    const DWORD caps = (description.dwFlags & DDSD_CAPS) != 0 ? description.ddsCaps.dwCaps : 0;
    if ((caps & kUnsupportedCaps) != 0) {
        UnsupportedDirectDraw("surface capabilities " + HexFlags(caps & kUnsupportedCaps));
        return DDERR_INVALIDCAPS;
    }
    request.memoryCaps = caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
    if (request.memoryCaps == (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    request.caps = caps & ~kMemoryCaps & ~DWORD(DDSCAPS_VISIBLE);
    if ((description.dwFlags & DDSD_CKSRCBLT) != 0) request.sourceKey = KeyOf(description.ddckCKSrcBlt);
    if ((description.dwFlags & DDSD_CKDESTBLT) != 0) request.destinationKey = KeyOf(description.ddckCKDestBlt);
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) return CheckPrimaryRequest(session, description, request);
    return CheckOffscreenRequest(description, request);
}

// The memory of one surface: video memory when asked for or when it fits,
// system memory when asked for or as the fallback of a request naming
// neither. Primary surfaces live in the frame buffer only.
HRESULT AllocateBuffer(DirectDrawSession& session, const SurfaceRequest& request, bool primary, int& pitch,
                       SurfaceBuffer& buffer) {
    const machine::VideoHeap heap =
        (request.caps & DDSCAPS_TEXTURE) != 0 ? machine::VideoHeap::Texture : machine::VideoHeap::FrameBuffer;
    if (request.memoryCaps != DDSCAPS_SYSTEMMEMORY) {
        pitch = PitchFor(request.width, true);
        if (auto video = AllocateVideo(session, heap, pitch, request.height)) {
            buffer = std::move(*video);
            return DD_OK;
        }
        if (primary || request.memoryCaps == DDSCAPS_VIDEOMEMORY) return DDERR_OUTOFVIDEOMEMORY;
    }
    pitch = PitchFor(request.width, false);
    auto system = AllocateSystem(pitch, request.height);
    if (!system) return DDERR_OUTOFMEMORY;
    buffer = std::move(*system);
    return DD_OK;
}

DWORD ReportedMemoryCaps(const SurfaceBuffer& buffer) {
    return buffer.videoMemory ? DWORD(DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM) : DWORD(DDSCAPS_SYSTEMMEMORY);
}

}  // namespace

HRESULT CreateSurfaceFromDescription(const std::shared_ptr<DirectDrawSession>& session,
                                     const DDSURFACEDESC& description, IDirectDrawSurface** out) {
    SurfaceRequest request;
    if (const HRESULT checked = CheckRequest(*session, description, request); checked != DD_OK) return checked;
    const bool primary = (request.caps & DDSCAPS_PRIMARYSURFACE) != 0;

    // Front buffer first, then the back buffers; all or nothing.
    std::vector<DirectDrawSurface*> members;
    for (DWORD index = 0; index <= request.backBuffers; ++index) {
        int pitch = 0;
        SurfaceBuffer buffer;
        if (const HRESULT allocated = AllocateBuffer(*session, request, primary, pitch, buffer); allocated != DD_OK) {
            for (DirectDrawSurface* made : members) made->Release();
            return allocated;
        }
        DWORD caps = request.caps | ReportedMemoryCaps(buffer);
        if (request.backBuffers > 0 && index == 0) caps |= DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE;
        if (index > 0) caps = (caps & ~DWORD(DDSCAPS_PRIMARYSURFACE)) | (index == 1 ? DDSCAPS_BACKBUFFER : 0);
        if (primary && request.backBuffers == 0) caps |= DDSCAPS_VISIBLE;
        auto* surface = new DirectDrawSurface(session, caps, request.width, request.height, pitch, std::move(buffer));
        surface->SetKeys(index == 0 ? request.sourceKey : std::nullopt, index == 0 ? request.destinationKey : std::nullopt);
        members.push_back(surface);
    }
    if (members.size() > 1) DirectDrawSurface::LinkChain(members);
    if (primary) session->primaryExists = true;
    *out = members.front();
    return DD_OK;
}

}  // namespace brontar::platform
