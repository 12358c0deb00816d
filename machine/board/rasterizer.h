// The board's triangle rasteriser: transformed and lit vertices drawn into
// RGB565 memory with flat or Gouraud shading, decal textures (nearest or
// bilinear, perspective-correct, with a source colour key), ordered
// dithering and the top-left fill convention. There is no depth test: the
// board's 3D path has no depth buffer attached.
#pragma once

#include <cstdint>

namespace brontar::machine {

// One vertex in screen space, laid out as the 32-byte transformed-and-lit
// vertex record programs hand to the board.
struct RasterVertex {
    float x = 0;    // screen x in pixels; pixel centres lie on integers
    float y = 0;    // screen y in pixels, growing downwards
    float z = 0;    // depth (carried, not tested)
    float rhw = 1;  // reciprocal of homogeneous w, for perspective
    uint32_t color = 0;     // diffuse ARGB
    uint32_t specular = 0;  // specular ARGB (not drawn)
    float u = 0;            // texture coordinates, 0 to 1 across the texture
    float v = 0;
};
static_assert(sizeof(RasterVertex) == 32, "same layout as the transformed-and-lit vertex record");

// RGB565 pixels the rasteriser draws into.
struct RasterTarget {
    uint16_t* pixels = nullptr;  // first row
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitchBytes = 0;  // bytes from one row to the next, even
};

// Drawing is limited to this rectangle as well as to the target
// (left and top inclusive, right and bottom exclusive).
struct RasterClip {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = INT32_MAX;
    int32_t bottom = INT32_MAX;
};

// RGB565 texels a triangle samples.
struct RasterTexture {
    const uint16_t* texels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitchBytes = 0;
    bool hasColorKey = false;  // texels equal to colorKey are transparent
    uint16_t colorKey = 0;
};

enum class ShadeMode { Flat, Gouraud };
enum class CullMode { None, Clockwise, CounterClockwise };
enum class TextureFilter { Nearest, Bilinear };
enum class TextureAddress { Wrap, Clamp };

// The render states the rasteriser honours.
struct RasterState {
    ShadeMode shade = ShadeMode::Gouraud;
    CullMode cull = CullMode::CounterClockwise;
    bool dither = false;
    const RasterTexture* texture = nullptr;  // null: colour from the vertices
    bool perspective = false;                // texture coordinates divided by rhw
    TextureFilter filter = TextureFilter::Nearest;
    TextureAddress address = TextureAddress::Wrap;
};

// Draws one triangle; the colour of a flat-shaded triangle is that of a.
// Returns false when the triangle was culled, degenerate, off the target or
// had a coordinate that is not a finite number.
bool DrawTriangle(const RasterTarget& target, const RasterClip& clip, const RasterState& state,
                  const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);

}  // namespace brontar::machine
