// Which pixels a triangle covers: the top-left convention, culling and
// clipping.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "tests/machine/board/canvas.h"

namespace brontar::machine::testing {
namespace {

using PixelSet = std::set<std::pair<int32_t, int32_t>>;

PixelSet DrawnPixels(const Canvas& canvas) {
    PixelSet pixels;
    for (int32_t y = 0; y < canvas.Height(); ++y)
        for (int32_t x = 0; x < canvas.Width(); ++x)
            if (canvas.At(x, y) != kBackground) pixels.insert({x, y});
    return pixels;
}

// Pixels one triangle covers, drawn alone on a fresh canvas.
PixelSet Cover(RasterVertex a, RasterVertex b, RasterVertex c, int32_t size = 32) {
    Canvas canvas(size, size);
    DrawTriangle(canvas.Target(), {}, UntexturedState(), a, b, c);
    return DrawnPixels(canvas);
}

PixelSet Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PixelSet pixels;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) pixels.insert({x, y});
    return pixels;
}

TEST(FillConvention, IntegerQuadCoversLeftAndTopEdgesOnly) {
    // Corners on pixel centres: columns 2..9 and rows 3..7, 8 x 5 pixels.
    const RasterVertex a = Vertex(2, 3), b = Vertex(10, 3), c = Vertex(10, 8), d = Vertex(2, 8);
    const PixelSet first = Cover(a, b, c), second = Cover(a, c, d);
    PixelSet both = first;
    for (const auto& pixel : second) EXPECT_TRUE(both.insert(pixel).second) << "drawn twice";
    EXPECT_EQ(first.size() + second.size(), 40u);
    EXPECT_EQ(both, Rectangle(2, 3, 10, 8));
}

TEST(FillConvention, FractionalQuadRoundsEdgesUp) {
    // Centres with 2.5 <= x < 6.25 are 3..6; with 1.75 <= y < 4.5 are 2..4.
    const RasterVertex a = Vertex(2.5f, 1.75f), b = Vertex(6.25f, 1.75f), c = Vertex(6.25f, 4.5f),
                       d = Vertex(2.5f, 4.5f);
    PixelSet both = Cover(a, b, c);
    const PixelSet second = Cover(a, c, d);
    for (const auto& pixel : second) EXPECT_TRUE(both.insert(pixel).second) << "drawn twice";
    EXPECT_EQ(both, Rectangle(3, 2, 7, 5));
}

TEST(FillConvention, FanAroundAnInnerPointCoversEachPixelOnce) {
    // Eight triangles around an off-centre point tile the rectangle from
    // (2.25, 3.5) to (18.75, 17.5): columns 3..18, rows 4..17.
    const RasterVertex centre = Vertex(10.3125f, 9.6875f);
    const RasterVertex rim[8] = {Vertex(2.25f, 3.5f),   Vertex(11.0f, 3.5f),  Vertex(18.75f, 3.5f),
                                 Vertex(18.75f, 12.0f), Vertex(18.75f, 17.5f), Vertex(7.5f, 17.5f),
                                 Vertex(2.25f, 17.5f),  Vertex(2.25f, 8.25f)};
    PixelSet all;
    size_t total = 0;
    for (int i = 0; i < 8; ++i) {
        const PixelSet part = Cover(centre, rim[i], rim[(i + 1) % 8]);
        total += part.size();
        all.insert(part.begin(), part.end());
    }
    EXPECT_EQ(total, all.size()) << "some pixel drawn twice";
    EXPECT_EQ(all, Rectangle(3, 4, 19, 18));
}

TEST(FillConvention, CoverageDoesNotDependOnVertexOrder) {
    const RasterVertex a = Vertex(1.3f, 2.7f), b = Vertex(17.9f, 6.1f), c = Vertex(6.4f, 19.2f);
    const PixelSet reference = Cover(a, b, c);
    EXPECT_FALSE(reference.empty());
    EXPECT_EQ(Cover(b, c, a), reference);
    EXPECT_EQ(Cover(c, a, b), reference);
    EXPECT_EQ(Cover(a, c, b), reference);
    EXPECT_EQ(Cover(c, b, a), reference);
}

TEST(FillConvention, SliverThinnerThanAPixelMayCoverNothing) {
    // Between x = 3.1 and 3.9 lies no pixel centre.
    EXPECT_TRUE(Cover(Vertex(3.1f, 0), Vertex(3.9f, 0), Vertex(3.1f, 10)).empty());
    EXPECT_TRUE(Cover(Vertex(0, 0), Vertex(10, 0), Vertex(20, 0)).empty()) << "degenerate";
}

TEST(Culling, ClockwiseMeansClockwiseOnTheScreen) {
    // Right, then down-left: clockwise with y growing downwards.
    const RasterVertex a = Vertex(0, 0), b = Vertex(8, 0), c = Vertex(0, 8);
    struct Case {
        CullMode cull;
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    };
    for (const Case& test : {Case{CullMode::None, true, true}, Case{CullMode::Clockwise, false, true},
                             Case{CullMode::CounterClockwise, true, false}}) {
        Canvas canvas(16, 16);
        const RasterState state = UntexturedState(ShadeMode::Flat, test.cull);
        EXPECT_EQ(DrawTriangle(canvas.Target(), {}, state, a, b, c), test.clockwiseDrawn);
        EXPECT_EQ(DrawTriangle(canvas.Target(), {}, state, a, c, b), test.counterClockwiseDrawn);
    }
}

TEST(Clipping, TriangleLargerThanTheTargetFillsItAndNothingElse) {
    Canvas canvas(10, 7);
    EXPECT_TRUE(DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(-50, -50), Vertex(100, -40),
                             Vertex(-30, 90)));
    EXPECT_EQ(canvas.CountDrawn(), 70);
    EXPECT_TRUE(canvas.GuardIntact());
}

TEST(Clipping, ClipRectangleLimitsDrawing) {
    Canvas canvas(10, 10);
    const RasterClip clip{2, 3, 6, 5};
    DrawTriangle(canvas.Target(), clip, UntexturedState(), Vertex(-50, -50), Vertex(100, -40), Vertex(-30, 90));
    EXPECT_EQ(DrawnPixels(canvas), Rectangle(2, 3, 6, 5));
}

TEST(Clipping, HugeAndInvalidCoordinatesAreSafe) {
    Canvas canvas(8, 8);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(nan, 0), Vertex(4, 0), Vertex(0, 4)));
    EXPECT_FALSE(DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(0, 0), Vertex(inf, 0), Vertex(0, 4)));
    EXPECT_EQ(canvas.CountDrawn(), 0);
    DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(-1e30f, -1e30f), Vertex(1e30f, -1e30f),
                 Vertex(0, 1e30f));
    EXPECT_EQ(canvas.CountDrawn(), 64);
    EXPECT_TRUE(canvas.GuardIntact());
}

TEST(Clipping, TriangleEntirelyOutsideDrawsNothing) {
    Canvas canvas(8, 8);
    EXPECT_FALSE(DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(9, 0), Vertex(20, 0), Vertex(9, 6)));
    EXPECT_FALSE(DrawTriangle(canvas.Target(), {}, UntexturedState(), Vertex(0, -9), Vertex(6, -9), Vertex(0, 0)));
    EXPECT_EQ(canvas.CountDrawn(), 0);
    EXPECT_TRUE(canvas.GuardIntact());
}

}  // namespace
}  // namespace brontar::machine::testing
