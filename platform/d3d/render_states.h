// The render states a Direct3D device keeps from one execute to the next.
#pragma once

#include <d3dtypes.h>

#include <array>

#include "machine/board/driver.h"

namespace brontar::platform {

class RenderStates {
public:
    // The states a new device starts with.
    RenderStates();

    // Stores one state. A value the device cannot draw is reported once per
    // process with a diagnostic; the nearest drawable behaviour is used.
    void Set(DWORD type, DWORD value);
    // The stored value; 0 for a type the device does not know.
    DWORD Get(DWORD type) const;

    D3DTEXTUREHANDLE TextureHandle() const { return Get(D3DRENDERSTATE_TEXTUREHANDLE); }

    // The rasteriser's view of the states, drawing with texture (or none).
    machine::RasterState ToRasterState(const machine::RasterTexture* texture) const;

private:
    // Indexed by render state type, up to the last stipple pattern row.
    std::array<DWORD, D3DRENDERSTATE_STIPPLEPATTERN31 + 1> values_{};
};

}  // namespace brontar::platform
