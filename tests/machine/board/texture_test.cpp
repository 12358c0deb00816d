// Decal texturing: nearest and bilinear sampling, wrapping, perspective and
// the source colour key.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "machine/board/texture_sampler.h"
#include "tests/machine/board/canvas.h"

namespace brontar::machine::testing {
namespace {

struct Texels {
    std::vector<uint16_t> data;
    RasterTexture texture;
    Texels(int32_t width, int32_t height, std::vector<uint16_t> values) : data(std::move(values)) {
        texture.texels = data.data();
        texture.width = width;
        texture.height = height;
        texture.pitchBytes = width * 2;
    }
};

RasterState TexturedState(const RasterTexture& texture, TextureFilter filter, bool perspective = false) {
    RasterState state = UntexturedState(ShadeMode::Flat);
    state.texture = &texture;
    state.filter = filter;
    state.perspective = perspective;
    return state;
}

// A triangle over the whole 8x8 canvas with the same texture coordinate at
// every corner, so every pixel samples that one point.
uint16_t SampleAt(const RasterState& state, float u, float v) {
    Canvas canvas(8, 8);
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, 0, u, v), Vertex(20, 0, 0, u, v),
                 Vertex(0, 20, 0, u, v));
    return canvas.At(2, 2);
}

TEST(Texturing, DecalReplacesTheVertexColour) {
    Texels texels(2, 2, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    const RasterState state = TexturedState(texels.texture, TextureFilter::Nearest);
    // u = 0.75, v = 0.25 lies in texel (1, 0).
    EXPECT_EQ(SampleAt(state, 0.75f, 0.25f), 0x07E0);
    EXPECT_EQ(SampleAt(state, 0.25f, 0.75f), 0x001F);
    EXPECT_EQ(SampleAt(state, 1.25f, 1.75f), 0x001F) << "coordinates wrap";
    EXPECT_EQ(SampleAt(state, -0.25f, 0.25f), 0x07E0) << "negative coordinates wrap";
}

TEST(Texturing, BilinearBlendsBetweenTexelCentres) {
    Texels texels(2, 1, {0x0000, 0xFFFF});
    const RasterState state = TexturedState(texels.texture, TextureFilter::Bilinear);
    // u = 0.75 is the centre of texel 1: exactly white.
    EXPECT_EQ(SampleAt(state, 0.75f, 0.5f), 0xFFFF);
    // u = 0.5 lies halfway between the centres: red 248/2 = 124 -> 15,
    // green 252/2 = 126 -> 31, blue 15.
    EXPECT_EQ(SampleAt(state, 0.5f, 0.5f), (15 << 11) | (31 << 5) | 15);
    // u = 0.375 is a quarter of the way: red 62 -> 7, green 63 -> 15, blue 7.
    EXPECT_EQ(SampleAt(state, 0.375f, 0.5f), (7 << 11) | (15 << 5) | 7);
}

// Every weight pair and dither level on texel quads that mix full, empty
// and uneven channels: each channel of the sample is the weighted sum of the
// four texels' channels, weights (64 - fx)(64 - fy), fx(64 - fy), (64 - fx)fy
// and fx fy, plus the dither level times 256, cut to its bits by >> 12.
TEST(Texturing, BilinearSampleIsTheWeightedSumPerChannel) {
    const uint16_t quads[][4] = {{0x0000, 0xFFFF, 0xFFFF, 0x0000},
                                 {0xF800, 0x07E0, 0x001F, 0xFFFF},
                                 {0x1234, 0xFEDC, 0x8410, 0x7BEF},
                                 {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}};
    for (const auto& quad : quads) {
        // A 2x2 texture whose sample at s, t in (0.5, 1.5) blends exactly these four.
        Texels texels(2, 2, {quad[0], quad[1], quad[2], quad[3]});
        const TextureSampler<TextureFilter::Bilinear, TextureAddress::Wrap, true, false> sampler(texels.texture);
        for (int fx = 0; fx < 64; ++fx)
            for (int fy = 0; fy < 64; ++fy)
                for (uint32_t dither = 0; dither < 16; ++dither) {
                    const int weights[4] = {(64 - fx) * (64 - fy), fx * (64 - fy), (64 - fx) * fy, fx * fy};
                    auto channel = [&](int shift, int mask) {
                        int sum = int(dither) * 256;
                        for (int i = 0; i < 4; ++i) sum += ((quad[i] >> shift) & mask) * weights[i];
                        return (sum >> 12) << shift;
                    };
                    const uint16_t expected = uint16_t(channel(11, 0x1F) | channel(5, 0x3F) | channel(0, 0x1F));
                    uint16_t shown = 0;
                    ASSERT_TRUE(sampler.Sample(0x8000 + (fx << 10), 0x8000 + (fy << 10), dither, &shown));
                    ASSERT_EQ(shown, expected) << std::hex << quad[0] << ' ' << quad[1] << ' ' << quad[2] << ' '
                                               << quad[3] << std::dec << " fx " << fx << " fy " << fy << " dither " << dither;
                }
    }
}

TEST(Texturing, BilinearAtTheEdgeWrapsOrClamps) {
    Texels texels(2, 1, {0x0000, 0xFFFF});
    RasterState state = TexturedState(texels.texture, TextureFilter::Bilinear);
    // u = 0 lies halfway between texel 0 and, wrapped, texel 1.
    EXPECT_EQ(SampleAt(state, 0.0f, 0.5f), (15 << 11) | (31 << 5) | 15);
    state.address = TextureAddress::Clamp;
    EXPECT_EQ(SampleAt(state, 0.0f, 0.5f), 0x0000);
}

TEST(Texturing, PerspectiveDividesByRhw) {
    // Sixteen texels in a row, each a different blue. Along row 0, rhw goes
    // from 1 at x = 0 to 0.25 at x = 16 and u from 0 to 1, so at screen
    // fraction f: u = 0.25f / (1 - 0.75f). At x = 8: u = 0.2, texel 3.2;
    // at x = 12: u = 0.1875 / 0.4375 = 0.43, texel 6.86. Without
    // perspective u = f: texels 8 and 12.
    std::vector<uint16_t> row(16);
    for (int i = 0; i < 16; ++i) row[i] = uint16_t(i + 1);
    Texels texels(16, 1, row);
    for (const bool perspective : {true, false}) {
        Canvas canvas(16, 16);
        DrawTriangle(canvas.Target(), {}, TexturedState(texels.texture, TextureFilter::Nearest, perspective),
                     Vertex(0, 0, 0, 0, 0, 1), Vertex(16, 0, 0, 1, 0, 0.25f), Vertex(0, 16, 0, 0, 0, 1));
        EXPECT_EQ(canvas.At(8, 0), perspective ? 4 : 9);
        EXPECT_EQ(canvas.At(12, 0), perspective ? 7 : 13);
        EXPECT_EQ(canvas.At(0, 0), 1);
    }
}

TEST(ColourKey, NearestLeavesKeyedTexelsUndrawn) {
    Texels texels(2, 1, {0x0000, 0xF800});
    texels.texture.hasColorKey = true;
    texels.texture.colorKey = 0x0000;
    const RasterState state = TexturedState(texels.texture, TextureFilter::Nearest);
    EXPECT_EQ(SampleAt(state, 0.25f, 0.5f), kBackground);
    EXPECT_EQ(SampleAt(state, 0.75f, 0.5f), 0xF800);
}

TEST(ColourKey, BilinearNeitherDrawsNorBleedsTheKey) {
    Texels texels(2, 1, {0x0000, 0xF800});
    texels.texture.hasColorKey = true;
    texels.texture.colorKey = 0x0000;
    RasterState state = TexturedState(texels.texture, TextureFilter::Bilinear);
    state.address = TextureAddress::Clamp;
    // Nearer to the keyed texel: undrawn.
    EXPECT_EQ(SampleAt(state, 0.4f, 0.5f), kBackground);
    // Halfway and nearer to red: pure red, no darkened fringe.
    EXPECT_EQ(SampleAt(state, 0.5f, 0.5f), 0xF800);
    EXPECT_EQ(SampleAt(state, 0.6f, 0.5f), 0xF800);
}

TEST(Texturing, OddSizedTextureWithPaddedRows) {
    // 3x2 texels in rows of 4 (8 bytes pitch); the padding is never read.
    std::vector<uint16_t> data = {0x0001, 0x0002, 0x0003, 0xDEAD, 0x0004, 0x0005, 0x0006, 0xDEAD};
    Texels texels(3, 2, data);
    texels.texture.pitchBytes = 8;
    const RasterState state = TexturedState(texels.texture, TextureFilter::Nearest);
    EXPECT_EQ(SampleAt(state, 0.9f, 0.9f), 0x0006);
    EXPECT_EQ(SampleAt(state, 1.1f, 0.1f), 0x0001) << "wraps at width 3";
    EXPECT_EQ(SampleAt(state, -0.1f, 0.6f), 0x0006) << "wraps below 0 at width 3";
}

#ifdef __SSE2__
// Eight samples at once against the same samples one by one, for every
// addressing and key choice: texels with the key among them, coordinates
// near the edges, far outside the texture and negative, every dither level.
template <TextureAddress kAddress, bool kMasked, bool kKeyed>
void ExpectEightAtOnceSameAsOneByOne(const RasterTexture& texture, std::mt19937& random) {
    const TextureSampler<TextureFilter::Bilinear, kAddress, kMasked, kKeyed> sampler(texture);
    const int64_t spanS = int64_t(texture.width) << 16, spanT = int64_t(texture.height) << 16;
    std::uniform_int_distribution<int64_t> coordinate(-3 * spanS, 3 * spanS);
    std::uniform_int_distribution<int64_t> far(-(int64_t(1) << 46), int64_t(1) << 46);
    std::uniform_int_distribution<uint32_t> level(0, 15);
    for (int round = 0; round < 2000; ++round) {
        int64_t s[8], t[8];
        uint32_t levels[4];
        for (uint32_t& l : levels) l = level(random);
        for (int i = 0; i < 8; ++i) {
            s[i] = round % 10 == 0 ? far(random) : coordinate(random);
            t[i] = round % 10 == 0 ? far(random) : coordinate(random) * spanT / spanS;
        }
        uint16_t expected[8], shown[8];
        for (int i = 0; i < 8; ++i) {
            expected[i] = shown[i] = uint16_t(0xBEEF + i);  // what a hidden sample leaves
            sampler.Sample(s[i], t[i], levels[i & 3], &expected[i]);
        }
        const __m128i ditherTimes256 = _mm_setr_epi32(int32_t(levels[0] << 8), int32_t(levels[1] << 8),
                                                      int32_t(levels[2] << 8), int32_t(levels[3] << 8));
        sampler.SampleBilinearEight(s, t, ditherTimes256, shown);
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(shown[i], expected[i]) << "round " << round << " pixel " << i << " s " << s[i] << " t " << t[i];
        if constexpr (kAddress == TextureAddress::Wrap && kMasked) {
            if (!__builtin_cpu_supports("avx2")) continue;
            for (int i = 0; i < 8; ++i) shown[i] = uint16_t(0xBEEF + i);
            sampler.SampleBilinearEightGathered(s, t, ditherTimes256, shown);
            for (int i = 0; i < 8; ++i)
                ASSERT_EQ(shown[i], expected[i]) << "gathered, round " << round << " pixel " << i << " s " << s[i]
                                                 << " t " << t[i];
        }
    }
}

TEST(Texturing, BilinearEightAtOnceMatchesOneByOne) {
    std::mt19937 random(20);
    for (const auto& [width, height] : {std::pair{8, 4}, std::pair{3, 5}, std::pair{1, 1}}) {
        // Texels of random colours, about one in six of them the key.
        std::vector<uint16_t> values(size_t(width) * height);
        for (uint16_t& value : values) value = random() % 6 == 0 ? 0x07E0 : uint16_t(random());
        Texels texels(width, height, values);
        texels.texture.hasColorKey = true;
        texels.texture.colorKey = 0x07E0;
        SCOPED_TRACE(::testing::Message() << width << "x" << height);
        if (IsPowerOfTwo(width) && IsPowerOfTwo(height)) {
            ExpectEightAtOnceSameAsOneByOne<TextureAddress::Wrap, true, true>(texels.texture, random);
            ExpectEightAtOnceSameAsOneByOne<TextureAddress::Wrap, true, false>(texels.texture, random);
        }
        ExpectEightAtOnceSameAsOneByOne<TextureAddress::Wrap, false, true>(texels.texture, random);
        ExpectEightAtOnceSameAsOneByOne<TextureAddress::Clamp, false, true>(texels.texture, random);
        ExpectEightAtOnceSameAsOneByOne<TextureAddress::Clamp, false, false>(texels.texture, random);
    }
}
#endif

}  // namespace
}  // namespace brontar::machine::testing
