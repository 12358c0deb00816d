// Clipped fills and glyph stamping into RGB565 rows, addressed through the
// surface's pitch so padded rows work.
#include "platform/gdi/raster.h"

#include <algorithm>

namespace brontar::platform {
namespace {

uint16_t* RowAt(const SurfacePixels& surface, int64_t y) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(surface.pixels) + y * surface.pitchBytes);
}

}  // namespace

PixelBox BoxOf(const RECT& rect) { return PixelBox{rect.left, rect.top, rect.right, rect.bottom}; }

PixelBox Intersect(const PixelBox& a, const PixelBox& b) {
    return PixelBox{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
}

PixelBox SurfaceBox(const SurfacePixels& surface) {
    if (surface.pixels == nullptr || surface.width <= 0 || surface.height <= 0) return PixelBox{};
    return PixelBox{0, 0, surface.width, surface.height};
}

uint16_t ToRgb565(COLORREF color) {
    return static_cast<uint16_t>(((GetRValue(color) >> 3) << 11) | ((GetGValue(color) >> 2) << 5) |
                                 (GetBValue(color) >> 3));
}

void FillBox(const SurfacePixels& surface, const PixelBox& clip, const PixelBox& box, uint16_t color) {
    PixelBox visible = Intersect(clip, box);
    if (visible.Empty()) return;
    for (int64_t y = visible.top; y < visible.bottom; ++y) {
        uint16_t* row = RowAt(surface, y);
        std::fill(row + visible.left, row + visible.right, color);
    }
}

void InvertDottedBorder(const SurfacePixels& surface, const PixelBox& clip, const PixelBox& box) {
    if (box.Empty()) return;
    auto invertRun = [&](PixelBox run) {  // a one-pixel-wide row or column of the border
        run = Intersect(run, clip);
        for (int64_t y = run.top; y < run.bottom; ++y)
            for (int64_t x = run.left; x < run.right; ++x)
                if (((x + y) & 1) == 0) RowAt(surface, y)[x] = static_cast<uint16_t>(~RowAt(surface, y)[x]);
    };
    invertRun(PixelBox{box.left, box.top, box.right, box.top + 1});
    if (box.bottom - 1 > box.top) invertRun(PixelBox{box.left, box.bottom - 1, box.right, box.bottom});
    invertRun(PixelBox{box.left, box.top + 1, box.left + 1, box.bottom - 1});
    if (box.right - 1 > box.left) invertRun(PixelBox{box.right - 1, box.top + 1, box.right, box.bottom - 1});
}

void DrawGlyph(const SurfacePixels& surface, const PixelBox& clip, int64_t penX, int64_t baseline,
               const GlyphBitmap& glyph, uint16_t color) {
    const int64_t originX = penX + glyph.left;
    const int64_t originY = baseline - glyph.top;
    PixelBox visible = Intersect(clip, PixelBox{originX, originY, originX + glyph.width, originY + glyph.rows});
    if (visible.Empty()) return;
    for (int64_t y = visible.top; y < visible.bottom; ++y) {
        const uint8_t* bits = glyph.bits.data() + (y - originY) * glyph.pitch;
        uint16_t* row = RowAt(surface, y);
        for (int64_t x = visible.left; x < visible.right; ++x) {
            int64_t column = x - originX;
            if (bits[column >> 3] & (0x80 >> (column & 7))) row[x] = color;
        }
    }
}

}  // namespace brontar::platform
