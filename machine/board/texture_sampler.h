// Texel fetches for the rasteriser: nearest or bilinear, wrapped or clamped,
// with the source colour key, giving finished RGB565 pixels.
#pragma once

#include <cstdint>

#include "machine/board/rasterizer.h"

namespace brontar::machine {

inline bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// The filter, the addressing (wrapping by a mask when both sides are powers
// of two) and whether the texture has a colour key are template arguments,
// so a span's inner loop carries no test of them: the span chooses its
// sampler once (WithTextureSampler).
template <TextureFilter kFilter, TextureAddress kAddress, bool kMasked, bool kKeyed>
class TextureSampler {
public:
    explicit TextureSampler(const RasterTexture& texture)
        : texture_(texture), widthMask_(texture.width - 1), heightMask_(texture.height - 1) {}

    // Sample position s, t in texels as 16.16 fixed point (s = 0.5 is the
    // centre of the first column); ditherLevel is the pixel's ordered-dither
    // matrix value, 0 to 15. False when the colour key hides the sample: the
    // pixel is left as it was.
    [[gnu::always_inline]] bool Sample(int64_t s, int64_t t, uint32_t ditherLevel, uint16_t* out) const {
        if constexpr (kFilter == TextureFilter::Nearest) return SampleNearest(s, t, out);
        return SampleBilinear(s, t, ditherLevel, out);
    }

private:
    // Wraps or clamps a texel index into 0..size-1.
    [[gnu::always_inline]] static int32_t Address(int64_t index, int32_t size, int32_t mask) {
        if constexpr (kAddress == TextureAddress::Clamp) {
            return index < 0 ? 0 : index >= size ? size - 1 : int32_t(index);
        } else {
            if constexpr (kMasked) return int32_t(index & mask);
            int64_t wrapped = index % size;
            return int32_t(wrapped < 0 ? wrapped + size : wrapped);
        }
    }

    const uint16_t* Row(int32_t y) const {
        return reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(texture_.texels) +
                                                 int64_t(y) * texture_.pitchBytes);
    }

    bool IsKeyed(uint16_t texel) const { return kKeyed && texel == texture_.colorKey; }

    [[gnu::always_inline]] bool SampleNearest(int64_t s, int64_t t, uint16_t* out) const {
        const int32_t x = Address(s >> 16, texture_.width, widthMask_);
        const int32_t y = Address(t >> 16, texture_.height, heightMask_);
        const uint16_t texel = Row(y)[x];
        if (IsKeyed(texel)) return false;
        *out = texel;
        return true;
    }

    // An RGB565 texel spread over a 64-bit word, each channel at the bottom
    // of a field of 21 bits or more (blue from bit 0, green from bit 21, red
    // from bit 43), so four weighted texels add up without one channel
    // spilling into the next. One multiply lays the texel at bits 0, 16 and
    // 32 (the copies do not overlap, so nothing carries); the mask keeps
    // each channel from its own copy.
    static constexpr uint64_t kSpreadMask = 0x1Full | (0x3Full << 21) | (0x1Full << 43);
    static uint64_t Spread(uint16_t texel) {
        return (uint64_t(texel) * (1 + (uint64_t(1) << 16) + (uint64_t(1) << 32))) & kSpreadMask;
    }

    // Blends the four texels around the sample, whose centres lie half a
    // texel in from their corners. Weights are 6-bit fractions per axis, so
    // the blend carries 12 fraction bits per channel; the ordered dither is
    // added to those bits before they are cut, which makes the dither exact
    // for an unblended texel (it never changes it).
    // Keyed texels take the colour of the texel nearest the sample, so a key
    // colour never bleeds into the picture; the sample is hidden when that
    // nearest texel is keyed.
    [[gnu::always_inline]] bool SampleBilinear(int64_t s, int64_t t, uint32_t ditherLevel, uint16_t* out) const {
        s -= 0x8000;
        t -= 0x8000;
        const uint64_t fx = uint64_t(s >> 10) & 63;
        const uint64_t fy = uint64_t(t >> 10) & 63;
        const int32_t x0 = Address(s >> 16, texture_.width, widthMask_);
        const int32_t x1 = Address((s >> 16) + 1, texture_.width, widthMask_);
        const int32_t y0 = Address(t >> 16, texture_.height, heightMask_);
        const int32_t y1 = Address((t >> 16) + 1, texture_.height, heightMask_);
        const uint16_t* top = Row(y0);
        const uint16_t* bottom = Row(y1);
        uint16_t texels[4] = {top[x0], top[x1], bottom[x0], bottom[x1]};
        if constexpr (kKeyed) {
            const uint16_t nearest = texels[(fx >= 32 ? 1 : 0) + (fy >= 32 ? 2 : 0)];
            if (IsKeyed(nearest)) return false;
            for (uint16_t& texel : texels) {
                if (IsKeyed(texel)) texel = nearest;
            }
        }
        // The sum of the texels weighted (64 - fx)(64 - fy), fx(64 - fy),
        // (64 - fx)fy and fx fy, as two blends along the rows and one
        // between them. A difference of texels may borrow across fields, but
        // in 64-bit arithmetic the result is the exact sum all the same.
        const uint64_t s0 = Spread(texels[0]), s2 = Spread(texels[2]);
        const uint64_t upper = (s0 << 6) + (Spread(texels[1]) - s0) * fx;
        const uint64_t lower = (s2 << 6) + (Spread(texels[3]) - s2) * fx;
        const uint64_t blend = (upper << 6) + (lower - upper) * fy;
        // The dither level scaled to the 12 fraction bits (at most 15/16) in every field.
        constexpr uint64_t kDitherFields = (uint64_t(1) << 8) | (uint64_t(1) << 29) | (uint64_t(1) << 51);
        const uint64_t fields = ((blend + ditherLevel * kDitherFields) >> 12) & kSpreadMask;
        *out = uint16_t((fields & 0x1F) | ((fields >> 16) & 0x07E0) | ((fields >> 32) & 0xF800));
        return true;
    }

    const RasterTexture& texture_;
    int32_t widthMask_;   // width - 1: wraps when kMasked
    int32_t heightMask_;
};

// Calls draw(sampler) with the sampler for the texture and the render state.
template <class Draw>
void WithTextureSampler(const RasterTexture& texture, TextureFilter filter, TextureAddress address, Draw&& draw) {
    auto withKey = [&]<TextureFilter F, TextureAddress A, bool M>() {
        if (texture.hasColorKey) {
            draw(TextureSampler<F, A, M, true>(texture));
        } else {
            draw(TextureSampler<F, A, M, false>(texture));
        }
    };
    auto withAddress = [&]<TextureFilter F>() {
        if (address == TextureAddress::Clamp) {
            withKey.template operator()<F, TextureAddress::Clamp, false>();
        } else if (IsPowerOfTwo(texture.width) && IsPowerOfTwo(texture.height)) {
            withKey.template operator()<F, TextureAddress::Wrap, true>();
        } else {
            withKey.template operator()<F, TextureAddress::Wrap, false>();
        }
    };
    if (filter == TextureFilter::Nearest) {
        withAddress.template operator()<TextureFilter::Nearest>();
    } else {
        withAddress.template operator()<TextureFilter::Bilinear>();
    }
}

}  // namespace brontar::machine
