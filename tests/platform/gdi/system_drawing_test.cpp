// The system colours and the three-dimensional drawing calls: every pixel
// compared with a map worked out from the Windows 95 standard scheme.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/platform/gdi/gdi_test_support.h"

using brontar::testing::GuardedSurface;
using brontar::testing::ScopedDC;
using brontar::testing::ScopedFont;

namespace {

constexpr uint16_t kScene = 0x1234;
// The scheme's colours in RGB565.
constexpr uint16_t kWhite = 0xFFFF;     // highlight, window
constexpr uint16_t kFace = 0xC618;      // 192, 192, 192: face and 3D light
constexpr uint16_t kShadow = 0x8410;    // 128, 128, 128
constexpr uint16_t kBlack = 0x0000;     // dark shadow, window text
constexpr uint16_t kSelection = 0x0010; // 0, 0, 128

uint16_t ColorOf(char key) {
    switch (key) {
        case 'W': return kWhite;
        case 'F': return kFace;
        case 'S': return kShadow;
        case 'K': return kBlack;
        default: return kScene;
    }
}

// Compares the surface's top-left corner with rows of W, F, S, K and '.'
// (untouched).
void ExpectPixels(GuardedSurface& surface, const std::vector<std::string>& rows) {
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            EXPECT_EQ(surface.At(static_cast<int32_t>(x), static_cast<int32_t>(y)), ColorOf(rows[y][x]))
                << "pixel " << x << "," << y;
    EXPECT_TRUE(surface.GuardIntact());
}

TEST(SystemColors, StandardSchemeAndItsBrushes) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(COLOR_INFOBK + 1), 0u);
    EXPECT_EQ(GetSysColorBrush(COLOR_INFOBK + 1), nullptr);

    GuardedSurface surface(4, 2, kScene);
    ScopedDC dc(surface);
    // (HBRUSH)(COLOR_x + 1) and the system's own brush paint the colour.
    RECT left{0, 0, 2, 2}, right{2, 0, 4, 2};
    EXPECT_NE(FillRect(dc, &left, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)), 0);
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNSHADOW), shadow);
    EXPECT_TRUE(DeleteObject(shadow));  // the system's brushes outlive a delete
    EXPECT_NE(FillRect(dc, &right, shadow), 0);
    ExpectPixels(surface, {});
    EXPECT_EQ(surface.At(1, 1), kSelection);
    EXPECT_EQ(surface.At(2, 0), kShadow);
    RECT all{0, 0, 4, 2};
    EXPECT_EQ(FillRect(dc, &all, reinterpret_cast<HBRUSH>(COLOR_INFOBK + 2)), 0);  // no such colour
    EXPECT_EQ(surface.At(0, 0), kSelection);
}

TEST(DrawEdge, RaisedSoftEdgeFilledAndAdjustedAsAPushButton) {
    GuardedSurface surface(10, 6, kScene);
    ScopedDC dc(surface);
    RECT rect{0, 0, 10, 6};
    EXPECT_TRUE(DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST));
    // Outer: highlight top and left, dark shadow bottom and right (owning the
    // far corners); inner: light top and left, shadow bottom and right.
    ExpectPixels(surface, {"WWWWWWWWWK",
                           "WFFFFFFFSK",
                           "WFFFFFFFSK",
                           "WFFFFFFFSK",
                           "WSSSSSSSSK",
                           "KKKKKKKKKK"});
    EXPECT_EQ(rect.left, 2);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 8);
    EXPECT_EQ(rect.bottom, 4);
}

TEST(DrawEdge, EtchedSunkenAndSelectedSides) {
    GuardedSurface etched(6, 5, kScene);
    ScopedDC etchedDc(etched);
    RECT frame{0, 0, 6, 5};
    EXPECT_TRUE(DrawEdge(etchedDc, &frame, EDGE_ETCHED, BF_RECT));
    ExpectPixels(etched, {"SSSSSW",
                          "SWWWSW",
                          "SW..SW",
                          "SSSSSW",
                          "WWWWWW"});
    EXPECT_EQ(frame.left, 0);  // no BF_ADJUST: unchanged

    GuardedSurface sunken(5, 4, kScene);
    ScopedDC sunkenDc(sunken);
    RECT field{0, 0, 5, 4};
    EXPECT_TRUE(DrawEdge(sunkenDc, &field, EDGE_SUNKEN, BF_TOP | BF_LEFT | BF_ADJUST));
    ExpectPixels(sunken, {"SSSSS",
                          "SKKKK",
                          "SK...",
                          "SK..."});
    EXPECT_EQ(field.left, 2);
    EXPECT_EQ(field.top, 2);
    EXPECT_EQ(field.right, 5);
    EXPECT_FALSE(DrawEdge(sunkenDc, nullptr, EDGE_SUNKEN, BF_RECT));
}

TEST(DrawFocusRect, InvertsEveryOtherBorderPixelAndUndoesItself) {
    GuardedSurface surface(7, 6, kFace);
    ScopedDC dc(surface);
    RECT rect{1, 1, 6, 5};
    EXPECT_TRUE(DrawFocusRect(dc, &rect));
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const bool border = x >= 1 && x <= 5 && y >= 1 && y <= 4 && (x == 1 || x == 5 || y == 1 || y == 4);
            const bool dotted = border && (x + y) % 2 == 0;
            EXPECT_EQ(surface.At(x, y), dotted ? static_cast<uint16_t>(~kFace) : kFace) << x << "," << y;
        }
    EXPECT_TRUE(DrawFocusRect(dc, &rect));
    ExpectPixels(surface, {"FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF", "FFFFFFF"});
}

TEST(DrawFrameControl, CheckBoxWithItsMarkGreyWhenInactiveOrThirdState) {
    // The 13 by 13 sunken box; the 7 by 7 mark one pixel inside the white.
    const std::vector<std::string> checked = {"SSSSSSSSSSSSW",
                                              "SKKKKKKKKKKFW",
                                              "SKWWWWWWWWWFW",
                                              "SKWWWWWWWKWFW",
                                              "SKWWWWWWKKWFW",
                                              "SKWKWWWKKKWFW",
                                              "SKWKKWKKKWWFW",
                                              "SKWKKKKKWWWFW",
                                              "SKWWKKKWWWWFW",
                                              "SKWWWKWWWWWFW",
                                              "SKWWWWWWWWWFW",
                                              "SFFFFFFFFFFFW",
                                              "WWWWWWWWWWWWW"};
    GuardedSurface surface(13, 13, kScene);
    ScopedDC dc(surface);
    RECT box{0, 0, 13, 13};
    EXPECT_TRUE(DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
    ExpectPixels(surface, checked);

    // Inactive or the third state: face-coloured inside, shadow-grey mark.
    for (UINT state : {UINT{DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE},
                       UINT{DFCS_BUTTON3STATE | DFCS_CHECKED}}) {
        std::vector<std::string> grey = checked;
        for (size_t y = 2; y <= 10; ++y)
            for (size_t x = 2; x <= 10; ++x) grey[y][x] = grey[y][x] == 'K' ? 'S' : 'F';
        EXPECT_TRUE(DrawFrameControl(dc, &box, DFC_BUTTON, state));
        ExpectPixels(surface, grey);
    }
}

TEST(DrawFrameControl, ComboArrowButtonAndPushedShift) {
    GuardedSurface surface(17, 17, kScene);
    ScopedDC dc(surface);
    RECT button{0, 0, 17, 17};
    EXPECT_TRUE(DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX));
    // The 7 by 4 arrow centred: columns 5 to 11, rows 6 to 9.
    for (int32_t y = 2; y < 15; ++y)
        for (int32_t x = 2; x < 15; ++x) {
            const int32_t row = y - 6;
            const bool arrow = row >= 0 && row < 4 && x >= 5 + row && x <= 11 - row;
            EXPECT_EQ(surface.At(x, y), arrow ? kBlack : kFace) << x << "," << y;
        }
    EXPECT_EQ(surface.At(0, 0), kWhite);
    EXPECT_EQ(surface.At(16, 16), kBlack);
    EXPECT_TRUE(DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_PUSHED));
    EXPECT_EQ(surface.At(6, 7), kBlack);  // the arrow's first row, one down and right
    EXPECT_EQ(surface.At(5, 6), kFace);
    EXPECT_EQ(surface.At(0, 0), kShadow);  // held: flat inside a shadow line
    EXPECT_EQ(surface.At(16, 16), kShadow);
    EXPECT_EQ(surface.At(1, 1), kFace);
    EXPECT_FALSE(DrawFrameControl(dc, &button, DFC_CAPTION, 0));
}

TEST(DrawTextExA, TabStopsFromTheFormatOrTheParameters) {
    ScopedFont font(-11, FW_NORMAL, "MS Sans Serif");
    // Where the run after the tab starts: the left edge of its opaque cell.
    auto secondRun = [&](const char* source, UINT format, DRAWTEXTPARAMS* params) {
        GuardedSurface surface(400, 20, kScene);
        ScopedDC dc(surface);
        SelectObject(dc, font);
        SetBkColor(dc, RGB(0, 0, 0));
        std::string text = source;
        RECT rect{0, 0, 400, 20};
        DrawTextExA(dc, text.data(), -1, &rect, format | DT_SINGLELINE, params);
        int32_t x = 0;
        while (x < 400 && surface.At(x, 0) != kScene) ++x;  // the first run's cell
        while (x < 400 && surface.At(x, 0) == kScene) ++x;  // the gap to the stop
        return x;
    };
    ScopedDC measuring(brontar::platform::CreateMeasuringDC());
    SelectObject(measuring, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(measuring, &tm);
    const LONG average = tm.tmAveCharWidth;
    EXPECT_EQ(secondRun("a\tb", DT_EXPANDTABS, nullptr), 8 * average);
    // DT_TABSTOP: the high byte is the count (and DT_NOCLIP, 0x100, is no flag then).
    EXPECT_EQ(secondRun("a\tb", DT_EXPANDTABS | DT_TABSTOP | (3 << 8), nullptr), 3 * average);
    DRAWTEXTPARAMS params{sizeof params, 2, 0, 0, 0};
    EXPECT_EQ(secondRun("a\tb", DT_EXPANDTABS, &params), 2 * average);
    // A tab past the first stop goes to the next one.
    SIZE letters{};
    GetTextExtentPoint32A(measuring, "abcdefghijkl", 12, &letters);
    EXPECT_EQ(secondRun("abcdefghijkl\tb", DT_EXPANDTABS | DT_TABSTOP | (1 << 8), nullptr),
              (letters.cx / average + 1) * average);
}

TEST(DrawTextExA, EllipsesShortenWhatDoesNotFitAndCanBeWrittenBack) {
    GuardedSurface surface(200, 20, kScene);
    ScopedDC dc(surface);
    ScopedFont font(-11, FW_NORMAL, "MS Sans Serif");
    SelectObject(dc, font);
    auto width = [&](const std::string& text) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    };
    const LONG limit = width("abcdef...");
    char text[32] = "abcdefghijkl";
    RECT rect{0, 0, limit, 20};
    DrawTextExA(dc, text, -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
    EXPECT_STREQ(text, "abcdef...");

    char fits[16] = "abc";
    DrawTextExA(dc, fits, -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
    EXPECT_STREQ(fits, "abc");

    char words[32] = "one two three";
    RECT wordRect{0, 0, width("one tw..."), 20};
    DrawTextExA(dc, words, -1, &wordRect, DT_SINGLELINE | DT_WORD_ELLIPSIS | DT_MODIFYSTRING, nullptr);
    EXPECT_STREQ(words, "one...");

    char path[64] = "C:\\WINDOWS\\SYSTEM\\BRNTRSET.DLL";
    RECT pathRect{0, 0, width("C:\\W...\\BRNTRSET.DLL"), 20};
    DrawTextExA(dc, path, -1, &pathRect, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING, nullptr);
    EXPECT_STREQ(path, "C:\\W...\\BRNTRSET.DLL");
    EXPECT_TRUE(surface.GuardIntact());
}

}  // namespace
