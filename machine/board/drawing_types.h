// The plain records of drawing on the board: RGB565 pixel blocks and their
// rectangles, colour keys, and the vertices, targets, textures and render
// states of triangles. The blitter and the rasteriser take them, and the
// driver interface hands them on.
#pragma once

#include <cstdint>

namespace brontar::machine {

// RGB565 pixels owned by a surface: what the blitter copies and fills and
// what the rasteriser draws into.
struct PixelBlock {
    uint16_t* pixels = nullptr;  // first row
    int width = 0;               // in pixels
    int height = 0;              // in rows
    int pitchBytes = 0;          // bytes from one row to the next

    uint16_t* Row(int y) const {
        return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + static_cast<intptr_t>(y) * pitchBytes);
    }
};

// Left and top inside, right and bottom outside.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A colour key: every pixel whose red, green and blue each lie between the
// low and the high value's (inclusive) is keyed.
struct ColorKeyRange {
    uint16_t low = 0;
    uint16_t high = 0;

    bool Contains(uint16_t pixel) const;
};

enum class KeyMode {
    None,         // every source pixel is written
    Source,       // source pixels inside the key are not written
    Destination,  // only destination pixels inside the key are replaced
};

// True when the rectangle is non-empty and lies inside the block.
bool RectInside(const PixelRect& rect, const PixelBlock& block);

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

}  // namespace brontar::machine
