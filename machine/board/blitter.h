// The board's blitter: colour fills and rectangle copies on RGB565 pixels,
// with source or destination colour keys.
#pragma once

#include "machine/board/drawing_types.h"

namespace brontar::machine {

// Fills the rectangle (which must lie inside the block) with one colour.
void FillPixels(const PixelBlock& target, const PixelRect& rect, uint16_t colour);

// Copies the source rectangle to x, y of the target. Both rectangles must lie
// inside their blocks; source and target may be the same memory and overlap.
void CopyPixels(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
                KeyMode mode, ColorKeyRange key);

}  // namespace brontar::machine
