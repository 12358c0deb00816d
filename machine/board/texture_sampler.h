// Texel fetches for the rasteriser: nearest or bilinear, wrapped or clamped,
// with the source colour key. Colours come back per channel on an 8-bit
// scale whose low bits stay zero for an unfiltered texel (red and blue are
// the 5-bit value shifted left by 3, green the 6-bit value shifted left by
// 2), so packing back to RGB565 returns the texel unchanged.
#pragma once

#include <cstdint>

#include "machine/board/rasterizer.h"

namespace brontar::machine {

struct TexelColor {
    int32_t red = 0;    // 0 to 255
    int32_t green = 0;  // 0 to 255
    int32_t blue = 0;   // 0 to 255
};

class TextureSampler {
public:
    TextureSampler(const RasterTexture& texture, TextureFilter filter, TextureAddress address)
        : texture_(texture), filter_(filter), address_(address),
          widthMask_(IsPowerOfTwo(texture.width) ? texture.width - 1 : -1),
          heightMask_(IsPowerOfTwo(texture.height) ? texture.height - 1 : -1) {}

    // Sample position s, t in texels as 16.16 fixed point (s = 0.5 is the
    // centre of the first column). False when the colour key hides the
    // sample: the pixel is left as it was.
    bool Sample(int64_t s, int64_t t, TexelColor* out) const {
        if (filter_ == TextureFilter::Nearest) return SampleNearest(s, t, out);
        return SampleBilinear(s, t, out);
    }

private:
    static bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

    // Wraps or clamps a texel index into 0..size-1.
    static int32_t Address(int64_t index, int32_t size, int32_t mask, TextureAddress address) {
        if (address == TextureAddress::Clamp) return index < 0 ? 0 : index >= size ? size - 1 : int32_t(index);
        if (mask >= 0) return int32_t(index & mask);
        int64_t wrapped = index % size;
        return int32_t(wrapped < 0 ? wrapped + size : wrapped);
    }

    uint16_t Texel(int32_t x, int32_t y) const {
        const auto* row = reinterpret_cast<const uint8_t*>(texture_.texels) + int64_t(y) * texture_.pitchBytes;
        return reinterpret_cast<const uint16_t*>(row)[x];
    }

    bool IsKeyed(uint16_t texel) const { return texture_.hasColorKey && texel == texture_.colorKey; }

    static TexelColor Expand(uint16_t texel) {
        return {(texel >> 11) << 3, ((texel >> 5) & 0x3F) << 2, (texel & 0x1F) << 3};
    }

    bool SampleNearest(int64_t s, int64_t t, TexelColor* out) const {
        const int32_t x = Address(s >> 16, texture_.width, widthMask_, address_);
        const int32_t y = Address(t >> 16, texture_.height, heightMask_, address_);
        const uint16_t texel = Texel(x, y);
        if (IsKeyed(texel)) return false;
        *out = Expand(texel);
        return true;
    }

    // Blends the four texels around the sample, whose centres lie half a
    // texel in from their corners. Weights are 8-bit fractions (0 to 256).
    // Keyed texels take no part, so a key colour never bleeds into the
    // picture; the sample is hidden when the texel nearest to it is keyed.
    bool SampleBilinear(int64_t s, int64_t t, TexelColor* out) const {
        s -= 0x8000;
        t -= 0x8000;
        const int32_t fx = int32_t((s >> 8) & 0xFF);
        const int32_t fy = int32_t((t >> 8) & 0xFF);
        const int32_t x0 = Address(s >> 16, texture_.width, widthMask_, address_);
        const int32_t x1 = Address((s >> 16) + 1, texture_.width, widthMask_, address_);
        const int32_t y0 = Address(t >> 16, texture_.height, heightMask_, address_);
        const int32_t y1 = Address((t >> 16) + 1, texture_.height, heightMask_, address_);
        const uint16_t texels[4] = {Texel(x0, y0), Texel(x1, y0), Texel(x0, y1), Texel(x1, y1)};
        const int32_t weights[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
        if (!texture_.hasColorKey) {
            int32_t red = 0, green = 0, blue = 0;
            for (int i = 0; i < 4; ++i) {
                const TexelColor c = Expand(texels[i]);
                red += c.red * weights[i];
                green += c.green * weights[i];
                blue += c.blue * weights[i];
            }
            *out = {red >> 16, green >> 16, blue >> 16};
            return true;
        }
        const int nearest = (fx >= 128 ? 1 : 0) + (fy >= 128 ? 2 : 0);
        if (IsKeyed(texels[nearest])) return false;
        int64_t red = 0, green = 0, blue = 0, total = 0;
        for (int i = 0; i < 4; ++i) {
            if (IsKeyed(texels[i])) continue;
            const TexelColor c = Expand(texels[i]);
            red += c.red * weights[i];
            green += c.green * weights[i];
            blue += c.blue * weights[i];
            total += weights[i];
        }
        *out = {int32_t(red / total), int32_t(green / total), int32_t(blue / total)};
        return true;
    }

    const RasterTexture& texture_;
    TextureFilter filter_;
    TextureAddress address_;
    int32_t widthMask_;   // width - 1 for a power of two, else -1
    int32_t heightMask_;  // height - 1 for a power of two, else -1
};

}  // namespace brontar::machine
