#include "machine/board/blitter.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace brontar::machine {

namespace {

// The red, green and blue fields of an RGB565 pixel.
struct Channels {
    unsigned red, green, blue;
};

Channels Split(uint16_t pixel) {
    const unsigned value = pixel;
    return {value >> 11u, (value >> 5u) & 0x3Fu, value & 0x1Fu};
}

bool Between(unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; }

// Whether the source rectangle's rows share memory with the target's.
bool Overlaps(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& rect) {
    const auto* targetStart = reinterpret_cast<const uint8_t*>(target.Row(y) + x);
    const auto* targetEnd = reinterpret_cast<const uint8_t*>(target.Row(y + rect.Height() - 1) + x + rect.Width());
    const auto* sourceStart = reinterpret_cast<const uint8_t*>(source.Row(rect.top) + rect.left);
    const auto* sourceEnd = reinterpret_cast<const uint8_t*>(source.Row(rect.bottom - 1) + rect.right);
    return std::less<>()(targetStart, sourceEnd) && std::less<>()(sourceStart, targetEnd);
}

// Copies a row, leaving pixels equal to the key unwritten. Four pixels at a
// time in one 64-bit word, without branches: text and sprites alternate
// between keyed and drawn pixels too often for a branch to be predicted.
void CopyRowSkippingColour(uint16_t* out, const uint16_t* in, int count, uint16_t keyed) {
    constexpr uint64_t kLanes = 0x0001000100010001ull;
    constexpr uint64_t kLow15 = 0x7FFF * kLanes;
    const uint64_t pattern = keyed * kLanes;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        uint64_t source;
        uint64_t target;
        std::memcpy(&source, in + i, sizeof(source));
        std::memcpy(&target, out + i, sizeof(target));
        const uint64_t difference = source ^ pattern;  // zero in keyed lanes
        // Bit 15 of a lane is set when the lane is not zero; adding 0x7FFF
        // to its low 15 bits cannot carry into the next lane.
        const uint64_t notKeyed = (((difference & kLow15) + kLow15) | difference) & ~kLow15;
        const uint64_t drawn = (notKeyed >> 15) * 0xFFFF;  // whole lanes
        target = (source & drawn) | (target & ~drawn);
        std::memcpy(out + i, &target, sizeof(target));
    }
    for (; i < count; ++i)
        if (in[i] != keyed) out[i] = in[i];
}

void CopyRowKeyed(uint16_t* out, const uint16_t* in, int count, KeyMode mode, const ColorKeyRange& key) {
    if (mode == KeyMode::Source) {
        if (key.low == key.high) {
            CopyRowSkippingColour(out, in, count, key.low);
        } else {
            for (int i = 0; i < count; ++i)
                if (!key.Contains(in[i])) out[i] = in[i];
        }
    } else {
        for (int i = 0; i < count; ++i)
            if (key.Contains(out[i])) out[i] = in[i];
    }
}

}  // namespace

bool ColorKeyRange::Contains(uint16_t pixel) const {
    if (low == high) return pixel == low;
    const Channels value = Split(pixel), from = Split(low), to = Split(high);
    return Between(value.red, from.red, to.red) && Between(value.green, from.green, to.green) &&
           Between(value.blue, from.blue, to.blue);
}

bool RectInside(const PixelRect& rect, const PixelBlock& block) {
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= block.width && rect.bottom <= block.height;
}

void FillPixels(const PixelBlock& target, const PixelRect& rect, uint16_t colour) {
    // Fill one row, then copy it: a block copy runs far faster than a
    // pixel loop.
    const int width = rect.Width();
    uint16_t* first = target.Row(rect.top) + rect.left;
    std::fill_n(first, width, colour);
    for (int y = rect.top + 1; y < rect.bottom; ++y)
        std::memcpy(target.Row(y) + rect.left, first, static_cast<size_t>(width) * sizeof(uint16_t));
}

void CopyPixels(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
                KeyMode mode, ColorKeyRange key) {
    const int width = sourceRect.Width();
    const int height = sourceRect.Height();
    if (width <= 0 || height <= 0) return;
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);

    if (Overlaps(target, x, y, source, sourceRect)) {
        // Read the whole source before writing, so no pixel is read after it
        // was overwritten.
        std::vector<uint16_t> copy(static_cast<size_t>(width) * height);
        for (int row = 0; row < height; ++row)
            std::memcpy(copy.data() + static_cast<size_t>(row) * width, source.Row(sourceRect.top + row) + sourceRect.left,
                        rowBytes);
        const PixelBlock staged{copy.data(), width, height, static_cast<int>(rowBytes)};
        CopyPixels(target, x, y, staged, PixelRect{0, 0, width, height}, mode, key);
        return;
    }

    for (int row = 0; row < height; ++row) {
        uint16_t* out = target.Row(y + row) + x;
        const uint16_t* in = source.Row(sourceRect.top + row) + sourceRect.left;
        if (mode == KeyMode::None)
            std::memcpy(out, in, rowBytes);
        else
            CopyRowKeyed(out, in, width, mode, key);
    }
}

}  // namespace brontar::machine
