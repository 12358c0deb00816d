// Texel fetches for the rasteriser: nearest or bilinear, wrapped or clamped,
// with the source colour key, giving finished RGB565 pixels.
#pragma once

#include <cstdint>

#include "machine/board/rasterizer.h"

namespace brontar::machine {

// The filter, the addressing and whether the texture has a colour key are
// template arguments, so a span's inner loop carries no test of them: the
// span chooses its sampler once (WithTextureSampler).
template <TextureFilter kFilter, TextureAddress kAddress, bool kKeyed>
class TextureSampler {
public:
    explicit TextureSampler(const RasterTexture& texture)
        : texture_(texture),
          widthMask_(IsPowerOfTwo(texture.width) ? texture.width - 1 : -1),
          heightMask_(IsPowerOfTwo(texture.height) ? texture.height - 1 : -1) {}

    // Sample position s, t in texels as 16.16 fixed point (s = 0.5 is the
    // centre of the first column); ditherLevel is the pixel's ordered-dither
    // matrix value, 0 to 15. False when the colour key hides the sample: the
    // pixel is left as it was.
    [[gnu::always_inline]] bool Sample(int64_t s, int64_t t, uint32_t ditherLevel, uint16_t* out) const {
        if constexpr (kFilter == TextureFilter::Nearest) return SampleNearest(s, t, out);
        return SampleBilinear(s, t, ditherLevel, out);
    }

private:
    static bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

    // Wraps or clamps a texel index into 0..size-1.
    [[gnu::always_inline]] static int32_t Address(int64_t index, int32_t size, int32_t mask) {
        if constexpr (kAddress == TextureAddress::Clamp) {
            return index < 0 ? 0 : index >= size ? size - 1 : int32_t(index);
        } else {
            if (mask >= 0) return int32_t(index & mask);
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

    // An RGB565 texel spread over a 64-bit word, each channel in a 21-bit
    // field (blue from bit 0, green from bit 21, red from bit 42), so four
    // weighted texels add up without one channel spilling into the next.
    static uint64_t Spread(uint16_t texel) {
        return (texel & 0x001Full) | (uint64_t(texel & 0x07E0) << 16) | (uint64_t(texel & 0xF800) << 31);
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
        constexpr uint64_t kFieldMask = 0x1Full | (0x3Full << 21) | (0x1Full << 42);
        const uint64_t blend = Spread(texels[0]) * ((64 - fx) * (64 - fy)) + Spread(texels[1]) * (fx * (64 - fy)) +
                               Spread(texels[2]) * ((64 - fx) * fy) + Spread(texels[3]) * (fx * fy);
        // The dither level scaled to the 12 fraction bits (at most 15/16).
        const uint64_t dither = uint64_t(ditherLevel) << 8;
        const uint64_t fields = ((blend + (dither | dither << 21 | dither << 42)) >> 12) & kFieldMask;
        *out = uint16_t((fields & 0x1F) | ((fields >> 16) & 0x07E0) | ((fields >> 31) & 0xF800));
        return true;
    }

    const RasterTexture& texture_;
    int32_t widthMask_;   // width - 1 for a power of two, else -1
    int32_t heightMask_;  // height - 1 for a power of two, else -1
};

// Calls draw(sampler) with the sampler for the texture and the render state.
template <class Draw>
void WithTextureSampler(const RasterTexture& texture, TextureFilter filter, TextureAddress address, Draw&& draw) {
    auto withKey = [&]<TextureFilter F, TextureAddress A>() {
        if (texture.hasColorKey) {
            draw(TextureSampler<F, A, true>(texture));
        } else {
            draw(TextureSampler<F, A, false>(texture));
        }
    };
    auto withAddress = [&]<TextureFilter F>() {
        if (address == TextureAddress::Clamp) {
            withKey.template operator()<F, TextureAddress::Clamp>();
        } else {
            withKey.template operator()<F, TextureAddress::Wrap>();
        }
    };
    if (filter == TextureFilter::Nearest) {
        withAddress.template operator()<TextureFilter::Nearest>();
    } else {
        withAddress.template operator()<TextureFilter::Bilinear>();
    }
}

}  // namespace brontar::machine
