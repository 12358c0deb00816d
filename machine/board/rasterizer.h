// The board's triangle rasteriser: transformed and lit vertices drawn into
// RGB565 memory with flat or Gouraud shading, decal textures (nearest or
// bilinear, perspective-correct, with a source colour key), ordered
// dithering and the top-left fill convention. There is no depth test: the
// board's 3D path has no depth buffer attached.
#pragma once

#include "machine/board/drawing_types.h"

namespace brontar::machine {

// Draws one triangle; the colour of a flat-shaded triangle is that of a.
// Returns false when the triangle was culled, degenerate, off the target or
// had a coordinate that is not a finite number.
bool DrawTriangle(const PixelBlock& target, const RasterClip& clip, const RasterState& state,
                  const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);

}  // namespace brontar::machine
