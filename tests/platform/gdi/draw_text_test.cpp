// DrawTextExA: alignment, vertical centring, line and word breaks, prefixes,
// margins, DT_CALCRECT and clipping; FillRect. Placements are checked through
// the opaque background cell, which spans exactly the measured text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/platform/gdi/gdi_test_support.h"

using brontar::testing::GuardedSurface;
using brontar::testing::ScopedDC;
using brontar::testing::ScopedFont;

namespace {

constexpr uint16_t kScene = 0x1234;

LONG WidthOf(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Black opaque cells with white text on a scene-coloured surface.
struct TextSurface {
    GuardedSurface surface;
    ScopedDC dc;
    ScopedFont font;
    TextSurface(int32_t width, int32_t height) : surface(width, height, kScene), dc(surface), font(12) {
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, OPAQUE);
    }
    // First and last column of row y that the text changed; -1, -1 when none.
    std::pair<int32_t, int32_t> ChangedColumns(int32_t y) {
        int32_t first = -1, last = -1;
        for (int32_t x = 0; x < surface.Width(); ++x)
            if (surface.At(x, y) != kScene) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last};
    }
    // First and last row that the text changed.
    std::pair<int32_t, int32_t> ChangedRows() {
        int32_t first = -1, last = -1;
        for (int32_t y = 0; y < surface.Height(); ++y)
            if (ChangedColumns(y).first >= 0) {
                if (first < 0) first = y;
                last = y;
            }
        return {first, last};
    }
    int Draw(std::string text, RECT rect, UINT format, DRAWTEXTPARAMS* params = nullptr) {
        return DrawTextExA(dc, text.data(), -1, &rect, format, params);
    }
};

TEST(DrawTextExA, HorizontalAlignment) {
    TextSurface t(100, 20);
    const LONG w = WidthOf(t.dc, "640 x 480");
    ASSERT_LT(w, 100);
    EXPECT_EQ(t.Draw("640 x 480", RECT{0, 0, 100, 20}, DT_LEFT | DT_WORDBREAK), 12);
    EXPECT_EQ(t.ChangedColumns(0), std::make_pair(0, w - 1));

    TextSurface right(100, 20);
    right.Draw("640 x 480", RECT{0, 0, 100, 20}, DT_RIGHT | DT_WORDBREAK);
    EXPECT_EQ(right.ChangedColumns(0), std::make_pair(100 - w, 99));

    TextSurface centre(100, 20);
    centre.Draw("640 x 480", RECT{0, 0, 100, 20}, DT_CENTER | DT_SINGLELINE);
    EXPECT_EQ(centre.ChangedColumns(0), std::make_pair((100 - w) / 2, (100 - w) / 2 + w - 1));
}

TEST(DrawTextExA, LabelAndValueShareOneRow) {
    // A painted row: the label on the left and the rate on the right of the
    // same rectangle.
    TextSurface t(120, 20);
    RECT row{10, 2, 110, 16};
    t.Draw("800 x 600", row, DT_LEFT | DT_WORDBREAK);
    t.Draw("75 Hz", row, DT_RIGHT | DT_WORDBREAK);
    EXPECT_EQ(t.ChangedColumns(2).first, 10);
    EXPECT_EQ(t.ChangedColumns(2).second, 109);
    EXPECT_EQ(t.ChangedRows(), std::make_pair(2, 13));
}

TEST(DrawTextExA, VerticalCentringAndBottomOfASingleLine) {
    TextSurface centre(60, 40);
    // Cell 12 in a rectangle 40 high: (40 - 12) / 2 = 14 from the top.
    EXPECT_EQ(centre.Draw("Hz", RECT{0, 0, 60, 40}, DT_SINGLELINE | DT_VCENTER), 26);
    EXPECT_EQ(centre.ChangedRows(), std::make_pair(14, 25));

    TextSurface bottom(60, 40);
    EXPECT_EQ(bottom.Draw("Hz", RECT{0, 0, 60, 40}, DT_SINGLELINE | DT_BOTTOM), 40);
    EXPECT_EQ(bottom.ChangedRows(), std::make_pair(28, 39));
}

TEST(DrawTextExA, WordBreakKeepsWholeWordsWithinTheWidth) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(12);
    SelectObject(dc, font);
    const LONG twoWords = WidthOf(dc, "aaa bbb");
    char text[] = "aaa bbb ccc";
    RECT rect{5, 7, 5 + twoWords, 100};
    // "aaa bbb" fits exactly; "ccc" goes to the second line.
    EXPECT_EQ(DrawTextExA(dc, text, -1, &rect, DT_WORDBREAK | DT_CALCRECT, nullptr), 24);
    EXPECT_EQ(rect.right, 5 + twoWords);
    EXPECT_EQ(rect.bottom, 7 + 24);

    // One pixel narrower, every word is a line of its own.
    RECT narrower{5, 7, 4 + twoWords, 100};
    EXPECT_EQ(DrawTextExA(dc, text, -1, &narrower, DT_WORDBREAK | DT_CALCRECT, nullptr), 36);
    EXPECT_EQ(narrower.right, 5 + WidthOf(dc, "aaa"));

    // Without DT_WORDBREAK the line stays whole.
    RECT whole{5, 7, 6, 100};
    EXPECT_EQ(DrawTextExA(dc, text, -1, &whole, DT_CALCRECT, nullptr), 12);
    EXPECT_EQ(whole.right, 5 + WidthOf(dc, "aaa bbb ccc"));
}

TEST(DrawTextExA, AWordWiderThanTheRectangleStaysWholeAndWidensTheMeasure) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(12);
    SelectObject(dc, font);
    char text[] = "Unavailable now";
    RECT rect{0, 0, 10, 0};
    EXPECT_EQ(DrawTextExA(dc, text, -1, &rect, DT_WORDBREAK | DT_CALCRECT, nullptr), 24);
    EXPECT_EQ(rect.right, WidthOf(dc, "Unavailable"));
}

TEST(DrawTextExA, LineBreaksAtCarriageReturnsAndLineFeeds) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(12);
    SelectObject(dc, font);
    char text[] = "one\ntwo\r\nthree\rfour";
    RECT rect{0, 0, 200, 0};
    EXPECT_EQ(DrawTextExA(dc, text, -1, &rect, DT_CALCRECT, nullptr), 48);
    EXPECT_EQ(rect.right, WidthOf(dc, "three"));
    RECT single{0, 0, 200, 0};
    EXPECT_EQ(DrawTextExA(dc, text, -1, &single, DT_CALCRECT | DT_SINGLELINE, nullptr), 12);
    // The count limits the text: only "one".
    RECT counted{0, 0, 200, 0};
    EXPECT_EQ(DrawTextExA(dc, text, 3, &counted, DT_CALCRECT, nullptr), 12);
    EXPECT_EQ(counted.right, WidthOf(dc, "one"));
}

TEST(DrawTextExA, PrefixesAreRemovedUnlessDisabled) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(12);
    SelectObject(dc, font);
    struct Case {
        const char* text;
        UINT format;
        const char* measuredAs;
    } cases[] = {{"&Test", 0, "Test"}, {"&Test", DT_NOPREFIX, "&Test"}, {"a&&b", 0, "a&b"}, {"end&", 0, "end"}};
    for (const Case& c : cases) {
        std::string text = c.text;
        RECT rect{0, 0, 0, 0};
        DrawTextExA(dc, text.data(), -1, &rect, c.format | DT_CALCRECT | DT_SINGLELINE, nullptr);
        EXPECT_EQ(rect.right, WidthOf(dc, c.measuredAs)) << c.text;
    }
}

TEST(DrawTextExA, PrefixUnderlineSitsUnderTheMarkedCharacter) {
    TextSurface t(60, 20);
    SetBkMode(t.dc, TRANSPARENT);
    t.Draw("a&Wb", RECT{0, 0, 60, 20}, DT_SINGLELINE);
    // The ascent of the 12-pixel cell is 10: the mark is the row below the baseline.
    const LONG start = WidthOf(t.dc, "a");
    const LONG end = start + WidthOf(t.dc, "W");
    for (int32_t x = 0; x < 60; ++x) {
        bool marked = x >= start && x < end;
        EXPECT_EQ(t.surface.At(x, 11) == 0xFFFF, marked) << x;
    }
}

TEST(DrawTextExA, ClipsToTheRectangleUnlessNoClip) {
    TextSurface t(100, 30);
    RECT rect{10, 5, 30, 12};  // narrower and shorter than the text
    t.Draw("Press Q to quit", rect, DT_LEFT);
    EXPECT_EQ(t.ChangedRows(), std::make_pair(5, 11));
    for (int32_t y = 5; y < 12; ++y) EXPECT_EQ(t.ChangedColumns(y), std::make_pair(10, 29));

    TextSurface unclipped(100, 30);
    unclipped.Draw("Press Q to quit", rect, DT_LEFT | DT_NOCLIP);
    EXPECT_EQ(unclipped.ChangedRows(), std::make_pair(5, 16));
    EXPECT_TRUE(unclipped.surface.GuardIntact());
}

TEST(DrawTextExA, MarginsNarrowTheRectangleAndTheLengthIsReported) {
    TextSurface t(100, 20);
    DRAWTEXTPARAMS params{sizeof(DRAWTEXTPARAMS), 0, 5, 7, 0};
    const LONG w = WidthOf(t.dc, "Hz");
    t.Draw("Hz", RECT{0, 0, 100, 20}, DT_RIGHT | DT_SINGLELINE, &params);
    EXPECT_EQ(t.ChangedColumns(0), std::make_pair(93 - w, 92));
    EXPECT_EQ(params.uiLengthDrawn, 2u);

    RECT rect{0, 0, 0, 0};
    char text[] = "Hz";
    DrawTextExA(t.dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE, &params);
    EXPECT_EQ(rect.right, 5 + w + 7);
}

TEST(DrawTextExA, RefusesBadArguments) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    char text[] = "x";
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(DrawTextExA(dc, text, -1, nullptr, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExA(dc, nullptr, -1, &rect, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExA(dc, text, -2, &rect, 0, nullptr), 0);
    EXPECT_EQ(DrawTextExA(reinterpret_cast<HDC>(0x77), text, -1, &rect, 0, nullptr), 0);
    EXPECT_EQ(DrawTextA(dc, "", 0, &rect, DT_CALCRECT), 16);  // an empty line of the system font
    EXPECT_EQ(rect.right, 0);
}

TEST(FillRect, SolidBrushFillsExactlyHollowBrushNothing) {
    GuardedSurface surface(20, 10, kScene);
    ScopedDC dc(surface);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT rect{2, 3, 7, 5};
    EXPECT_NE(FillRect(dc, &rect, red), 0);
    EXPECT_NE(FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            bool inside = x >= 2 && x < 7 && y >= 3 && y < 5;
            EXPECT_EQ(surface.At(x, y), inside ? 0xF800 : kScene) << x << "," << y;
        }
    RECT beyond{-50, -50, 50, 50};
    EXPECT_NE(FillRect(dc, &beyond, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
    EXPECT_EQ(surface.At(19, 9), 0);
    EXPECT_TRUE(surface.GuardIntact());
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_EQ(FillRect(dc, &rect, red), 0);
    EXPECT_EQ(FillRect(dc, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
}

}  // namespace
