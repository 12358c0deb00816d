// The program entry and the message loop of a real program: the probe is
// started as a user or CreateProcessA would start it.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_machine.h"

namespace brontar::testing {
namespace {

struct RunResult {
    std::string output;
    int status = -1;
};

// Runs the probe through the shell with the environment assignments and
// arguments given; its diagnostics are part of the output when asked for.
RunResult RunProbe(const std::string& environment, const std::string& arguments, bool withDiagnostics = false) {
    std::string command = "env BRONTAR_DISPLAY=headless " + environment + " " BRONTAR_BIN_DIR "/user_probe " +
                          arguments + (withDiagnostics ? " 2>&1" : " 2>/dev/null");
    RunResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) result.output += buffer;
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(EntryTest, ShellArgumentsAreJoinedBySingleBlanks) {
    RunResult run = RunProbe("", "/640x480 '' '/gamma  x'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "[/640x480  /gamma  x]\nprevious null, inherited no\n");
}

TEST(EntryTest, NoArgumentsGiveAnEmptyLine) {
    EXPECT_EQ(RunProbe("", "").output, "[]\nprevious null, inherited no\n");
}

TEST(EntryTest, StarterTextIsTakenExactlyAndNotPassedOn) {
    RunResult run = RunProbe("BRONTAR_COMMAND_LINE='  /800x600   /gamma '", "ignored arguments");
    EXPECT_EQ(run.output, "[  /800x600   /gamma ]\nprevious null, inherited no\n");
    // An empty text from the starter is an empty command line, not the arguments.
    EXPECT_EQ(RunProbe("BRONTAR_COMMAND_LINE=", "ignored").output, "[]\nprevious null, inherited no\n");
}

TEST(EntryTest, MinusOneEndsWithStatus255) { EXPECT_EQ(RunProbe("", "fail").status, 255); }

TEST(EntryTest, ScriptedInputReachesTheWindowInOrder) {
    RunResult run = RunProbe("BRONTAR_INPUT='wait 3 frames; key a; click left; click right; wait 30 ms; key b; close'",
                             "loop");
    // The frame count after the millisecond wait depends on the clock; the rest is exact.
    ASSERT_EQ(run.output.rfind("[loop]\nprevious null, inherited no\nchar a 3\nleft\nright\nchar b ", 0), 0u)
        << run.output;
    EXPECT_TRUE(run.output.ends_with("\nclose\n")) << run.output;
    EXPECT_EQ(run.status, 3);  // the probe's destroy handling posts 3
}

TEST(EntryTest, MalformedItemsAreReportedAndSkipped) {
    RunResult run = RunProbe("BRONTAR_INPUT='wait 1 frame; jump; key z; close'", "loop", true);
    EXPECT_NE(run.output.find("BRONTAR_INPUT: cannot understand \"jump\"; item skipped\n"), std::string::npos);
    EXPECT_NE(run.output.find("char z 1\nclose\n"), std::string::npos);
    EXPECT_EQ(run.status, 3);
}

TEST(EntryTest, WindowAskedForWithoutADisplayRunsHeadless) {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr)
        GTEST_SKIP() << "a display is reachable here";
    RunResult run = RunProbe("BRONTAR_DISPLAY=window BRONTAR_INPUT='wait 2 frames; close'", "loop", true);
    EXPECT_NE(run.output.find(": no display is reachable (DISPLAY and WAYLAND_DISPLAY are not set, although "
                              "BRONTAR_DISPLAY=window asks for one), so it runs headless"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("close\n"), std::string::npos);
    EXPECT_EQ(run.status, 3);
}

TEST(EntryTest, UnknownDisplayChoiceIsReported) {
    RunResult run = RunProbe("BRONTAR_DISPLAY=fullscreen BRONTAR_INPUT='wait 1 frame; close'", "loop", true);
    EXPECT_NE(run.output.find("BRONTAR_DISPLAY must be window or headless"), std::string::npos) << run.output;
    EXPECT_EQ(run.status, 3);
}

}  // namespace
}  // namespace brontar::testing
