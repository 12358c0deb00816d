// Drawing text into RGB565 surfaces: every pixel the text colour or the
// background, exact opaque rectangles, clipping at the rectangle and at the
// surface, transparent backgrounds.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <string>

#include "platform/gdi/font_files.h"
#include "tests/platform/gdi/gdi_test_support.h"

using brontar::testing::GuardedSurface;
using brontar::testing::ScopedDC;
using brontar::testing::ScopedFont;

namespace {

constexpr uint16_t kYellow565 = 0xFFE0;  // RGB(255, 255, 0): 31 << 11 | 63 << 5
constexpr uint16_t kRed565 = 0xF800;
constexpr uint16_t kScene = 0x1234;

const std::string kModeLine = "800x600x16 75Hz";

int CountPixels(GuardedSurface& surface, uint16_t value) {
    int count = 0;
    for (int32_t y = 0; y < surface.Height(); ++y)
        for (int32_t x = 0; x < surface.Width(); ++x) count += surface.At(x, y) == value;
    return count;
}

// Every pixel of the box from 0,0 to right,bottom is yellow or black (text on
// its opaque cell); every pixel outside is still the scene.
::testing::AssertionResult OnlyTextInside(GuardedSurface& surface, int32_t right, int32_t bottom) {
    for (int32_t y = 0; y < surface.Height(); ++y)
        for (int32_t x = 0; x < surface.Width(); ++x) {
            uint16_t pixel = surface.At(x, y);
            bool inside = x < right && y < bottom;
            if (inside ? (pixel != 0 && pixel != kYellow565) : pixel != kScene)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << pixel;
        }
    return ::testing::AssertionSuccess();
}

// A surface showing the scene and a context drawing into it as the overlay
// does: Arial of the given height, yellow on opaque black.
struct OverlayText {
    OverlayText(int32_t width, int32_t height, int fontHeight = 24)
        : surface(width, height, kScene), dc(surface), font(fontHeight) {
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 0));
        SetBkColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, OPAQUE);
    }
    GuardedSurface surface;
    ScopedDC dc;
    ScopedFont font;
};

TEST(TextDrawing, ColourConversionKeepsTheTopBits) {
    // One pixel of opaque fill shows the converted background colour.
    struct Case {
        COLORREF color;
        uint16_t expected;
    } cases[] = {{RGB(255, 255, 0), kYellow565}, {RGB(255, 0, 0), kRed565}, {RGB(0, 0, 255), 0x001F},
                 {RGB(8, 4, 8), 0x0821},  // 1 << 11 | 1 << 5 | 1
                 {RGB(7, 3, 7), 0x0000},  // below one step of each channel
                 {RGB(255, 255, 255), 0xFFFF}};
    for (const Case& c : cases) {
        GuardedSurface surface(1, 1, kScene);
        ScopedDC dc(surface);
        SetBkColor(dc, c.color);
        RECT one{0, 0, 1, 1};
        EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &one, "", 0, nullptr));
        EXPECT_EQ(surface.At(0, 0), c.expected) << std::hex << c.color;
    }
}

TEST(TextDrawing, MonochromeGlyphsLeaveOnlyTextAndBackgroundColours) {
    for (int height : {12, 24}) {
        SCOPED_TRACE(height);
        OverlayText text(200, 30, height);
        SIZE size{};
        GetTextExtentPoint32A(text.dc, kModeLine.c_str(), static_cast<int>(kModeLine.size()), &size);
        EXPECT_TRUE(ExtTextOutA(text.dc, 0, 0, 0, nullptr, kModeLine.c_str(), kModeLine.size(), nullptr));
        EXPECT_TRUE(OnlyTextInside(text.surface, size.cx, size.cy));
        int yellow = CountPixels(text.surface, kYellow565);
        int black = CountPixels(text.surface, 0);
        EXPECT_GT(yellow, 15 * height / 2);  // fifteen glyphs leave strokes
        EXPECT_GT(black, yellow);            // and mostly background between them
        EXPECT_TRUE(text.surface.GuardIntact());
    }
}

TEST(TextDrawing, TextSitsInItsCellBelowTheTopLeftPoint) {
    OverlayText text(100, 60);
    GuardedSurface& surface = text.surface;
    SetBkMode(text.dc, TRANSPARENT);
    EXPECT_TRUE(TextOutA(text.dc, 10, 20, "H", 1));
    // "H" is a full-height capital: strokes from the cap height down to the
    // baseline (ascent 19 below y = 20), none above y = 20 or below 39.
    int top = INT_MAX, bottom = -1, left = INT_MAX;
    for (int32_t y = 0; y < surface.Height(); ++y)
        for (int32_t x = 0; x < surface.Width(); ++x)
            if (surface.At(x, y) == kYellow565) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
            }
    EXPECT_EQ(bottom, 20 + 19 - 1);  // the last row above the baseline
    EXPECT_GE(top, 20 + 3);          // below the internal leading
    EXPECT_LE(top, 20 + 6);          // cap height about 0.72 em of 21
    EXPECT_GE(left, 10);
    EXPECT_LE(left, 13);
}

TEST(TextDrawing, AlignmentMovesTheCellAroundThePoint) {
    // The opaque cell shows where the text went: width w, height 24, ascent 19.
    struct Case {
        UINT align;
        int32_t left, top;  // expected cell corner for the point 100, 30 (w filled in below)
    };
    ScopedDC measure(brontar::platform::CreateMeasuringDC());
    ScopedFont font(24);
    SelectObject(measure, font);
    SIZE size{};
    GetTextExtentPoint32A(measure, "Hz", 2, &size);
    const int32_t w = size.cx;
    const Case cases[] = {{TA_LEFT | TA_TOP, 100, 30},
                          {TA_RIGHT | TA_TOP, 100 - w, 30},
                          {TA_CENTER | TA_TOP, 100 - w / 2, 30},
                          {TA_LEFT | TA_BASELINE, 100, 30 - 19},
                          {TA_LEFT | TA_BOTTOM, 100, 30 - 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        OverlayText text(200, 60);
        GuardedSurface& surface = text.surface;
        EXPECT_EQ(SetTextAlign(text.dc, c.align), static_cast<UINT>(TA_TOP | TA_LEFT));
        EXPECT_TRUE(TextOutA(text.dc, 100, 30, "Hz", 2));
        EXPECT_NE(surface.At(c.left, c.top), kScene);
        EXPECT_NE(surface.At(c.left + w - 1, c.top + 23), kScene);
        EXPECT_EQ(surface.At(c.left - 1, c.top), kScene);
        EXPECT_EQ(surface.At(c.left + w, c.top + 23), kScene);
        EXPECT_EQ(surface.At(c.left, c.top - 1), kScene);
        EXPECT_EQ(surface.At(c.left, c.top + 24), kScene);
    }
}

TEST(TextDrawing, DeviceCapsOfASixteenBitNinetySixDpiSurface) {
    GuardedSurface surface(64, 48, kScene);
    ScopedDC dc(surface);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 64);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 48);
    EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(0x55), LOGPIXELSY), 0);
}

TEST(TextDrawing, OpaqueFillsExactlyTheRectangleWithinTheSurface) {
    const struct {
        int32_t width, height;
        int mode;  // the rectangle is filled whatever the mode
        RECT rect;
        const char* text;
        RECT filled;
    } cases[] = {{40, 20, TRANSPARENT, {3, 4, 20, 10}, nullptr, {3, 4, 20, 10}},
                 {10, 10, OPAQUE, {-5, -5, 4, 100}, "", {0, 0, 4, 10}},  // cut at the surface
                 {10, 10, OPAQUE, {8, 8, 2, 2}, "", {0, 0, 0, 0}}};       // inverted: empty, nothing filled
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rect.left << "," << c.rect.top << " to " << c.rect.right << ","
                                          << c.rect.bottom << " in " << c.width << "x" << c.height);
        GuardedSurface surface(c.width, c.height, kScene);
        ScopedDC dc(surface);
        SetBkColor(dc, RGB(255, 0, 0));
        SetBkMode(dc, c.mode);
        EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &c.rect, c.text, 0, nullptr));
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x)
                ASSERT_EQ(surface.At(x, y), PtInRect(&c.filled, POINT{x, y}) ? kRed565 : kScene) << x << "," << y;
        EXPECT_EQ(CountPixels(surface, kRed565), (c.filled.right - c.filled.left) * (c.filled.bottom - c.filled.top));
        EXPECT_TRUE(surface.GuardIntact());
    }
}

TEST(TextDrawing, ClipRectangleKeepsEveryPixelInside) {
    OverlayText text(120, 40);
    GuardedSurface& surface = text.surface;
    RECT clip{5, 6, 50, 20};  // narrower and lower than the line
    EXPECT_TRUE(ExtTextOutA(text.dc, 0, 0, ETO_CLIPPED, &clip, kModeLine.c_str(), kModeLine.size(), nullptr));
    int changed = 0;
    for (int32_t y = 0; y < surface.Height(); ++y)
        for (int32_t x = 0; x < surface.Width(); ++x) {
            bool inside = x >= 5 && x < 50 && y >= 6 && y < 20;
            if (!inside) {
                ASSERT_EQ(surface.At(x, y), kScene) << x << "," << y;
            }
            changed += surface.At(x, y) != kScene;
        }
    EXPECT_EQ(changed, 45 * 14);  // the opaque cell covers the whole clip
}

TEST(TextDrawing, ModeLineDrawnAsTheOverlayDoes) {
    // Opaque with the clip rectangle of the measured size into a surface of
    // the template's size: the cell is black and yellow, the rest untouched.
    ScopedDC measure(brontar::platform::CreateMeasuringDC());
    ScopedFont font(24);
    SelectObject(measure, font);
    SIZE templateSize{}, lineSize{};
    GetTextExtentPointA(measure, "000x000x00 000Hz", 16, &templateSize);
    OverlayText text(templateSize.cx, templateSize.cy);
    GetTextExtentPoint32A(text.dc, kModeLine.c_str(), static_cast<int>(kModeLine.size()), &lineSize);
    RECT clip;
    SetRect(&clip, 0, 0, lineSize.cx, lineSize.cy);
    EXPECT_TRUE(ExtTextOutA(text.dc, 0, 0, ETO_OPAQUE, &clip, kModeLine.c_str(), kModeLine.size(), nullptr));
    EXPECT_TRUE(OnlyTextInside(text.surface, lineSize.cx, text.surface.Height()));
    EXPECT_TRUE(text.surface.GuardIntact());
}

TEST(TextDrawing, TransparentModeLeavesTheBackgroundPixels) {
    OverlayText text(200, 30);
    GuardedSurface& surface = text.surface;
    HDC dc = text.dc;
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_TRUE(TextOutA(dc, 0, 0, kModeLine.c_str(), static_cast<int>(kModeLine.size())));
    int yellow = CountPixels(surface, kYellow565);
    EXPECT_GT(yellow, 0);
    EXPECT_EQ(yellow + CountPixels(surface, kScene), 200 * 30);
    EXPECT_EQ(SetBkMode(dc, 7), 0);  // not a mode
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
}

TEST(TextDrawing, SurfaceEdgesClipAtAnyPosition) {
    struct Position {
        int x, y;
    } positions[] = {{-30, -10}, {-5000, 0}, {150, 20}, {0, -23}, {INT_MAX - 3, 0}, {INT_MIN, INT_MIN},
                     {0, INT_MAX}, {-100, 5}};
    const std::string longLine(200, 'W');  // far wider than the surface
    for (const Position& p : positions) {
        SCOPED_TRACE(::testing::Message() << p.x << "," << p.y);
        OverlayText text(160, 30);
        EXPECT_TRUE(ExtTextOutA(text.dc, p.x, p.y, 0, nullptr, longLine.c_str(), longLine.size(), nullptr));
        EXPECT_TRUE(text.surface.GuardIntact());
    }
}

TEST(TextDrawing, PartlyVisibleTextDrawsItsVisiblePart) {
    OverlayText text(40, 30);
    EXPECT_TRUE(TextOutA(text.dc, -10, -10, "WWWW", 4));
    // The cell covers x -10.. and y -10..14: rows 0 to 13 are text or black.
    EXPECT_TRUE(OnlyTextInside(text.surface, 40, 14));
    EXPECT_GT(CountPixels(text.surface, kYellow565), 0);
}

TEST(TextDrawing, EmptyAndMemorylessSurfacesDrawNothingAndSucceed) {
    GuardedSurface zeroWidth(0, 10, kScene);
    GuardedSurface zeroHeight(10, 0, kScene);
    for (GuardedSurface* surface : {&zeroWidth, &zeroHeight}) {
        ScopedDC dc(*surface);
        RECT all{-10, -10, 100, 100};
        EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE | ETO_CLIPPED, &all, "text", 4, nullptr));
        EXPECT_TRUE(surface->GuardIntact());
    }
    ScopedDC measuring(brontar::platform::CreateMeasuringDC());
    EXPECT_TRUE(TextOutA(measuring, 0, 0, "text", 4));
    EXPECT_FALSE(TextOutA(measuring, 0, 0, "text", -1));
    EXPECT_FALSE(ExtTextOutA(measuring, 0, 0, 0, nullptr, nullptr, 4, nullptr));
    EXPECT_FALSE(TextOutA(reinterpret_cast<HDC>(0x99), 0, 0, "text", 4));
}

TEST(TextDrawing, AnUnderPitchedSurfaceIsNotDrawnInto) {
    GuardedSurface surface(20, 4, kScene);
    brontar::platform::SurfacePixels pixels = surface.Pixels();
    pixels.pitchBytes = 20;  // rows of 10 pixels for a width of 20 would overlap
    ScopedDC dc(brontar::platform::CreateSurfaceDC(pixels));
    SetBkColor(dc, RGB(255, 0, 0));
    RECT all{0, 0, 20, 4};
    EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, "", 0, nullptr));
    EXPECT_EQ(CountPixels(surface, kScene), 20 * 4);
}

TEST(TextDrawing, SpacingArrayPlacesEachCharacter) {
    OverlayText text(100, 20, 12);
    GuardedSurface& surface = text.surface;
    const INT spacing[3] = {30, 30, 30};
    EXPECT_TRUE(ExtTextOutA(text.dc, 0, 0, 0, nullptr, "lll", 3, spacing));
    // The opaque cell spans the 90 pixels of the spacing, and an 'l' stroke
    // stands near the start of each 30-pixel slot.
    EXPECT_EQ(surface.At(89, 0), 0);
    EXPECT_EQ(surface.At(90, 0), kScene);
    for (int slot = 0; slot < 3; ++slot) {
        int yellowInSlot = 0;
        for (int32_t x = slot * 30; x < slot * 30 + 5; ++x)
            for (int32_t y = 0; y < 12; ++y) yellowInSlot += surface.At(x, y) == kYellow565;
        EXPECT_GT(yellowInSlot, 4) << slot;
    }
}

TEST(TextDrawing, UnderlineRunsUnderTheWholeText) {
    GuardedSurface surface(100, 30, kScene);
    ScopedDC dc(surface);
    ScopedFont font(CreateFontA(24, 0, 0, 0, FW_NORMAL, 0, 1, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, "Arial"));
    SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, TRANSPARENT);
    SIZE size{};
    GetTextExtentPoint32A(dc, "a b", 3, &size);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "a b", 3));
    // Some row below the baseline (19) is yellow across the whole width.
    bool fullRow = false;
    for (int32_t y = 19; y < 24; ++y) {
        int yellow = 0;
        for (int32_t x = 0; x < size.cx; ++x) yellow += surface.At(x, y) == kYellow565;
        fullRow = fullRow || yellow == size.cx;
    }
    EXPECT_TRUE(fullRow);
}

TEST(TextDrawing, MissingFontFilesDrawOnlyTheBackground) {
    brontar::platform::SetFontSearchRootsForTesting({"/nonexistent-font-root"});
    {
        OverlayText text(200, 30, 12);
        EXPECT_TRUE(TextOutA(text.dc, 0, 0, "abc", 3));
        EXPECT_EQ(CountPixels(text.surface, kYellow565), 0);
        EXPECT_GT(CountPixels(text.surface, 0), 0);
    }
    brontar::platform::SetFontSearchRootsForTesting({});
}

}  // namespace
