// The test screen's picture: what the first frames show, at each mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/e2e/test_screen_run.h"

using namespace brontar::testing;

namespace {

// Channel of a ramp pixel: black at x 0 to full at the right edge x 639, as
// a 16-bit picture widened back to 8 bits; dithering and 5-bit steps stay
// within two steps (16). The ramps end at x = width - 1, so the last column
// is not drawn and stays black.
int RampLevel(int x, int width) { return x == width - 1 ? 0 : 255 * x / (width - 1); }

bool NearRamp(const Pixel& p, int x, int width, int band) {
    const int level = RampLevel(x, width);
    const int red = band == 0 || band == 3 ? level : 0;
    const int green = band == 1 || band == 3 ? level : 0;
    const int blue = band == 2 || band == 3 ? level : 0;
    return std::abs(p.red - red) <= 16 && std::abs(p.green - green) <= 16 && std::abs(p.blue - blue) <= 16;
}

// The logo's ring, orange (255, 128, 0): the bitmap reader keeps five bits of
// green in the lower half of the six-bit field, so 128 shows as 65.
bool IsLogoOrange(const Pixel& p) { return p.red >= 240 && std::abs(p.green - 65) <= 12 && p.blue <= 12; }

bool IsYellow(const Pixel& p) { return p.red >= 200 && p.green >= 200 && p.blue <= 60; }

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < 0; }
};

// The bounding box of the yellow pixels in rows top..bottom (exclusive).
Box YellowBox(const Frame& frame, int top, int bottom) {
    Box box;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (IsYellow(frame.At(x, y))) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class TestScreenFrames : public ::testing::Test {
protected:
    void SetUp() override {
        machine.StoreDword("REFRESH_640x480", 75);
        machine.StoreDword("REFRESH_800x600", 120);
        machine.StoreGammas(1.0f);
    }
    TestScreenMachine machine;
};

}  // namespace

TEST_F(TestScreenFrames, FirstFrameShowsRampsCubeAndModeLine) {
    const RunResult run = machine.Run({"/640x480"}, "wait 3 frames; key q");
    EXPECT_EQ(run.status, 0) << run.log;
    ASSERT_GE(run.frames.size(), 3u);
    const Frame frame = run.FrameAt(0);
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);

    // Ramps: red, green, blue, white bands of 120 rows from the top, outside
    // the cube (x 240..400, y 180..300) and the text (top and bottom rows).
    for (int y = 20; y < 440; y += 7) {
        for (int x = 0; x < 640; x += x == 636 ? 3 : 4) {
            const bool insideCube = x >= 238 && x <= 401 && y >= 178 && y <= 301;
            if (!insideCube) {
                EXPECT_TRUE(NearRamp(frame.At(x, y), x, 640, y / 120)) << x << ',' << y;
            }
        }
    }
    // The logo on the cube's front face: its black lets the ramps through,
    // its orange ring (radius 44 to 60 of 128 texels) shows at 52 texels
    // right of the centre: x = 240 + 116 / 128 * 160 = 385.
    EXPECT_TRUE(NearRamp(frame.At(245, 185), 245, 640, 1));  // corner of the logo
    EXPECT_TRUE(NearRamp(frame.At(320, 215), 320, 640, 1));  // between ring and letters
    for (auto [x, y] : {std::pair{385, 240}, {255, 240}, {320, 188}, {320, 292}})
        EXPECT_TRUE(IsLogoOrange(frame.At(x, y))) << x << ',' << y;
    // The mode line "640x480x16 75Hz": yellow, on the top edge, centred.
    const Box line = YellowBox(frame, 0, 60);
    ASSERT_FALSE(line.empty());
    EXPECT_LE(line.top, 4);
    EXPECT_LE(line.bottom, 13);                  // a 12-pixel font:
    EXPECT_LE(line.bottom - line.top + 1, 10);  // its digits are 7 to 9 rows high
    EXPECT_GE(line.right - line.left, 60);
    EXPECT_NEAR((line.left + line.right) / 2.0, 319.5, 3.0);
    // The banner and prompt: yellow, centred on the bottom edge.
    const Box banner = YellowBox(frame, 420, 480);
    ASSERT_FALSE(banner.empty());
    EXPECT_GE(banner.bottom, 470);
    EXPECT_NEAR((banner.left + banner.right) / 2.0, 319.5, 4.0);
    EXPECT_TRUE(YellowBox(frame, 60, 420).empty());
}

TEST_F(TestScreenFrames, CubeTurnsFromFrameToFrame) {
    const RunResult run = machine.Run({"/640x480"}, "wait 12 frames; key q");
    EXPECT_EQ(run.status, 0);
    ASSERT_GE(run.frames.size(), 12u);
    // Eleven degrees later about all three axes, much of the cube's
    // neighbourhood looks different.
    const Frame first = run.FrameAt(0);
    const Frame later = run.FrameAt(11);
    int changed = 0;
    for (int y = 150; y < 330; y += 2)
        for (int x = 200; x < 440; x += 2) {
            const Pixel a = first.At(x, y);
            const Pixel b = later.At(x, y);
            changed += std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue) > 48;
        }
    EXPECT_GT(changed, 200);
    // Far from the cube the picture stays the same ramp.
    EXPECT_TRUE(NearRamp(later.At(60, 100), 60, 640, 0));
    EXPECT_TRUE(NearRamp(later.At(600, 400), 600, 640, 3));
}

TEST_F(TestScreenFrames, EightHundredBySixHundredUsesTheLargeFont) {
    const RunResult run = machine.Run({"/800x600"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 0) << run.log;
    ASSERT_GE(run.frames.size(), 1u);
    const Frame frame = run.FrameAt(0);
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    const Box line = YellowBox(frame, 0, 60);
    ASSERT_FALSE(line.empty());
    EXPECT_GE(line.bottom - line.top + 1, 13);  // digits of a 24-pixel font
    EXPECT_LE(line.bottom, 25);
    EXPECT_NEAR((line.left + line.right) / 2.0, 399.5, 3.0);
    EXPECT_TRUE(NearRamp(frame.At(100, 300), 100, 800, 2));
}

TEST_F(TestScreenFrames, SmallModesUseTheSmallFont) {
    for (const char* mode : {"/512x384", "/640x400"}) {
        const RunResult run = machine.Run({mode}, "wait 1 frames; key q");
        EXPECT_EQ(run.status, 0) << mode << run.log;
        ASSERT_GE(run.frames.size(), 1u) << mode;
        const Frame frame = run.FrameAt(0);
        const Box line = YellowBox(frame, 0, 40);
        ASSERT_FALSE(line.empty()) << mode;
        EXPECT_LE(line.bottom, 13) << mode;
        EXPECT_LE(line.bottom - line.top + 1, 10) << mode;
        EXPECT_NEAR((line.left + line.right) / 2.0, (frame.width - 1) / 2.0, 3.0) << mode;
    }
}

TEST_F(TestScreenFrames, LostSurfacesAreRestoredAndTheNextFrameDrawsNormally) {
    const RunResult run = machine.Run({"/640x480"}, "wait 4 frames; key q", "LoseSurfaces@2");
    EXPECT_EQ(run.status, 0) << run.log;
    EXPECT_EQ(run.log.find("ReportError"), std::string::npos) << run.log;
    ASSERT_GE(run.frames.size(), 4u);
    // Flip 2 was lost; flip 3 shows the scene again, and the text, whose
    // surfaces are restored while that frame copies them, is back with flip 4.
    const Frame after = run.FrameAt(1);
    EXPECT_TRUE(NearRamp(after.At(60, 100), 60, 640, 0));
    EXPECT_TRUE(NearRamp(after.At(500, 330), 500, 640, 2));
    EXPECT_TRUE(IsLogoOrange(after.At(385, 240))) << "the logo's texture is back";
    const Frame later = run.FrameAt(2);
    EXPECT_FALSE(YellowBox(later, 0, 60).empty());
    EXPECT_FALSE(YellowBox(later, 420, 480).empty());
}

TEST_F(TestScreenFrames, WithoutTheBannerSurfaceTheModeLineGoesOn) {
    // Surfaces in order: primary, mode line, banner.
    const RunResult run = machine.Run({"/640x480"}, "wait 2 frames; key q", "CreateSurface@3");
    EXPECT_EQ(run.status, 0) << run.log;
    ASSERT_GE(run.frames.size(), 2u);
    const Frame frame = run.FrameAt(1);
    const Box line = YellowBox(frame, 0, 60);
    ASSERT_FALSE(line.empty());
    EXPECT_LE(line.bottom, 13);  // still the overlay's 12-pixel font
    EXPECT_NEAR((line.left + line.right) / 2.0, 319.5, 3.0);
    EXPECT_TRUE(YellowBox(frame, 420, 480).empty());
}

TEST_F(TestScreenFrames, WithoutTheModeLineSurfaceThereIsNoText) {
    const RunResult run = machine.Run({"/640x480"}, "wait 2 frames; key q", "CreateSurface@2");
    EXPECT_EQ(run.status, 0) << run.log;
    ASSERT_GE(run.frames.size(), 2u);
    EXPECT_TRUE(YellowBox(run.FrameAt(1), 0, 480).empty());
}
