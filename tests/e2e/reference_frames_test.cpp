// The test screen's first frames against reference pictures of them kept
// beside this test (reference/MODE-frameN.png, shown with gamma 1.0 so each
// picture is its RGB565 frame widened). Faster drawing may move a pixel by
// at most one RGB565 step in any channel; the test says how many moved.
// Each mode is drawn twice: with the widest vector units the processor has,
// and with AVX2 and AVX-512 switched off through the C library, so the
// narrower drawing and presentation loops are held to the same pictures on
// any machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "tests/e2e/test_screen_run.h"

using namespace brontar::testing;

namespace {

struct Drawing {
    const char* mode;
    const char* tunables;  // GLIBC_TUNABLES for the test screen; empty: as the processor is
};

void PrintTo(const Drawing& drawing, std::ostream* out) { *out << drawing.mode << ' ' << drawing.tunables; }

class ReferenceFrames : public ::testing::TestWithParam<Drawing> {
protected:
    void SetUp() override { machine.StoreGammas(1.0f); }
    TestScreenMachine machine;
};

TEST_P(ReferenceFrames, FirstSixFramesStayWithinOneStepOfTheReference) {
    const std::string mode = GetParam().mode;
    std::map<std::string, std::string> environment;
    if (*GetParam().tunables) environment["GLIBC_TUNABLES"] = GetParam().tunables;
    const RunResult run = machine.Run({"/" + mode}, "wait 6 frames; key q", "", std::chrono::seconds(30), environment);
    EXPECT_EQ(run.status, 0) << run.log;
    ASSERT_GE(run.frames.size(), 6u);
    for (int n = 1; n <= 6; ++n) {
        const Frame reference = ReadFrame(fs::path(BRONTAR_REFERENCE_FRAMES) / (mode + "-frame" + std::to_string(n) + ".png"));
        const Frame frame = run.FrameAt(size_t(n - 1));
        ASSERT_EQ(frame.width, reference.width) << "frame " << n;
        ASSERT_EQ(frame.height, reference.height) << "frame " << n;
        int moved = 0, worst = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const Pixel a = frame.At(x, y), b = reference.At(x, y);
                // Widening keeps a channel's bits on top: narrowing back is exact.
                const int step = std::max({std::abs((a.red >> 3) - (b.red >> 3)), std::abs((a.green >> 2) - (b.green >> 2)),
                                           std::abs((a.blue >> 3) - (b.blue >> 3))});
                moved += step != 0;
                worst = std::max(worst, step);
                if (step > 1) ADD_FAILURE() << mode << " frame " << n << " pixel " << x << ',' << y << " moved " << step << " steps";
                if (HasFailure()) return;
            }
        RecordProperty(mode + "-frame" + std::to_string(n) + "-moved", moved);
        std::printf("%s frame %d: %d pixels moved, at most %d step\n", mode.c_str(), n, moved, worst);
    }
}

constexpr const char* kWithoutAvx = "glibc.cpu.hwcaps=-AVX2,-AVX512F";

INSTANTIATE_TEST_SUITE_P(Modes, ReferenceFrames,
                         ::testing::Values(Drawing{"640x480", ""}, Drawing{"800x600", ""},
                                           Drawing{"640x480", kWithoutAvx}, Drawing{"800x600", kWithoutAvx}),
                         [](const ::testing::TestParamInfo<Drawing>& info) {
                             return std::string(info.param.mode) + (*info.param.tunables ? "_WithoutAvx" : "");
                         });

}  // namespace
