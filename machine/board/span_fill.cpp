#include "machine/board/span_fill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <immintrin.h>
#endif

#include "machine/board/texture_sampler.h"
#include "machine/vector_units.h"

namespace brontar::machine {

namespace {

// 4x4 ordered-dither matrix (values 0 to 15).
constexpr int32_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Packing tables from an 8-bit channel plus its dither offset (at most 7)
// to the channel's bits of an RGB565 pixel, saturating at the top.
struct PackTables {
    std::array<uint16_t, 263> red{};
    std::array<uint16_t, 263> green{};
    std::array<uint16_t, 263> blue{};
    constexpr PackTables() {
        for (int32_t v = 0; v < 263; ++v) {
            red[v] = uint16_t(std::min(v >> 3, 31) << 11);
            green[v] = uint16_t(std::min(v >> 2, 63) << 5);
            blue[v] = uint16_t(std::min(v >> 3, 31));
        }
    }
};
constexpr PackTables kPack;

// Dither offsets of one row, by x & 3. A 5-bit channel loses 3 bits, so its
// offset is the matrix value scaled to 0..7; green loses 2 bits: 0..3.
struct RowDither {
    uint32_t level[4] = {0, 0, 0, 0};  // matrix values, for the texture sampler
    int32_t fiveBit[4] = {0, 0, 0, 0};
    int32_t sixBit[4] = {0, 0, 0, 0};
    RowDither(bool enabled, int32_t y) {
        if (!enabled) return;
        for (int i = 0; i < 4; ++i) {
            level[i] = uint32_t(kBayer[y & 3][i]);
            fiveBit[i] = kBayer[y & 3][i] >> 1;
            sixBit[i] = kBayer[y & 3][i] >> 2;
        }
    }
    uint16_t Pack(int32_t x, int32_t red, int32_t green, int32_t blue) const {
        const int i = x & 3;
        return uint16_t(kPack.red[red + fiveBit[i]] | kPack.green[green + sixBit[i]] | kPack.blue[blue + fiveBit[i]]);
    }
};

// One colour channel along a span in 8.16 fixed point (8 integer bits for
// 0..255, 16 fraction bits). Both ends are clamped to 0..255 before the step
// is taken, so no pixel in between can leave that range.
struct ChannelStepper {
    int32_t value = 0;
    int32_t step = 0;
    ChannelStepper(const AttributePlane& plane, double x0, double x1, double y) {
        constexpr double kMax = 255.0 * 65536.0 + 65535.0;
        const double first = std::clamp(plane.At(x0, y) * 65536.0, 0.0, kMax);
        const double last = std::clamp(plane.At(x1, y) * 65536.0, 0.0, kMax);
        value = int32_t(first);
        step = x1 > x0 ? int32_t((last - first) / (x1 - x0)) : 0;
    }
};

// A span of one colour: four dithered pixel values repeat along the row.
void FillConstantSpan(uint16_t* row, int32_t x0, int32_t x1, uint32_t color, const RowDither& dither) {
    const int32_t red = (color >> 16) & 0xFF, green = (color >> 8) & 0xFF, blue = color & 0xFF;
    uint16_t pattern[4];
    for (int i = 0; i < 4; ++i) pattern[i] = dither.Pack(i, red, green, blue);
    if (pattern[0] == pattern[1] && pattern[0] == pattern[2] && pattern[0] == pattern[3]) {
        std::fill(row + x0, row + x1, pattern[0]);
        return;
    }
    for (int32_t x = x0; x < x1; ++x) row[x] = pattern[x & 3];
}

#ifdef __SSE2__
// Eight pixels a round with SSE2 (the x86-64 baseline): the same 8.16
// values and steps as the pixel loop, each channel's integer part plus its
// dither offset shifted down to the channel's bits and saturated at the top
// as the packing tables do, so the pixels are the same. Advances the
// steppers past the pixels it drew and returns the first x left.
int32_t FillGouraudEights(uint16_t* row, int32_t x0, int32_t x1, ChannelStepper& red, ChannelStepper& green,
                          ChannelStepper& blue, const RowDither& dither) {
    const int32_t rounds = (x1 - x0) / 8;
    if (rounds == 0) return x0;
    struct Lanes {
        __m128i low, high, step;  // pixels 0-3 and 4-7 of the round; eight steps
    };
    auto lanes = [](const ChannelStepper& c) {
        const uint32_t v = uint32_t(c.value), d = uint32_t(c.step);
        const __m128i low = _mm_setr_epi32(int32_t(v), int32_t(v + d), int32_t(v + 2 * d), int32_t(v + 3 * d));
        return Lanes{low, _mm_add_epi32(low, _mm_set1_epi32(int32_t(4 * d))), _mm_set1_epi32(int32_t(8 * d))};
    };
    auto integers = [](Lanes& c) {
        const __m128i packed = _mm_packs_epi32(_mm_srai_epi32(c.low, 16), _mm_srai_epi32(c.high, 16));
        c.low = _mm_add_epi32(c.low, c.step);
        c.high = _mm_add_epi32(c.high, c.step);
        return packed;
    };
    Lanes r = lanes(red), g = lanes(green), b = lanes(blue);
    int16_t five[8], six[8];
    for (int i = 0; i < 8; ++i) {
        five[i] = int16_t(dither.fiveBit[(x0 + i) & 3]);
        six[i] = int16_t(dither.sixBit[(x0 + i) & 3]);
    }
    const __m128i fiveBit = _mm_loadu_si128(reinterpret_cast<const __m128i*>(five));
    const __m128i sixBit = _mm_loadu_si128(reinterpret_cast<const __m128i*>(six));
    const __m128i max5 = _mm_set1_epi16(31), max6 = _mm_set1_epi16(63);
    uint16_t* out = row + x0;
    for (int32_t i = 0; i < rounds; ++i, out += 8) {
        const __m128i r5 = _mm_min_epi16(_mm_srli_epi16(_mm_add_epi16(integers(r), fiveBit), 3), max5);
        const __m128i g6 = _mm_min_epi16(_mm_srli_epi16(_mm_add_epi16(integers(g), sixBit), 2), max6);
        const __m128i b5 = _mm_min_epi16(_mm_srli_epi16(_mm_add_epi16(integers(b), fiveBit), 3), max5);
        const __m128i pixels = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r5, 11), _mm_slli_epi16(g6, 5)), b5);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), pixels);
    }
    const int64_t drawn = int64_t(rounds) * 8;
    for (ChannelStepper* c : {&red, &green, &blue}) c->value = int32_t(c->value + drawn * c->step);
    return x0 + int32_t(drawn);
}
#endif

#ifdef __SSE2__
// The last pixels of a span, fewer than a round of kRound, drawn as one more
// round into a scratch row that starts as the pixels there (a sample the
// colour key hides keeps its pixel), then copied back.
template <int kRound, class DrawRound>
void WithLastPixels(uint16_t* pixels, int32_t count, DrawRound&& drawRound) {
    if (count <= 0) return;
    uint16_t last[kRound] = {};
    std::memcpy(last, pixels, size_t(count) * sizeof(uint16_t));
    drawRound(last);
    std::memcpy(pixels, last, size_t(count) * sizeof(uint16_t));
}
#endif

#ifdef __SSE2__
// One channel of sixteen pixels for FillGouraudSixteensAvx2: its 8.16
// values with the pixel's dither offset added to the integer part.
struct ChannelLanesAvx2 {
    __m256i low, high, step;  // pixels 0-7 and 8-15 of the round; sixteen steps
};

[[gnu::target("avx2")]] ChannelLanesAvx2 FirstLanesAvx2(const ChannelStepper& c, int32_t x0,
                                                       const int32_t (&offsets)[4]) {
    alignas(32) uint32_t first[8];
    for (uint32_t i = 0; i < 8; ++i)
        first[i] = uint32_t(c.value) + i * uint32_t(c.step) + (uint32_t(offsets[(x0 + i) & 3]) << 16);
    const __m256i low = _mm256_load_si256(reinterpret_cast<const __m256i*>(first));
    return {low, _mm256_add_epi32(low, _mm256_set1_epi32(int32_t(8 * uint32_t(c.step)))),
            _mm256_set1_epi32(int32_t(16 * uint32_t(c.step)))};
}

// The channel's bits of sixteen pixels, saturated as the packing tables do,
// in 16-bit lanes in the order the in-lane pack leaves them; then a step on.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i ChannelBitsAvx2(ChannelLanesAvx2& c, int shift,
                                                                          __m256i max) {
    const __m256i packed = _mm256_packus_epi32(_mm256_srli_epi32(c.low, shift), _mm256_srli_epi32(c.high, shift));
    c.low = _mm256_add_epi32(c.low, c.step);
    c.high = _mm256_add_epi32(c.high, c.step);
    return _mm256_min_epu16(packed, max);
}

// Rounds of sixteen pixels with AVX2, where the processor has it, the first
// at x, drawn to out. The dither offset is in the lanes from the start
// (lane i holds the pixels x + i + 16k, which all have the same x & 3), so
// a channel is a shift and a saturation and the pixels are those of the
// pixel loop. Advances the steppers past the pixels drawn.
[[gnu::target("avx2")]] void FillGouraudSixteensAvx2(uint16_t* out, int32_t x, int32_t rounds, ChannelStepper& red,
                                                     ChannelStepper& green, ChannelStepper& blue,
                                                     const RowDither& dither) {
    ChannelLanesAvx2 r = FirstLanesAvx2(red, x, dither.fiveBit), g = FirstLanesAvx2(green, x, dither.sixBit),
                     b = FirstLanesAvx2(blue, x, dither.fiveBit);
    const __m256i max5 = _mm256_set1_epi16(31), max6 = _mm256_set1_epi16(63);
    for (int32_t i = 0; i < rounds; ++i, out += 16) {
        const __m256i r5 = ChannelBitsAvx2(r, 19, max5), g6 = ChannelBitsAvx2(g, 18, max6),
                      b5 = ChannelBitsAvx2(b, 19, max5);
        const __m256i pixels = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r5, 11), _mm256_slli_epi16(g6, 5)), b5);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute4x64_epi64(pixels, 0xD8));
    }
    const int64_t drawn = int64_t(rounds) * 16;
    for (ChannelStepper* c : {&red, &green, &blue}) c->value = int32_t(c->value + drawn * c->step);
}
#endif

void FillGouraudSpan(uint16_t* row, int32_t y, int32_t x0, int32_t x1, const TrianglePlanes& planes,
                     const RowDither& dither) {
    ChannelStepper red(planes.red, x0, x1 - 1, y);
    ChannelStepper green(planes.green, x0, x1 - 1, y);
    ChannelStepper blue(planes.blue, x0, x1 - 1, y);
    int32_t x = x0;
#ifdef __SSE2__
    if (ProcessorHas(VectorUnit::Avx2)) {
        const int32_t rounds = (x1 - x0) / 16;
        FillGouraudSixteensAvx2(row + x0, x0, rounds, red, green, blue, dither);
        x = x0 + 16 * rounds;
        WithLastPixels<16>(row + x, x1 - x, [&](uint16_t* last) {
            FillGouraudSixteensAvx2(last, x, 1, red, green, blue, dither);
        });
        return;
    }
    x = FillGouraudEights(row, x, x1, red, green, blue, dither);
#endif
    for (; x < x1; ++x) {
        row[x] = dither.Pack(x, red.value >> 16, green.value >> 16, blue.value >> 16);
        red.value += red.step;
        green.value += green.step;
        blue.value += blue.step;
    }
}

// Texture coordinates in 16.16 fixed point, kept far from the int64 limits
// whatever a program sends.
int64_t ToFixed16(double texels) {
    constexpr double kLimit = double(int64_t(1) << 46);
    return int64_t(std::clamp(texels * 65536.0, -kLimit, kLimit));
}

#ifdef __SSE2__
// The dither levels of pixels x to x + 3 times 256, in 32-bit lanes; the
// pattern repeats every four pixels, so it serves every round of eight.
__m128i DitherTimes256(const RowDither& dither, int32_t x) {
    return _mm_setr_epi32(int32_t(dither.level[x & 3] << 8), int32_t(dither.level[(x + 1) & 3] << 8),
                          int32_t(dither.level[(x + 2) & 3] << 8), int32_t(dither.level[(x + 3) & 3] << 8));
}
#endif

// Decal texturing along a span: next(s, t) gives each pixel's texture
// coordinates in turn. Bilinear samples go eight at a time where SSE2 is
// there, nearest samples one by one.
template <class TextureSampler, class NextCoordinates>
void FillTextureSpan(uint16_t* row, int32_t x0, int32_t x1, const TextureSampler& sampler, const RowDither& dither,
                     NextCoordinates&& next) {
    int32_t x = x0;
    int64_t s = 0, t = 0;
#ifdef __SSE2__
    if constexpr (TextureSampler::kBilinear) {
        const __m128i ditherTimes256 = DitherTimes256(dither, x0);
        const bool avx2 = ProcessorHas(VectorUnit::Avx2);
        auto drawRound = [&](uint16_t* out) {
            int64_t eightS[8], eightT[8];
            for (int i = 0; i < 8; ++i) next(eightS[i], eightT[i]);
            if constexpr (TextureSampler::kWrapsByMask) {
                if (avx2) return sampler.SampleBilinearEightGathered(eightS, eightT, ditherTimes256, out);
            }
            sampler.SampleBilinearEight(eightS, eightT, ditherTimes256, out);
        };
        for (; x1 - x >= 8; x += 8) drawRound(row + x);
        WithLastPixels<8>(row + x, x1 - x, drawRound);
        return;
    }
#endif
    for (; x < x1; ++x) {
        next(s, t);
        sampler.Sample(s, t, dither.level[x & 3], &row[x]);
    }
}

#ifdef __SSE2__
// Coordinate lanes of a round of eight pixels on to the next round.
[[gnu::always_inline]] inline void StepLanes(__m128i (&s)[2], __m128i (&t)[2], __m128i sRound, __m128i tRound) {
    for (int i = 0; i < 2; ++i) {
        s[i] = _mm_add_epi32(s[i], sRound);
        t[i] = _mm_add_epi32(t[i], tRound);
    }
}

// Rounds of eight bilinear samples wrapped by masks, with AVX2 gathers; the
// lanes are kept in AVX2 registers and left at the round after the last.
template <class TextureSampler>
[[gnu::target("avx2")]] void FillWrappedEightsAvx2(uint16_t* out, int32_t rounds, __m128i (&s)[2], __m128i (&t)[2],
                                                   __m128i sRound, __m128i tRound, __m128i ditherTimes256,
                                                   const TextureSampler& sampler) {
    __m256i sLanes = _mm256_set_m128i(s[1], s[0]), tLanes = _mm256_set_m128i(t[1], t[0]);
    const __m256i sStep = _mm256_set_m128i(sRound, sRound), tStep = _mm256_set_m128i(tRound, tRound);
    const __m256i dither = _mm256_set_m128i(ditherTimes256, ditherTimes256);
    for (int32_t round = 0; round < rounds; ++round, out += 8) {
        sampler.SampleBilinearEightGathered(sLanes, tLanes, dither, out);
        sLanes = _mm256_add_epi32(sLanes, sStep);
        tLanes = _mm256_add_epi32(tLanes, tStep);
    }
    s[0] = _mm256_castsi256_si128(sLanes);
    s[1] = _mm256_extracti128_si256(sLanes, 1);
    t[0] = _mm256_castsi256_si128(tLanes);
    t[1] = _mm256_extracti128_si256(tLanes, 1);
}
#endif

// Decal texturing with the coordinates stepped linearly along the span.
template <class TextureSampler>
void FillAffineTextureSpan(uint16_t* row, int32_t y, int32_t x0, int32_t x1, const TrianglePlanes& planes,
                           const TextureSampler& sampler, const RowDither& dither) {
    int64_t s = ToFixed16(planes.s.At(x0, y));
    int64_t t = ToFixed16(planes.t.At(x0, y));
    const int64_t sStep = ToFixed16(planes.s.perX);
    const int64_t tStep = ToFixed16(planes.t.perX);
#ifdef __SSE2__
    if constexpr (TextureSampler::kBilinear && TextureSampler::kWrapsByMask) {
        // Wrapping by masks needs only the low 32 bits of the coordinates,
        // which step in SIMD lanes exactly as the 64-bit values do.
        auto setLanes = [](__m128i (&lanes)[2], int64_t start, int64_t step) {
            const uint32_t v = uint32_t(start), d = uint32_t(step);
            lanes[0] = _mm_setr_epi32(int32_t(v), int32_t(v + d), int32_t(v + 2 * d), int32_t(v + 3 * d));
            lanes[1] = _mm_add_epi32(lanes[0], _mm_set1_epi32(int32_t(4 * d)));
        };
        __m128i sLanes[2], tLanes[2];
        setLanes(sLanes, s, sStep);
        setLanes(tLanes, t, tStep);
        const __m128i sRound = _mm_set1_epi32(int32_t(uint32_t(sStep) * 8));
        const __m128i tRound = _mm_set1_epi32(int32_t(uint32_t(tStep) * 8));
        const __m128i ditherTimes256 = DitherTimes256(dither, x0);
        const bool avx2 = ProcessorHas(VectorUnit::Avx2);
        auto drawRounds = [&](uint16_t* out, int32_t rounds) {
            if (avx2) {
                FillWrappedEightsAvx2(out, rounds, sLanes, tLanes, sRound, tRound, ditherTimes256, sampler);
                return;
            }
            for (int32_t round = 0; round < rounds; ++round, out += 8) {
                sampler.SampleBilinearEight(sLanes, tLanes, ditherTimes256, out);
                StepLanes(sLanes, tLanes, sRound, tRound);
            }
        };
        const int32_t rounds = (x1 - x0) / 8;
        drawRounds(row + x0, rounds);
        WithLastPixels<8>(row + x0 + 8 * rounds, x1 - x0 - 8 * rounds, [&](uint16_t* last) { drawRounds(last, 1); });
        return;
    }
#endif
    FillTextureSpan(row, x0, x1, sampler, dither, [&](int64_t& pixelS, int64_t& pixelT) {
        pixelS = s;
        pixelT = t;
        s += sStep;
        t += tStep;
    });
}

// Decal texturing corrected for perspective: s*q, t*q and q step linearly in
// screen space and each pixel divides by q.
template <class TextureSampler>
void FillPerspectiveTextureSpan(uint16_t* row, int32_t y, int32_t x0, int32_t x1, const TrianglePlanes& planes,
                                const TextureSampler& sampler, const RowDither& dither) {
    double sq = planes.s.At(x0, y), tq = planes.t.At(x0, y), q = planes.q.At(x0, y);
    FillTextureSpan(row, x0, x1, sampler, dither, [&](int64_t& pixelS, int64_t& pixelT) {
        // Inside the triangle q is a blend of positive vertex values; the
        // guard only matters for rounding right at a vertex.
        const double w = 1.0 / std::max(q, 1e-12);
        pixelS = ToFixed16(sq * w);
        pixelT = ToFixed16(tq * w);
        sq += planes.s.perX;
        tq += planes.t.perX;
        q += planes.q.perX;
    });
}

}  // namespace

void FillSpan(const PixelBlock& target, int32_t y, int32_t x0, int32_t x1, const TrianglePlanes& planes,
              const RasterState& state) {
    uint16_t* row = target.Row(y);
    const RowDither dither(state.dither, y);
    if (planes.textured) {
        WithTextureSampler(*state.texture, state.filter, state.address, [&](const auto& sampler) {
            if (planes.perspective) {
                FillPerspectiveTextureSpan(row, y, x0, x1, planes, sampler, dither);
            } else {
                FillAffineTextureSpan(row, y, x0, x1, planes, sampler, dither);
            }
        });
    } else if (planes.constantColor) {
        FillConstantSpan(row, x0, x1, planes.flatColor, dither);
    } else {
        FillGouraudSpan(row, y, x0, x1, planes, dither);
    }
}

}  // namespace brontar::machine
