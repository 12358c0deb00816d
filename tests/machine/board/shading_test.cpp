// Colours of untextured triangles: flat and Gouraud shading, dithering.
#include <gtest/gtest.h>

#include "tests/machine/board/canvas.h"

namespace brontar::machine::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

TEST(Shading, FlatTakesTheFirstVertexColour) {
    Canvas canvas(16, 16);
    DrawTriangle(canvas.Target(), {}, UntexturedState(ShadeMode::Flat), Vertex(0, 0, kGreen), Vertex(16, 0, kRed),
                 Vertex(0, 16, kBlue));
    EXPECT_EQ(canvas.At(0, 0), 0x07E0);
    EXPECT_EQ(canvas.At(14, 0), 0x07E0);
    EXPECT_EQ(canvas.At(0, 14), 0x07E0);
    EXPECT_EQ(canvas.At(5, 5), 0x07E0);
}

TEST(Shading, GouraudBlendsCornerColours) {
    // Red at (0,0), green at (16,0), blue at (0,16): red falls by 255/16 per
    // pixel to the right, green rises by the same.
    Canvas canvas(16, 16);
    DrawTriangle(canvas.Target(), {}, UntexturedState(ShadeMode::Gouraud), Vertex(0, 0, kRed),
                 Vertex(16, 0, kGreen), Vertex(0, 16, kBlue));
    EXPECT_EQ(canvas.At(0, 0), 0xF800) << "the corner pixel has the corner's colour";
    // (8, 0): red 127.5 and green 127.5, cut to 127: red 15 of 31, green 31 of 63.
    EXPECT_EQ(canvas.At(8, 0), (15 << 11) | (31 << 5));
    // (0, 8): red 127 -> 15, blue 127 -> 15.
    EXPECT_EQ(canvas.At(0, 8), (15 << 11) | 15);
    // (0, 15): red 255/16 = 15.9 -> 1, blue 239.06 -> 29.
    EXPECT_EQ(canvas.At(0, 15), (1 << 11) | 29);
}

TEST(Shading, BlackToColourRampReachesBothEnds) {
    // A band as the test scene draws it: black on the left, white at x = 63.
    Canvas canvas(64, 4);
    const uint32_t black = 0xFF000000, white = 0xFFFFFFFF;
    const RasterState state = UntexturedState(ShadeMode::Gouraud);
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, black), Vertex(63, 0, white), Vertex(63, 4, white));
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, black), Vertex(63, 4, white), Vertex(0, 4, black));
    for (int32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(canvas.At(0, y), 0x0000);
        // x = 62: 255 * 62/63 = 250.95, cut to 250: red 31, green 62, blue 31.
        EXPECT_EQ(canvas.At(62, y), 0xFFDF);
        EXPECT_EQ(canvas.At(63, y), kBackground) << "the right edge is not drawn";
        for (int32_t x = 1; x < 63; ++x) EXPECT_GE(canvas.At(x, y) >> 11, canvas.At(x - 1, y) >> 11);
    }
}

TEST(Dithering, ColourBetweenTwoLevelsMakesTheOrderedPattern) {
    // Each channel at 4 of 255 lies between 5-bit levels 0 and 1 (8 apart),
    // and on 6-bit level 1 for green. Red and blue go up to 1 where the
    // 4x4 matrix value is 8 or more: rows 0 8 2 10 / 12 4 14 6 / 3 11 1 9 /
    // 15 7 13 5.
    const uint16_t low = 0x0020, high = 0x0821;
    const uint16_t expected[4][4] = {{low, high, low, high},
                                     {high, low, high, low},
                                     {low, high, low, high},
                                     {high, low, high, low}};
    Canvas canvas(8, 8);
    RasterState state = UntexturedState(ShadeMode::Flat);
    state.dither = true;
    const uint32_t dark = 0xFF040404;
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, dark), Vertex(8, 0, dark), Vertex(8, 8, dark));
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, dark), Vertex(8, 8, dark), Vertex(0, 8, dark));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(canvas.At(x, y), expected[y & 3][x & 3]) << x << "," << y;
}

TEST(Dithering, OffLeavesColoursCutAndExtremesStayPure) {
    Canvas canvas(8, 8);
    RasterState state = UntexturedState(ShadeMode::Flat);
    DrawTriangle(canvas.Target(), {}, state, Vertex(0, 0, 0xFF040404), Vertex(8, 0), Vertex(0, 8));
    EXPECT_EQ(canvas.At(1, 0), 0x0020);
    state.dither = true;
    for (const uint32_t color : {0xFFFFFFFFu, 0xFF000000u}) {
        Canvas pure(4, 4);
        DrawTriangle(pure.Target(), {}, state, Vertex(0, 0, color), Vertex(8, 0), Vertex(0, 8));
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4 - y; ++x)
                EXPECT_EQ(pure.At(x, y), color == 0xFFFFFFFFu ? 0xFFFF : 0x0000) << x << "," << y;
    }
}

}  // namespace
}  // namespace brontar::machine::testing
