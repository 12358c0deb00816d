#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "tests/support/temp_machine.h"
#include "testscreen/test_screen.h"

using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;

namespace {

// Frames drawn with an empty record each report their missing state buffer
// once, so the log counts the frames.
size_t FramesLogged(const std::string& log) {
    size_t count = 0;
    for (size_t at = log.find("Background Direct3D State Buffer"); at != std::string::npos;
         at = log.find("Background Direct3D State Buffer", at + 1))
        ++count;
    return count;
}

LRESULT Send(UINT message, WPARAM wParam = 0) { return TestWindowProc(nullptr, message, wParam, 0); }

}  // namespace

// One story, since the window procedure's flags live for the whole process.
TEST(TestWindowProc, KeysTimerAndWhatTheDestroyHandlingLeaves) {
    TempMachine machine;
    const auto log = machine.scratch() / "events.log";
    ::setenv("BRONTAR_LOG", log.c_str(), 1);
    std::memset(&testScreen, 0, sizeof testScreen);

    EXPECT_EQ(Send(WM_TIMER, FRAME_TIMER_ID), 0);
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 1u);
    EXPECT_TRUE(FailureReported());
    EXPECT_NE(ReadFileText(log).find("ReportError [Brontar 3D Gamma Tool] Error unable to create Background "
                                     "Direct3D State Buffer\\n\n"),
              std::string::npos)
        << ReadFileText(log);

    Send(WM_CHAR, 'r');  // stop
    Send(WM_TIMER, FRAME_TIMER_ID);
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 1u);
    Send(WM_CHAR, 'P');  // one frame while stopped
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 2u);
    Send(WM_CHAR, 0x1200 | 'R');  // only the low byte counts: restart
    Send(WM_TIMER, 7);            // whatever the timer's id
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 3u);
    Send(WM_CHAR, 'x');
    EXPECT_EQ(Send(WM_COMMAND, 1), 0);
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 3u);

    EXPECT_EQ(Send(WM_DESTROY), 0);
    // Messages still queued behind the quit request draw nothing.
    Send(WM_CHAR, 'p');
    Send(WM_TIMER, FRAME_TIMER_ID);
    EXPECT_EQ(FramesLogged(ReadFileText(log)), 3u);
    ::unsetenv("BRONTAR_LOG");

    // The destroy handling's quit request keeps the code of the failure.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    EXPECT_EQ(static_cast<int>(msg.wParam), -1);
}
