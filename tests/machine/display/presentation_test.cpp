// The board's presentation: widening, gamma, capture files.
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "machine/display/gamma_table.h"
#include "machine/display/png_file.h"
#include "machine/display/presentation.h"
#include "machine/vector_units.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {
namespace {

using machine::DisplayGamma;
using machine::GammaTable;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb Unpack(uint32_t pixel) { return Rgb{int(pixel >> 16), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)}; }

std::ostream& operator<<(std::ostream& out, const Rgb& c) { return out << '(' << c.r << ',' << c.g << ',' << c.b << ')'; }

TEST(GammaTableTest, IdentityWidensByBitReplication) {
    GammaTable table(DisplayGamma{1.0f, 1.0f, 1.0f});
    // 0x0410: red 0, green 100000b -> 10000010b, blue 10000b -> 10000100b.
    EXPECT_EQ(Unpack(table[0x0410]), (Rgb{0, 130, 132}));
    EXPECT_EQ(Unpack(table[0xF800]), (Rgb{255, 0, 0}));
    EXPECT_EQ(Unpack(table[0x07E0]), (Rgb{0, 255, 0}));
    EXPECT_EQ(Unpack(table[0x001F]), (Rgb{0, 0, 255}));
    EXPECT_EQ(Unpack(table[0xFFFF]), (Rgb{255, 255, 255}));
    EXPECT_EQ(Unpack(table[0x0000]), (Rgb{0, 0, 0}));
    // Lowest steps: red 1 -> 00001000b | 0 = 8, green 1 -> 00000100b | 0 = 4.
    EXPECT_EQ(Unpack(table[0x0821]), (Rgb{8, 4, 8}));
}

TEST(GammaTableTest, GammaBendsEachChannelOnItsOwn) {
    // 0x8410 widens to (132, 130, 132). Red with gamma 2: 255 * sqrt(132/255)
    // = 183.47; green with 1: 130; blue with 0.5: 255 * (132/255)^2 = 68.33.
    GammaTable table(DisplayGamma{2.0f, 1.0f, 0.5f});
    EXPECT_EQ(Unpack(table[0x8410]), (Rgb{183, 130, 68}));
    // Black and full channels stay where they are for every gamma.
    EXPECT_EQ(Unpack(table[0xFFFF]), (Rgb{255, 255, 255}));
    EXPECT_EQ(Unpack(table[0x0000]), (Rgb{0, 0, 0}));
}

TEST(GammaTableTest, MeaninglessGammaIsTakenAsOne) {
    for (float bad : {0.0f, -1.7f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(machine::ApplyChannelGamma(130, bad), 130);
    }
}

TEST(GammaTableTest, DefaultBoardGammaBrightensMidTones) {
    // 255 * (132/255)^(1/1.7) = 255 * 0.6787 = 173.07.
    EXPECT_EQ(machine::ApplyChannelGamma(132, 1.7f), 173);
}

// What the monitor shows of one channel value, straight from the
// definition: bit replication to 8 bits, then 255 * (x / 255) ^ (1 / gamma).
int ShownChannel(unsigned value, unsigned bits, double gamma) {
    const unsigned wide = bits == 5 ? (value << 3) | (value >> 2) : (value << 2) | (value >> 4);
    return int(std::lround(std::min(255.0, 255.0 * std::pow(wide / 255.0, 1.0 / gamma))));
}

// Every RGB565 value, laid over rows whose length is no multiple of the
// converters' strides and whose pitch has padding, comes out as the formula
// says, for the default gamma and uneven ones: through the presentation
// (the fastest way this processor has) and each supported way on its own.
TEST(PresentationTest, EveryPixelValueShowsAsTheFormulaSays) {
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    ::unsetenv("BRONTAR_CAPTURE");
    constexpr int kWidth = 251, kPitch = 260, kHeight = (65536 + kWidth - 1) / kWidth;
    std::vector<uint16_t> frame(size_t(kPitch) * kHeight, 0xBEEF);
    std::vector<uint16_t> values(kWidth * kHeight);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        values[size_t(i)] = uint16_t(i);
        frame[size_t(i / kWidth) * kPitch + i % kWidth] = uint16_t(i);
    }
    for (DisplayGamma gamma : {DisplayGamma{1.0f, 1.0f, 1.0f}, DisplayGamma{1.7f, 1.7f, 1.7f},
                               DisplayGamma{2.2f, 1.0f, 0.45f}, DisplayGamma{0.25f, 3.5f, 1.3f}}) {
        std::vector<uint32_t> expected(values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            const unsigned pixel = values[i];
            expected[i] = uint32_t(ShownChannel(pixel >> 11, 5, gamma.red)) << 16 |
                          uint32_t(ShownChannel((pixel >> 5) & 0x3F, 6, gamma.green)) << 8 |
                          uint32_t(ShownChannel(pixel & 0x1F, 5, gamma.blue));
        }
        machine::PresentFrame(frame.data(), kWidth, kHeight, kPitch * 2, gamma);
        const machine::RgbPicture picture = machine::LastPresentedPicture();
        ASSERT_EQ(picture.rgb.size(), values.size() * 3);
        std::vector<uint32_t> shown(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            shown[i] = uint32_t(picture.rgb[3 * i]) << 16 | uint32_t(picture.rgb[3 * i + 1]) << 8 | picture.rgb[3 * i + 2];
        EXPECT_EQ(shown, expected) << "presented, gamma " << gamma.red << ' ' << gamma.green << ' ' << gamma.blue;

        const GammaTable table(gamma);
        for (size_t i = 0; i < values.size(); ++i) shown[i] = table[values[i]];
        EXPECT_EQ(shown, expected) << "one pixel at a time";
        for (auto conversion : {machine::PixelConversion::Portable, machine::PixelConversion::Avx2,
                                machine::PixelConversion::Avx512Vbmi}) {
            if (!machine::ConversionSupported(conversion)) continue;
            // From an odd start, so the loads are unaligned, to an uneven end.
            std::fill(shown.begin(), shown.end(), 0xFFFFFFFF);
            table.ConvertRow(values.data() + 1, shown.data() + 1, values.size() - 1, conversion);
            shown[0] = expected[0];
            EXPECT_EQ(shown, expected) << "conversion " << int(conversion);
        }
    }
}

// The C library's switch turns the wide vector units off for a whole
// process: the reference-frame tests rely on it to hold the narrower drawing
// and presentation loops to the same pictures on a machine that has them.
TEST(VectorUnits, TheCLibrarysSwitchTurnsThemOff) {
#if !__has_include(<sys/platform/x86.h>)
    GTEST_SKIP() << "the C library does not say which vector units it uses";
#endif
    // A fresh process reads the switch at its start.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ::setenv("GLIBC_TUNABLES", "glibc.cpu.hwcaps=-AVX2,-AVX512F", 1);
    EXPECT_EXIT(std::_Exit(machine::ProcessorHas(machine::VectorUnit::Avx2) ||
                                   machine::ProcessorHas(machine::VectorUnit::Avx512Vbmi)
                               ? 1
                               : 0),
                ::testing::ExitedWithCode(0), "");
    ::unsetenv("GLIBC_TUNABLES");
    GTEST_FLAG_SET(death_test_style, style);
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.scratch() / "frames";
        ::setenv("BRONTAR_CAPTURE", folder_.c_str(), 1);
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
    }
    void TearDown() override { ::unsetenv("BRONTAR_CAPTURE"); }

    std::filesystem::path FrameFile(uint64_t number) const {
        return machine::CaptureFilePath(folder_, "frame", number);
    }

    TempMachine scratch_;
    std::filesystem::path folder_;
};

TEST_F(CaptureTest, EachFrameLandsInItsNumberedFile) {
    // A 3 x 2 frame in rows of 4 pixels: the pitch's padding must not show.
    const uint16_t pixels[8] = {0xF800, 0x07E0, 0x001F, 0x1234, 0x0410, 0xFFFF, 0x0000, 0x1234};
    uint64_t before = machine::PresentedFrameCount();
    machine::PresentFrame(pixels, 3, 2, 8, DisplayGamma{1.0f, 1.0f, 1.0f});
    machine::PresentFrame(pixels, 3, 2, 8, DisplayGamma{2.0f, 2.0f, 2.0f});
    ASSERT_EQ(machine::PresentedFrameCount(), before + 2);

    auto first = machine::ReadPngFile(FrameFile(before + 1));
    ASSERT_TRUE(first.has_value());
    ASSERT_EQ(first->width, 3);
    ASSERT_EQ(first->height, 2);
    EXPECT_EQ(first->rgb, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255,  //
                                                0, 130, 132, 255, 255, 255, 0, 0, 0}));
    // The second frame went through gamma 2: 130 -> 255 * sqrt(130/255) = 182.07.
    auto second = machine::ReadPngFile(FrameFile(before + 2));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->rgb[9 + 1], 182);
    EXPECT_EQ(machine::LastPresentedPicture().rgb, second->rgb);
    // Nothing half-written is left beside the frames.
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
}

TEST_F(CaptureTest, MalformedFramesAreRefusedAndNotCounted) {
    const uint16_t pixels[4] = {};
    uint64_t before = machine::PresentedFrameCount();
    machine::PresentFrame(nullptr, 2, 2, 4, DisplayGamma{});
    machine::PresentFrame(pixels, 2, 2, 2, DisplayGamma{});  // pitch shorter than a row
    machine::PresentFrame(pixels, 0, 2, 4, DisplayGamma{});
    machine::PresentFrame(pixels, 2, -1, 4, DisplayGamma{});
    EXPECT_EQ(machine::PresentedFrameCount(), before);
    EXPECT_FALSE(std::filesystem::exists(FrameFile(before + 1)));
}

TEST_F(CaptureTest, UnwritableFolderLosesTheFilesButNotTheFrames) {
    std::filesystem::path blocker = scratch_.scratch() / "blocker";
    { std::ofstream(blocker) << "a file where the folder should be"; }
    ::setenv("BRONTAR_CAPTURE", (blocker / "frames").c_str(), 1);
    const uint16_t pixels[1] = {0xFFFF};
    uint64_t before = machine::PresentedFrameCount();
    machine::PresentFrame(pixels, 1, 1, 2, DisplayGamma{});
    EXPECT_EQ(machine::PresentedFrameCount(), before + 1);
}

TEST(PngFileTest, BrokenFilesReadAsNothing) {
    TempMachine scratch;
    std::filesystem::path path = scratch.scratch() / "broken.png";
    { std::ofstream(path) << "\x89PNG\r\n\x1a\n truncated"; }
    EXPECT_FALSE(machine::ReadPngFile(path).has_value());
    EXPECT_FALSE(machine::ReadPngFile(scratch.scratch() / "missing.png").has_value());
    machine::RgbPicture wrongSize{2, 2, std::vector<uint8_t>(5)};
    EXPECT_FALSE(machine::WritePngFile(scratch.scratch() / "out.png", wrongSize));
    EXPECT_FALSE(std::filesystem::exists(scratch.scratch() / "out.png"));
}

}  // namespace
}  // namespace brontar::testing
