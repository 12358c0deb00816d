// Texel fetches for the rasteriser: nearest or bilinear, wrapped or clamped,
// with the source colour key, giving finished RGB565 pixels.
#pragma once

#include <cstdint>

#ifdef __SSE2__
#include <immintrin.h>
#endif

#include "machine/board/rasterizer.h"

namespace brontar::machine {

inline bool IsPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// Sides (and the pitch in texels) up to which a power-of-two texture wraps
// by masks: texel indices and row starts then fit 16-bit SIMD multiplies.
constexpr int32_t kMaskedSideLimit = 1 << 14;

// The filter, the addressing (wrapping by a mask when both sides are powers
// of two) and whether the texture has a colour key are template arguments,
// so a span's inner loop carries no test of them: the span chooses its
// sampler once (WithTextureSampler).
template <TextureFilter kFilter, TextureAddress kAddress, bool kMasked, bool kKeyed>
class TextureSampler {
public:
    static constexpr bool kBilinear = kFilter == TextureFilter::Bilinear;
    // Wrapping by masks; WithTextureSampler chooses it only for sides and a
    // pitch in texels of at most kMaskedSideLimit, the pitch even.
    static constexpr bool kWrapsByMask = kAddress == TextureAddress::Wrap && kMasked;

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

#ifdef __SSE2__
    // Eight bilinear samples at once for out[0..7]: s and t as for Sample;
    // ditherTimes256 holds the dither levels of pixels 0 to 3 (and so of 4
    // to 7) times 256 in 32-bit lanes. The blend is SampleBilinear's sum
    // channel by channel in SIMD lanes, so the pixels are the same. Pixels
    // whose sample the colour key hides keep their value.
    [[gnu::always_inline]] void SampleBilinearEight(const int64_t* s, const int64_t* t, __m128i ditherTimes256,
                                                    uint16_t* out) const
        requires(kFilter == TextureFilter::Bilinear)
    {
        if constexpr (kWrapsByMask) {
            const __m128i sLanes[2] = {Low32(s), Low32(s + 4)}, tLanes[2] = {Low32(t), Low32(t + 4)};
            SampleBilinearEight(sLanes, tLanes, ditherTimes256, out);
        } else {
            EightQuads quads;
            for (int half = 0; half < 2; ++half) {
                // Written out pixel by pixel so the values stay in registers:
                // four narrow stores read back as one vector would stall.
                const int64_t* halfS = s + 4 * half;
                const int64_t* halfT = t + 4 * half;
                const TexelPairs p0 = FetchPairs(halfS[0], halfT[0]), p1 = FetchPairs(halfS[1], halfT[1]);
                const TexelPairs p2 = FetchPairs(halfS[2], halfT[2]), p3 = FetchPairs(halfS[3], halfT[3]);
                quads.top[half] = _mm_setr_epi32(p0.top, p1.top, p2.top, p3.top);
                quads.bottom[half] = _mm_setr_epi32(p0.bottom, p1.bottom, p2.bottom, p3.bottom);
                quads.s[half] = _mm_setr_epi32(p0.sLow, p1.sLow, p2.sLow, p3.sLow);
                quads.t[half] = _mm_setr_epi32(p0.tLow, p1.tLow, p2.tLow, p3.tLow);
            }
            BlendEight(quads, ditherTimes256, out);
        }
    }

    // The same with the coordinates as the low 32 bits of s and t in lanes
    // (pixels 0 to 3, then 4 to 7): when wrapping by a mask the texel
    // indices and weights lie in those bits, so the addressing is SIMD too
    // and only the texel loads go one by one.
    [[gnu::always_inline]] void SampleBilinearEight(const __m128i (&s)[2], const __m128i (&t)[2],
                                                    __m128i ditherTimes256, uint16_t* out) const
        requires(kFilter == TextureFilter::Bilinear && kWrapsByMask)
    {
        const __m128i half = _mm_set1_epi32(0x8000), one = _mm_set1_epi32(1);
        const __m128i widthMask = _mm_set1_epi32(widthMask_), heightMask = _mm_set1_epi32(heightMask_);
        const __m128i pitch = _mm_set1_epi32(texture_.pitchBytes / 2);
        const uint16_t* texels = texture_.texels;
        EightQuads quads;
        for (int i = 0; i < 2; ++i) {
            quads.s[i] = _mm_sub_epi32(s[i], half);
            quads.t[i] = _mm_sub_epi32(t[i], half);
            const __m128i x0 = _mm_and_si128(_mm_srli_epi32(quads.s[i], 16), widthMask);
            const __m128i x1 = _mm_and_si128(_mm_add_epi32(x0, one), widthMask);
            const __m128i y0 = _mm_and_si128(_mm_srli_epi32(quads.t[i], 16), heightMask);
            const __m128i y1 = _mm_and_si128(_mm_add_epi32(y0, one), heightMask);
            // Row starts in texels: y * pitch, both at most 2^14 (kMaskedSideLimit).
            const __m128i top = _mm_madd_epi16(y0, pitch), bottom = _mm_madd_epi16(y1, pitch);
            alignas(16) int32_t index[4][4];
            _mm_store_si128(reinterpret_cast<__m128i*>(index[0]), _mm_add_epi32(top, x0));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[1]), _mm_add_epi32(top, x1));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[2]), _mm_add_epi32(bottom, x0));
            _mm_store_si128(reinterpret_cast<__m128i*>(index[3]), _mm_add_epi32(bottom, x1));
            auto pair = [&](int left, int right, int pixel) {
                return int32_t(texels[index[left][pixel]] | uint32_t(texels[index[right][pixel]]) << 16);
            };
            quads.top[i] = _mm_setr_epi32(pair(0, 1, 0), pair(0, 1, 1), pair(0, 1, 2), pair(0, 1, 3));
            quads.bottom[i] = _mm_setr_epi32(pair(2, 3, 0), pair(2, 3, 1), pair(2, 3, 2), pair(2, 3, 3));
        }
        BlendEight(quads, ditherTimes256, out);
    }

    // SampleBilinearEightGathered from 64-bit coordinates, for spans that
    // work them out pixel by pixel.
    [[gnu::target("avx2")]] void SampleBilinearEightGathered(const int64_t* s, const int64_t* t, __m128i ditherTimes256,
                                                             uint16_t* out) const
        requires(kFilter == TextureFilter::Bilinear && kWrapsByMask)
    {
        SampleBilinearEightGathered(_mm256_set_m128i(Low32(s + 4), Low32(s)), _mm256_set_m128i(Low32(t + 4), Low32(t)),
                                    _mm256_set_m128i(ditherTimes256, ditherTimes256), out);
    }

    // The same with AVX2 gathers, the coordinates' low 32 bits of the eight
    // pixels in one register each and the dither levels of pixels 0 to 3
    // repeated in both halves: each pixel's pair of row neighbours is one
    // 32-bit load, which holds while no pixel of the eight sits on the last
    // column (whose right neighbour wraps to the row's start); when one
    // does, the eight go as SampleBilinearEight.
    [[gnu::target("avx2"), gnu::always_inline]] void SampleBilinearEightGathered(__m256i s, __m256i t,
                                                                               __m256i ditherTimes256,
                                                                               uint16_t* out) const
        requires(kFilter == TextureFilter::Bilinear && kWrapsByMask)
    {
        const __m256i half = _mm256_set1_epi32(0x8000), widthMask = _mm256_set1_epi32(widthMask_);
        const __m256i heightMask = _mm256_set1_epi32(heightMask_);
        const __m256i sLess = _mm256_sub_epi32(s, half);
        const __m256i tLess = _mm256_sub_epi32(t, half);
        const __m256i x0 = _mm256_and_si256(_mm256_srli_epi32(sLess, 16), widthMask);
        const __m256i lastColumn = _mm256_cmpeq_epi32(x0, widthMask);
        if (!_mm256_testz_si256(lastColumn, lastColumn)) {
            const __m128i sLanes[2] = {_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1)};
            const __m128i tLanes[2] = {_mm256_castsi256_si128(t), _mm256_extracti128_si256(t, 1)};
            SampleBilinearEight(sLanes, tLanes, _mm256_castsi256_si128(ditherTimes256), out);
            return;
        }
        const __m256i y0 = _mm256_and_si256(_mm256_srli_epi32(tLess, 16), heightMask);
        const __m256i y1 = _mm256_and_si256(_mm256_add_epi32(y0, _mm256_set1_epi32(1)), heightMask);
        const __m256i pitch = _mm256_set1_epi32(texture_.pitchBytes / 2);
        const int* texels = reinterpret_cast<const int*>(texture_.texels);
        const __m256i top = _mm256_i32gather_epi32(texels, _mm256_add_epi32(_mm256_mullo_epi32(y0, pitch), x0), 2);
        const __m256i bottom = _mm256_i32gather_epi32(texels, _mm256_add_epi32(_mm256_mullo_epi32(y1, pitch), x0), 2);
        BlendEightAvx2(top, bottom, sLess, tLess, ditherTimes256, out);
    }
#endif

private:
#ifdef __SSE2__
    // Eight pixels' texels as pairs of row neighbours, the left texel in the
    // low half of a 32-bit lane, and the low bits of their coordinates less
    // half a texel, which carry the weights; pixels 0 to 3, then 4 to 7.
    struct EightQuads {
        __m128i top[2], bottom[2], s[2], t[2];
    };

    static __m128i Low32(const int64_t* values) {
        return _mm_setr_epi32(int32_t(values[0]), int32_t(values[1]), int32_t(values[2]), int32_t(values[3]));
    }

    [[gnu::always_inline]] void BlendEight(EightQuads& quads, __m128i ditherTimes256, uint16_t* out) const {
        __m128i red[2], green[2], blue[2], hidden[2];
        for (int half = 0; half < 2; ++half) {
            const __m128i fx = Fraction6(quads.s[half]), fy = Fraction6(quads.t[half]);
            // madd weights: 64 - f for the low texel of a pair, f for the high.
            const __m128i weightsX = _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(64), fx), _mm_slli_epi32(fx, 16));
            const __m128i weightsY = _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(64), fy), _mm_slli_epi32(fy, 16));
            __m128i top = quads.top[half], bottom = quads.bottom[half];
            hidden[half] = _mm_setzero_si128();
            if constexpr (kKeyed) {
                // The texel nearest the sample, in both halves of its pair.
                const __m128i nearX = _mm_cmpgt_epi32(fx, _mm_set1_epi32(31));
                const __m128i nearTop = Select(nearX, RightOfPair(top), LeftOfPair(top));
                const __m128i nearBottom = Select(nearX, RightOfPair(bottom), LeftOfPair(bottom));
                const __m128i nearest = Select(_mm_cmpgt_epi32(fy, _mm_set1_epi32(31)), nearBottom, nearTop);
                const __m128i key = _mm_set1_epi16(int16_t(texture_.colorKey));
                hidden[half] = _mm_cmpeq_epi16(nearest, key);
                top = Select(_mm_cmpeq_epi16(top, key), nearest, top);
                bottom = Select(_mm_cmpeq_epi16(bottom, key), nearest, bottom);
            }
            // One channel: each row's pair blended by x, the two rows by y,
            // the dither added to the 12 fraction bits, which are then cut.
            auto channel = [&](int shift, int16_t mask) {
                const __m128i bits = _mm_set1_epi16(mask);
                const __m128i upper = _mm_madd_epi16(_mm_and_si128(_mm_srli_epi16(top, shift), bits), weightsX);
                const __m128i lower = _mm_madd_epi16(_mm_and_si128(_mm_srli_epi16(bottom, shift), bits), weightsX);
                const __m128i rows = _mm_or_si128(upper, _mm_slli_epi32(lower, 16));  // each at most 63 * 64
                return _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(rows, weightsY), ditherTimes256), 12);
            };
            red[half] = channel(11, 0x1F);
            green[half] = channel(5, 0x3F);
            blue[half] = channel(0, 0x1F);
        }
        const __m128i pixels = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_packs_epi32(red[0], red[1]), 11),
                                                         _mm_slli_epi16(_mm_packs_epi32(green[0], green[1]), 5)),
                                            _mm_packs_epi32(blue[0], blue[1]));
        __m128i* target = reinterpret_cast<__m128i*>(out);
        if constexpr (kKeyed) {
            const __m128i keep = _mm_packs_epi32(hidden[0], hidden[1]);
            _mm_storeu_si128(target, Select(keep, _mm_loadu_si128(target), pixels));
        } else {
            _mm_storeu_si128(target, pixels);
        }
    }

    // BlendEight with the eight pixels in one AVX2 register each: the same
    // sums, in twice as wide lanes.
    [[gnu::target("avx2"), gnu::always_inline]] void BlendEightAvx2(__m256i top, __m256i bottom, __m256i s, __m256i t,
                                                                    __m256i ditherTimes256, uint16_t* out) const {
        const __m256i sixtyFour = _mm256_set1_epi32(64), sixBits = _mm256_set1_epi32(63);
        const __m256i fx = _mm256_and_si256(_mm256_srli_epi32(s, 10), sixBits);
        const __m256i fy = _mm256_and_si256(_mm256_srli_epi32(t, 10), sixBits);
        const __m256i weightsX = _mm256_or_si256(_mm256_sub_epi32(sixtyFour, fx), _mm256_slli_epi32(fx, 16));
        const __m256i weightsY = _mm256_or_si256(_mm256_sub_epi32(sixtyFour, fy), _mm256_slli_epi32(fy, 16));
        __m256i hidden = _mm256_setzero_si256();
        if constexpr (kKeyed) {
            const __m256i nearX = _mm256_cmpgt_epi32(fx, _mm256_set1_epi32(31));
            const __m256i nearest =
                SelectAvx2(_mm256_cmpgt_epi32(fy, _mm256_set1_epi32(31)),
                           SelectAvx2(nearX, RightOfPairAvx2(bottom), LeftOfPairAvx2(bottom)),
                           SelectAvx2(nearX, RightOfPairAvx2(top), LeftOfPairAvx2(top)));
            const __m256i key = _mm256_set1_epi16(int16_t(texture_.colorKey));
            hidden = _mm256_cmpeq_epi16(nearest, key);
            top = SelectAvx2(_mm256_cmpeq_epi16(top, key), nearest, top);
            bottom = SelectAvx2(_mm256_cmpeq_epi16(bottom, key), nearest, bottom);
        }
        const __m256i pixels = _mm256_or_si256(
            _mm256_or_si256(_mm256_slli_epi32(ChannelAvx2(top, bottom, 11, 0x1F, weightsX, weightsY, ditherTimes256), 11),
                            _mm256_slli_epi32(ChannelAvx2(top, bottom, 5, 0x3F, weightsX, weightsY, ditherTimes256), 5)),
            ChannelAvx2(top, bottom, 0, 0x1F, weightsX, weightsY, ditherTimes256));
        __m128i* target = reinterpret_cast<__m128i*>(out);
        if constexpr (kKeyed) {
            _mm_storeu_si128(target, Select(NarrowAvx2(_mm256_srli_epi32(hidden, 16)), _mm_loadu_si128(target),
                                            NarrowAvx2(pixels)));
        } else {
            _mm_storeu_si128(target, NarrowAvx2(pixels));
        }
    }

    [[gnu::target("avx2"), gnu::always_inline]] static __m256i SelectAvx2(__m256i mask, __m256i ifSet,
                                                                           __m256i ifClear) {
        return _mm256_blendv_epi8(ifClear, ifSet, mask);
    }
    [[gnu::target("avx2"), gnu::always_inline]] static __m256i LeftOfPairAvx2(__m256i pairs) {
        return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pairs, 0xA0), 0xA0);
    }
    [[gnu::target("avx2"), gnu::always_inline]] static __m256i RightOfPairAvx2(__m256i pairs) {
        return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pairs, 0xF5), 0xF5);
    }
    // One channel of eight pixels, as the channel in BlendEight.
    [[gnu::target("avx2"), gnu::always_inline]] static __m256i ChannelAvx2(__m256i top, __m256i bottom, int shift,
                                                                            int16_t mask, __m256i weightsX,
                                                                            __m256i weightsY, __m256i ditherTimes256) {
        const __m256i bits = _mm256_set1_epi16(mask);
        const __m256i upper = _mm256_madd_epi16(_mm256_and_si256(_mm256_srli_epi16(top, shift), bits), weightsX);
        const __m256i lower = _mm256_madd_epi16(_mm256_and_si256(_mm256_srli_epi16(bottom, shift), bits), weightsX);
        const __m256i rows = _mm256_or_si256(upper, _mm256_slli_epi32(lower, 16));
        return _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(rows, weightsY), ditherTimes256), 12);
    }
    // Eight 32-bit lanes holding 16-bit values to eight 16-bit lanes: the
    // in-lane pack, then the low quarters of the two halves together.
    [[gnu::target("avx2"), gnu::always_inline]] static __m128i NarrowAvx2(__m256i lanes) {
        return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi32(lanes, lanes), 0x08));
    }

    // One pixel's four texels as pairs of row neighbours, the left texel in
    // the low half; and the low bits of its coordinates, which carry the weights.
    struct TexelPairs {
        int32_t top, bottom, sLow, tLow;
    };
    [[gnu::always_inline]] TexelPairs FetchPairs(int64_t s, int64_t t) const {
        s -= 0x8000;
        t -= 0x8000;
        const int32_t x0 = Address(s >> 16, texture_.width, widthMask_);
        const int32_t x1 = Address((s >> 16) + 1, texture_.width, widthMask_);
        const uint16_t* top = Row(Address(t >> 16, texture_.height, heightMask_));
        const uint16_t* bottom = Row(Address((t >> 16) + 1, texture_.height, heightMask_));
        return {int32_t(top[x0] | uint32_t(top[x1]) << 16), int32_t(bottom[x0] | uint32_t(bottom[x1]) << 16),
                int32_t(uint32_t(s)), int32_t(uint32_t(t))};
    }
    // Bits 10 to 15 of four 16.16 coordinates: the 6-bit blend weight.
    static __m128i Fraction6(__m128i coordinates) {
        return _mm_and_si128(_mm_srli_epi32(coordinates, 10), _mm_set1_epi32(63));
    }
    static __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
        return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
    }
    static __m128i LeftOfPair(__m128i pairs) {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pairs, 0xA0), 0xA0);
    }
    static __m128i RightOfPair(__m128i pairs) {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pairs, 0xF5), 0xF5);
    }
#endif

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
        } else if (IsPowerOfTwo(texture.width) && IsPowerOfTwo(texture.height) && texture.width <= kMaskedSideLimit &&
                   texture.height <= kMaskedSideLimit && texture.pitchBytes > 0 && texture.pitchBytes % 2 == 0 &&
                   texture.pitchBytes / 2 < kMaskedSideLimit) {
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
