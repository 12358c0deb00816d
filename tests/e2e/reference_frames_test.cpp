// The test screen's first frames against reference pictures of them kept
// beside this test (reference/MODE-frameN.png, shown with gamma 1.0 so each
// picture is its RGB565 frame widened). Faster drawing may move a pixel by
// at most one RGB565 step in any channel; the test says how many moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tests/e2e/test_screen_run.h"

using namespace brontar::testing;

namespace {

class ReferenceFrames : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { machine.StoreGammas(1.0f); }
    TestScreenMachine machine;
};

TEST_P(ReferenceFrames, FirstSixFramesStayWithinOneStepOfTheReference) {
    const std::string mode = GetParam();
    const RunResult run = machine.Run({"/" + mode}, "wait 6 frames; key q");
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

INSTANTIATE_TEST_SUITE_P(Modes, ReferenceFrames, ::testing::Values("640x480", "800x600"));

}  // namespace
