// The rasteriser's inner loops: one horizontal run of pixels of a triangle,
// shaded from plane equations set up once per triangle.
#pragma once

#include <cstdint>

#include "machine/board/rasterizer.h"

namespace brontar::machine {

// A value that varies linearly over the screen: at(x, y) = atOrigin +
// perX * x + perY * y, with x and y in pixels.
struct AttributePlane {
    double atOrigin = 0;
    double perX = 0;
    double perY = 0;
    double At(double x, double y) const { return atOrigin + perX * x + perY * y; }
};

// Everything a span needs from its triangle.
struct TrianglePlanes {
    bool constantColor = true;   // flat shading, or all three colours equal
    uint32_t flatColor = 0;      // ARGB when constantColor
    AttributePlane red, green, blue;  // 0 to 255 when Gouraud

    bool textured = false;
    bool perspective = false;  // s, t are divided by q at each pixel
    // Texture coordinates in texels (0 to width across the texture); when
    // perspective they are multiplied by q = rhw.
    AttributePlane s, t, q;
};

// Shades the pixels x0 <= x < x1 of row y (all inside the target).
void FillSpan(const PixelBlock& target, int32_t y, int32_t x0, int32_t x1, const TrianglePlanes& planes,
              const RasterState& state);

}  // namespace brontar::machine
