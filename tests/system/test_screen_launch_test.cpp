// Starting the test screen: the program path, its command line, the wait,
// and the boxes when it cannot start.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "propsheet/test_screen_launch.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;
using Clock = std::chrono::steady_clock;

class TestScreenLaunch : public ::testing::Test {
protected:
    // The tests' child program stands in for the test screen.
    void InstallChild(const std::filesystem::path& windows) const {
        std::filesystem::create_directories(windows);
        std::filesystem::create_symlink(std::filesystem::path(BRONTAR_BIN_DIR) / "system_test_child",
                                        windows / "BRNTRTST.EXE");
    }
    std::filesystem::path report() const { return machine.scratch() / "child.txt"; }

    LoggedMachine machine;
    ScopedEnvironment reportVariable{"TEST_CHILD_REPORT", report().string()};
};

TEST_F(TestScreenLaunch, PathIsTheWindowsDirectoryAndTheProgramName) {
    machine.AppendMachineIni("[windows]\ndirectory=D:\\WINDOWS\n");
    char path[TEST_SCREEN_PATH_SIZE];
    EXPECT_EQ(GetTestScreenPath(path, sizeof path), 1);
    EXPECT_STREQ(path, "D:\\WINDOWS\\BRNTRTST.EXE");
}

TEST_F(TestScreenLaunch, WindowsDirectoryTooLongForThePathIsRefusedWithoutOverflow) {
    // 242 characters fit with "\BRNTRTST.EXE" and the terminator in 256 bytes; 243 do not.
    const std::string fits = "C:\\" + std::string(239, 'W');
    machine.AppendMachineIni("[windows]\ndirectory=" + fits + "\n");
    char path[TEST_SCREEN_PATH_SIZE + 8];
    std::memset(path, '#', sizeof path);
    EXPECT_EQ(GetTestScreenPath(path, TEST_SCREEN_PATH_SIZE), 1);
    EXPECT_EQ(std::strlen(path), 255u);

    machine.AppendMachineIni("[windows]\ndirectory=" + fits + "W\n");
    std::memset(path, '#', sizeof path);
    EXPECT_EQ(GetTestScreenPath(path, TEST_SCREEN_PATH_SIZE), 0);
    EXPECT_EQ(path[TEST_SCREEN_PATH_SIZE], '#');
    EXPECT_EQ(path[0], '\0');
    EXPECT_EQ(machine.log(), "MessageBox [Error:] Last Error = 0x000000ce\n");
}

TEST_F(TestScreenLaunch, StartsTheProgramWithItsCommandLineAndWaitsForIt) {
    machine.AppendMachineIni("[windows]\ndirectory=D:\\WINDOWS\n");
    InstallChild(machine.folder() / "drives" / "d" / "WINDOWS");
    ScopedEnvironment sleep("TEST_CHILD_SLEEP_MS", "700");
    char path[TEST_SCREEN_PATH_SIZE];
    ASSERT_EQ(GetTestScreenPath(path, sizeof path), 1);
    const auto start = Clock::now();
    EXPECT_EQ(RunTestScreen(path, "/800x600"), 1);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    // It does not return while the program runs, and returns within 500 ms of its end.
    EXPECT_GE(elapsed, 700);
    EXPECT_LT(elapsed, 700 + 500);
    const std::string text = ReadFileText(report());
    // The program's entry gets the text after the program path; argv holds the whole line.
    EXPECT_NE(text.find("command line=/800x600\n"), std::string::npos) << text;
    EXPECT_NE(text.find("argv=D:\\WINDOWS\\BRNTRTST.EXE\nargv=/800x600\n"), std::string::npos) << text;
    EXPECT_EQ(machine.log(), "");
}

TEST_F(TestScreenLaunch, ProgramThatEndsAtOnceCountsAsRunAndReturnsAtOnce) {
    InstallChild(machine.windows());
    ScopedEnvironment exitCode("TEST_CHILD_EXIT", "255");
    const auto start = Clock::now();
    EXPECT_EQ(RunTestScreen("C:\\WINDOWS\\BRNTRTST.EXE", "/640x480 /gamma"), 1);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(), 500);
    EXPECT_NE(ReadFileText(report()).find("command line=/640x480 /gamma\n"), std::string::npos);
}

TEST_F(TestScreenLaunch, MissingProgramShowsLastErrorTwo) {
    EXPECT_EQ(RunTestScreen("C:\\WINDOWS\\BRNTRTST.EXE", "/640x480"), 0);
    EXPECT_EQ(machine.log(), "MessageBox [Error:] Last Error = 0x00000002\n");
    EXPECT_FALSE(std::filesystem::exists(report()));
}

TEST_F(TestScreenLaunch, CommandLineBeyondItsBufferIsRefused) {
    InstallChild(machine.windows());
    const std::string arguments(1024, 'x');
    EXPECT_EQ(RunTestScreen("C:\\WINDOWS\\BRNTRTST.EXE", arguments.c_str()), 0);
    EXPECT_EQ(machine.log(), "MessageBox [Error:] Last Error = 0x000000ce\n");
    EXPECT_FALSE(std::filesystem::exists(report()));
}

}  // namespace
