// Pixel work of GDI on RGB565 surface memory: solid boxes and monochrome
// glyphs, each clipped to a box that the caller has already cut to the surface.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/gdi/font_instance.h"
#include "platform/gdi/surface_dc.h"

namespace brontar::platform {

// A pixel box in 64 bits, so coordinates near the 32-bit limits plus text
// widths cannot overflow. Left and top inclusive, right and bottom exclusive.
struct PixelBox {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;

    bool Empty() const { return left >= right || top >= bottom; }
};

PixelBox BoxOf(const RECT& rect);
PixelBox Intersect(const PixelBox& a, const PixelBox& b);
// The surface's own pixels: empty for a surface without memory or size.
PixelBox SurfaceBox(const SurfacePixels& surface);

// A GDI colour (0x00BBGGRR) in RGB565, keeping the top bits of each channel.
uint16_t ToRgb565(COLORREF color);

// Fills the part of the box inside the clip.
void FillBox(const SurfacePixels& surface, const PixelBox& clip, const PixelBox& box, uint16_t color);

// Inverts (XOR with all ones) the pixels of the box's one-pixel border whose
// x + y is even, each once, inside the clip.
void InvertDottedBorder(const SurfacePixels& surface, const PixelBox& clip, const PixelBox& box);

// Sets the glyph's pixels inside the clip, the pen at penX on the baseline.
void DrawGlyph(const SurfacePixels& surface, const PixelBox& clip, int64_t penX, int64_t baseline,
               const GlyphBitmap& glyph, uint16_t color);

}  // namespace brontar::platform
