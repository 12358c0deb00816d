#include "platform/d3d/render_states.h"

#include <algorithm>
#include <string>

#include "platform/kernel/debug_notes.h"

namespace brontar::platform {

namespace {

constexpr DWORD kCopyPen = 13;  // R2_COPYPEN

// Why the device cannot draw a state value as asked, or null when it can.
const char* UnsupportedReason(DWORD type, DWORD value) {
    switch (type) {
    case D3DRENDERSTATE_ANTIALIAS:
        return value != D3DANTIALIAS_NONE ? "edge antialiasing is not implemented; edges are drawn aliased" : nullptr;
    case D3DRENDERSTATE_TEXTUREADDRESS:
        return value == D3DTADDRESS_MIRROR ? "mirrored texture addressing is not implemented; wrapping instead"
                                           : nullptr;
    case D3DRENDERSTATE_WRAPU:
    case D3DRENDERSTATE_WRAPV:
        return value ? "texture wrapping across the seam is not implemented" : nullptr;
    case D3DRENDERSTATE_FILLMODE:
        return value != D3DFILL_SOLID ? "point and wireframe fill are not implemented; filling solid" : nullptr;
    case D3DRENDERSTATE_SHADEMODE:
        return value == D3DSHADE_PHONG ? "Phong shading is not implemented; shading Gouraud" : nullptr;
    case D3DRENDERSTATE_MONOENABLE:
        return value ? "the mono colour model is not implemented" : nullptr;
    case D3DRENDERSTATE_ROP2:
        return value != kCopyPen ? "raster operations other than copy are not implemented" : nullptr;
    case D3DRENDERSTATE_ALPHATESTENABLE:
    case D3DRENDERSTATE_BLENDENABLE:
    case D3DRENDERSTATE_STIPPLEDALPHA:
        return value ? "alpha testing and blending are not implemented" : nullptr;
    case D3DRENDERSTATE_TEXTUREMAG:
    case D3DRENDERSTATE_TEXTUREMIN:
        return value != D3DFILTER_NEAREST && value != D3DFILTER_LINEAR
                   ? "mipmap filters are not implemented; filtering the top level"
                   : nullptr;
    case D3DRENDERSTATE_TEXTUREMAPBLEND:
        return value != D3DTBLEND_DECAL ? "texture blends other than decal are not implemented; drawing decal"
                                        : nullptr;
    case D3DRENDERSTATE_FOGENABLE:
        return value ? "fog is not implemented" : nullptr;
    case D3DRENDERSTATE_SPECULARENABLE:
        return value ? "specular highlights are not implemented" : nullptr;
    case D3DRENDERSTATE_STIPPLEENABLE:
        return value ? "stippling is not implemented" : nullptr;
    default:
        return nullptr;
    }
}

// Notes a state the device cannot draw as asked on the d3d channel, the
// first time this process meets it. One note per state type (unknown types
// share one), so the record of what was said stays small whatever a program
// sends.
void ReportUnsupportedOnce(DWORD type, DWORD value, const char* reason) {
    const DWORD key = std::min<DWORD>(type, D3DRENDERSTATE_STIPPLEPATTERN31 + 1);
    DebugNoteOnce(DebugChannel::D3d, "render state " + std::to_string(key),
                  "Direct3D render state " + std::to_string(type) + " = " + std::to_string(value) + ": " + reason);
}

}  // namespace

RenderStates::RenderStates() {
    values_[D3DRENDERSTATE_TEXTUREADDRESS] = D3DTADDRESS_WRAP;
    values_[D3DRENDERSTATE_FILLMODE] = D3DFILL_SOLID;
    values_[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    values_[D3DRENDERSTATE_ROP2] = kCopyPen;
    values_[D3DRENDERSTATE_PLANEMASK] = 0xFFFFFFFF;
    values_[D3DRENDERSTATE_ZWRITEENABLE] = TRUE;
    values_[D3DRENDERSTATE_LASTPIXEL] = TRUE;
    values_[D3DRENDERSTATE_TEXTUREMAG] = D3DFILTER_NEAREST;
    values_[D3DRENDERSTATE_TEXTUREMIN] = D3DFILTER_NEAREST;
    values_[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    values_[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    values_[D3DRENDERSTATE_TEXTUREMAPBLEND] = D3DTBLEND_DECAL;
    values_[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    values_[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    values_[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
}

void RenderStates::Set(DWORD type, DWORD value) {
    if (type >= values_.size()) {
        ReportUnsupportedOnce(type, value, "unknown render state, ignored");
        return;
    }
    if (const char* reason = UnsupportedReason(type, value)) ReportUnsupportedOnce(type, value, reason);
    values_[type] = value;
}

DWORD RenderStates::Get(DWORD type) const { return type < values_.size() ? values_[type] : 0; }

machine::RasterState RenderStates::ToRasterState(const machine::RasterTexture* texture) const {
    machine::RasterState state;
    state.shade = Get(D3DRENDERSTATE_SHADEMODE) == D3DSHADE_FLAT ? machine::ShadeMode::Flat
                                                                   : machine::ShadeMode::Gouraud;
    switch (Get(D3DRENDERSTATE_CULLMODE)) {
    case D3DCULL_CW:
        state.cull = machine::CullMode::Clockwise;
        break;
    case D3DCULL_CCW:
        state.cull = machine::CullMode::CounterClockwise;
        break;
    default:
        state.cull = machine::CullMode::None;
        break;
    }
    state.dither = Get(D3DRENDERSTATE_DITHERENABLE) != 0;
    state.texture = texture;
    state.perspective = Get(D3DRENDERSTATE_TEXTUREPERSPECTIVE) != 0;
    // Magnification and minification share one filter on this device:
    // bilinear when either asks for a linear filter.
    const DWORD mag = Get(D3DRENDERSTATE_TEXTUREMAG), min = Get(D3DRENDERSTATE_TEXTUREMIN);
    const auto linear = [](DWORD filter) { return filter != D3DFILTER_NEAREST && filter != D3DFILTER_MIPNEAREST; };
    state.filter = linear(mag) || linear(min) ? machine::TextureFilter::Bilinear : machine::TextureFilter::Nearest;
    state.address = Get(D3DRENDERSTATE_TEXTUREADDRESS) == D3DTADDRESS_CLAMP ? machine::TextureAddress::Clamp
                                                                             : machine::TextureAddress::Wrap;
    return state;
}

}  // namespace brontar::platform
