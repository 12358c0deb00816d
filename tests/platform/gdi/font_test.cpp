// Font sizes, metrics and text extents with the sans-serif face standing in
// for Arial (units per em 2048, win ascent 1854, win descent 434, average
// width 1208; the numbers below are worked out from these).
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>
#include <string>

#include "platform/gdi/font_files.h"
#include "tests/platform/gdi/gdi_test_support.h"

using brontar::testing::ScopedDC;
using brontar::testing::ScopedFont;

namespace {

TEXTMETRICA MetricsOf(HDC dc) {
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc, &tm));
    return tm;
}

SIZE ExtentOf(HDC dc, const std::string& text) {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size));
    return size;
}

struct HeightCase {
    int requested;
    LONG height, ascent, descent, internalLeading;
};

class FontHeight : public ::testing::TestWithParam<HeightCase> {};

// Positive: the cell is the height asked for, split 1854:434; the em is
// height x 2048 / 2288. Negative: the em is the height, ascent and descent
// are em x 1854 / 2048 and em x 434 / 2048, each rounded.
TEST_P(FontHeight, CellAndEmFollowTheSignOfTheHeight) {
    const HeightCase c = GetParam();
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(c.requested);
    ASSERT_NE(SelectObject(dc, font), nullptr);
    TEXTMETRICA tm = MetricsOf(dc);
    EXPECT_EQ(tm.tmHeight, c.height);
    EXPECT_EQ(tm.tmAscent, c.ascent);
    EXPECT_EQ(tm.tmDescent, c.descent);
    EXPECT_EQ(tm.tmInternalLeading, c.internalLeading);
    EXPECT_EQ(ExtentOf(dc, "Hz").cy, c.height);
}

INSTANTIATE_TEST_SUITE_P(Heights, FontHeight,
                         ::testing::Values(HeightCase{24, 24, 19, 5, 3},   // the 800x600 overlay font
                                           HeightCase{12, 12, 10, 2, 1},   // the smaller modes' font
                                           HeightCase{-16, 17, 14, 3, 1},  // em 16
                                           HeightCase{-11, 12, 10, 2, 1},  // the 8-point dialog font
                                           HeightCase{1, 1, 1, 0, 0}),
                         [](const ::testing::TestParamInfo<HeightCase>& info) {
                             int h = info.param.requested;
                             return (h < 0 ? "Minus" : "Plus") + std::to_string(h < 0 ? -h : h);
                         });

TEST(Font, MetricsOfTheOverlayFont) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(24);
    SelectObject(dc, font);
    TEXTMETRICA tm = MetricsOf(dc);
    EXPECT_EQ(tm.tmAveCharWidth, 12);    // 1208 x 21 / 2048 = 12.4
    EXPECT_EQ(tm.tmExternalLeading, 1);  // line gap 67 x 21 / 2048 = 0.7
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_SWISS);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set means variable pitch
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    char face[LF_FACESIZE];
    EXPECT_EQ(GetTextFaceA(dc, sizeof face, face), 6);
    EXPECT_STREQ(face, "Arial");
}

TEST(Font, BoldWeightUsesTheBoldFaceAndWidensText) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont regular(24);
    ScopedFont bold(24, FW_BOLD);
    SelectObject(dc, regular);
    LONG regularWidth = ExtentOf(dc, "Brontar").cx;
    SelectObject(dc, bold);
    EXPECT_EQ(MetricsOf(dc).tmWeight, FW_BOLD);
    EXPECT_GT(ExtentOf(dc, "Brontar").cx, regularWidth);
}

TEST(Font, AFreshContextHasTheBoldSixteenPixelSystemFont) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    TEXTMETRICA tm = MetricsOf(dc);
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));
}

TEST(Font, OverlayFontHeightsPerMode) {
    // The overlay asks for 24 above a width of 600 and 12 otherwise; the
    // measured line is then exactly that tall.
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    for (int height : {12, 24}) {
        ScopedFont font(height);
        SelectObject(dc, font);
        EXPECT_EQ(ExtentOf(dc, "000x000x00 000Hz").cy, height);
    }
}

TEST(TextExtent, AdditiveWithoutKerning) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(24);
    SelectObject(dc, font);
    LONG i = ExtentOf(dc, "i").cx;
    EXPECT_GT(i, 0);
    EXPECT_EQ(ExtentOf(dc, "ii").cx, 2 * i);
    // "AV" and "To" are classic kerning pairs; GDI did not kern by default.
    EXPECT_EQ(ExtentOf(dc, "AV").cx, ExtentOf(dc, "A").cx + ExtentOf(dc, "V").cx);
    EXPECT_EQ(ExtentOf(dc, "To").cx, ExtentOf(dc, "T").cx + ExtentOf(dc, "o").cx);
}

TEST(TextExtent, MonotoneInTheLength) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(12);
    SelectObject(dc, font);
    const std::string prompt = "Press 'Q' key to quit test screen";
    LONG previous = 0;
    for (size_t length = 1; length <= prompt.size(); ++length) {
        LONG width = ExtentOf(dc, prompt.substr(0, length)).cx;
        EXPECT_GE(width, previous) << length;
        previous = width;
    }
    EXPECT_EQ(ExtentOf(dc, "").cx, 0);
    EXPECT_EQ(ExtentOf(dc, "").cy, 12);
}

TEST(TextExtent, ThreeDigitRatesFitTheTemplateWidth) {
    // The face's digits share one advance, so every mode line of the same
    // digit count measures the same as the template.
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    for (int height : {12, 24}) {
        ScopedFont font(height);
        SelectObject(dc, font);
        LONG templateWidth = ExtentOf(dc, "000x000x00 000Hz").cx;
        EXPECT_EQ(ExtentOf(dc, "800x600x16 120Hz").cx, templateWidth);
        EXPECT_LT(ExtentOf(dc, "640x480x16 75Hz").cx, templateWidth);
    }
}

TEST(TextExtent, BothCallsAgreeAndRefuseBadArguments) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    ScopedFont font(24);
    SelectObject(dc, font);
    SIZE a{}, b{};
    EXPECT_TRUE(GetTextExtentPointA(dc, "640x480x16 75Hz", 15, &a));
    EXPECT_TRUE(GetTextExtentPoint32A(dc, "640x480x16 75Hz", 15, &b));
    EXPECT_EQ(a.cx, b.cx);
    EXPECT_EQ(a.cy, b.cy);
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", -1, &a));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", 3, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, nullptr, 3, &a));
    EXPECT_FALSE(GetTextExtentPoint32A(reinterpret_cast<HDC>(0x1234), "abc", 3, &a));
    EXPECT_TRUE(GetTextExtentPoint32A(dc, nullptr, 0, &a));
}

TEST(GdiObjects, SelectAnswersThePreviousObjectAndDeletedHandlesAreRefused) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    HFONT first = CreateFontA(24, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, "Arial");
    HFONT second = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, "Arial");
    HGDIOBJ system = SelectObject(dc, first);
    EXPECT_EQ(system, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));

    // Deleting the selected font leaves the context working with it.
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_EQ(MetricsOf(dc).tmHeight, 12);
    EXPECT_EQ(SelectObject(dc, second), nullptr);
    EXPECT_FALSE(DeleteObject(second));
    EXPECT_EQ(GetObjectType(second), 0u);

    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects stay
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(9), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(0x40), GetStockObject(BLACK_BRUSH)), nullptr);
}

TEST(GdiObjects, GetObjectCopiesTheLogicalFontWithinTheBuffer) {
    ScopedFont font(CreateFontA(-11, 0, 0, 0, FW_BOLD, 1, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH,
                                "MS Sans Serif"));
    EXPECT_EQ(GetObjectA(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));
    LOGFONTA logFont{};
    EXPECT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof(LOGFONTA)));
    EXPECT_EQ(logFont.lfHeight, -11);
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);
    EXPECT_EQ(logFont.lfItalic, 1);
    EXPECT_STREQ(logFont.lfFaceName, "MS Sans Serif");
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetObjectA(font, 2, small), 2);
    EXPECT_EQ(small[2], 'x');
}

TEST(GdiObjects, OverlongFaceNameIsCut) {
    std::string face(100, 'F');
    ScopedFont font(CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, face.c_str()));
    LOGFONTA logFont{};
    GetObjectA(font, sizeof logFont, &logFont);
    EXPECT_EQ(std::strlen(logFont.lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
}

TEST(Font, HugeAndExtremeSizesAreBounded) {
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    for (int height : {INT32_MIN, INT32_MAX, 100000}) {
        ScopedFont font(CreateFontA(height, INT32_MIN, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
        SelectObject(dc, font);
        TEXTMETRICA tm = MetricsOf(dc);
        EXPECT_GT(tm.tmHeight, 0);
        EXPECT_LE(tm.tmHeight, 1200);
    }
}

TEST(FontFiles, FoundAnywhereBelowARootAndNamedByStyle) {
    EXPECT_EQ(brontar::platform::FontFileName(brontar::platform::FontFamily::Sans, true, false),
              "LiberationSans-Bold.ttf");
    EXPECT_EQ(brontar::platform::FontFileName(brontar::platform::FontFamily::Mono, true, true),
              "LiberationMono-BoldItalic.ttf");
    const std::string system = brontar::platform::FindFontFile("LiberationSans-Regular.ttf");
    ASSERT_FALSE(system.empty());
    const auto root = std::filesystem::temp_directory_path() / ("gdi-fonts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "deep" / "er");
    std::filesystem::copy_file(system, root / "deep" / "er" / "LiberationSans-Regular.ttf");
    brontar::platform::SetFontSearchRootsForTesting({(root / "missing").string(), root.string()});
    EXPECT_EQ(brontar::platform::FindFontFile("LiberationSans-Regular.ttf"),
              (root / "deep" / "er" / "LiberationSans-Regular.ttf").string());
    EXPECT_EQ(brontar::platform::FindFontFile("LiberationSerif-Regular.ttf"), "");
    brontar::platform::SetFontSearchRootsForTesting({});
    std::filesystem::remove_all(root);
}

TEST(Font, MissingFontFilesStillMeasure) {
    brontar::platform::SetFontSearchRootsForTesting({"/nonexistent-font-root"});
    {
        ScopedDC dc(brontar::platform::CreateMeasuringDC());
        ScopedFont font(24, FW_NORMAL, "Arial");
        SelectObject(dc, font);
        EXPECT_EQ(MetricsOf(dc).tmHeight, 24);
        LONG i = ExtentOf(dc, "i").cx;
        EXPECT_GT(i, 0);
        EXPECT_EQ(ExtentOf(dc, "iii").cx, 3 * i);
    }
    brontar::platform::SetFontSearchRootsForTesting({});
}

}  // namespace

namespace {

// The locale variables set for one test and put back afterwards.
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* lang) {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        ::setenv("LANG", lang, 1);
    }
    ~ScopedLanguage() {
        const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        for (size_t i = 0; i < 3; ++i) {
            if (saved_[i]) ::setenv(names[i], saved_[i]->c_str(), 1);
            else ::unsetenv(names[i]);
        }
    }

private:
    std::vector<std::optional<std::string>> saved_;
};

TEST(Font, JapaneseTextIsUtf8WithGlyphsFromTheFallbackFace) {
    ScopedFont font(-11, FW_NORMAL, "MS Sans Serif");
    ScopedDC dc(brontar::platform::CreateMeasuringDC());
    SelectObject(dc, font);
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";  // two full-width characters
    const LONG asAnsi = ExtentOf(dc, nihon).cx;            // six code page 1252 characters
    {
        ScopedLanguage japanese("ja_JP.UTF-8");
        // Full-width glyphs advance by the em, 11 pixels.
        EXPECT_EQ(ExtentOf(dc, nihon).cx, 22);
        // A byte that forms no UTF-8 is one code page 1252 character.
        EXPECT_EQ(ExtentOf(dc, "\xE6" "a").cx, ExtentOf(dc, "\xE6").cx + ExtentOf(dc, "a").cx);
        EXPECT_GT(ExtentOf(dc, "\xE6").cx, 0);

        brontar::testing::GuardedSurface surface(30, 13, 0xFFFF);
        ScopedDC drawing(surface);
        SelectObject(drawing, font);
        SetTextColor(drawing, RGB(0, 0, 0));
        SetBkMode(drawing, TRANSPARENT);
        ExtTextOutA(drawing, 0, 0, 0, nullptr, nihon.data(), static_cast<UINT>(nihon.size()), nullptr);
        int inked[2] = {0, 0};
        for (int32_t y = 0; y < 13; ++y)
            for (int32_t x = 0; x < 22; ++x) inked[x / 11] += surface.At(x, y) == 0 ? 1 : 0;
        EXPECT_GT(inked[0], 10);  // each character drawn in its own cell
        EXPECT_GT(inked[1], 10);
        EXPECT_TRUE(surface.GuardIntact());
    }
    EXPECT_EQ(ExtentOf(dc, nihon).cx, asAnsi);
    EXPECT_NE(asAnsi, 22);
}

}  // namespace
