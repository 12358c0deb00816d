// Rectangle helpers: edges, overlap, containment and wrapping arithmetic.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

namespace {

bool Same(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

TEST(Rect, SetAndCopy) {
    RECT r{9, 9, 9, 9};
    EXPECT_TRUE(SetRect(&r, 1, 2, 30, 40));
    EXPECT_TRUE(Same(r, 1, 2, 30, 40));
    RECT copy{};
    EXPECT_TRUE(CopyRect(&copy, &r));
    EXPECT_TRUE(EqualRect(&copy, &r));
    EXPECT_TRUE(SetRectEmpty(&r));
    EXPECT_TRUE(Same(r, 0, 0, 0, 0));
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(CopyRect(&copy, nullptr));
    EXPECT_FALSE(EqualRect(&copy, nullptr));
}

TEST(Rect, IntersectOverlapsAndEmptiesDisjointRectangles) {
    RECT a{0, 0, 10, 10}, b{5, 6, 20, 20}, out{1, 1, 1, 1};
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(Same(out, 5, 6, 10, 10));
    RECT touching{10, 0, 20, 10};  // shares only the right edge, which is outside a
    EXPECT_FALSE(IntersectRect(&out, &a, &touching));
    EXPECT_TRUE(Same(out, 0, 0, 0, 0));
    RECT inverted{8, 8, 2, 2};
    EXPECT_FALSE(IntersectRect(&out, &a, &inverted));
    EXPECT_TRUE(IsRectEmpty(&inverted));
    EXPECT_TRUE(IsRectEmpty(nullptr));
    EXPECT_FALSE(IsRectEmpty(&a));
}

TEST(Rect, OffsetAndInflate) {
    RECT r{0, 0, 10, 10};
    EXPECT_TRUE(OffsetRect(&r, 5, -3));
    EXPECT_TRUE(Same(r, 5, -3, 15, 7));
    EXPECT_TRUE(InflateRect(&r, 2, 1));
    EXPECT_TRUE(Same(r, 3, -4, 17, 8));
    EXPECT_TRUE(InflateRect(&r, -7, -6));  // past zero: an inverted, empty rectangle
    EXPECT_TRUE(Same(r, 10, 2, 10, 2));
    // At the limits the edges wrap as 32-bit arithmetic does, without a fault.
    RECT edge{INT_MAX - 1, 0, INT_MAX, 1};
    EXPECT_TRUE(OffsetRect(&edge, 2, 0));
    EXPECT_EQ(edge.left, INT_MIN);
    EXPECT_TRUE(InflateRect(&edge, INT_MIN, 0));
}

TEST(Rect, PointInsideExcludesRightAndBottomEdges) {
    RECT r{0, 0, 10, 5};
    EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT{9, 4}));
    EXPECT_FALSE(PtInRect(&r, POINT{10, 4}));
    EXPECT_FALSE(PtInRect(&r, POINT{9, 5}));
    EXPECT_FALSE(PtInRect(&r, POINT{-1, 0}));
    EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
}

}  // namespace
