// The board's blitter: colour fills and rectangle copies on RGB565 pixels,
// with source or destination colour keys.
#pragma once

#include <cstdint>

namespace brontar::machine {

// RGB565 pixels owned by a surface.
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

// Fills the rectangle (which must lie inside the block) with one colour.
void FillPixels(const PixelBlock& target, const PixelRect& rect, uint16_t colour);

// Copies the source rectangle to x, y of the target. Both rectangles must lie
// inside their blocks; source and target may be the same memory and overlap.
void CopyPixels(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
                KeyMode mode, ColorKeyRange key);

}  // namespace brontar::machine
