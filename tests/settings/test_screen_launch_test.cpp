// Starting the test screen: the program path, its command line, the wait,
// and the boxes when it cannot start.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>

#include "platform/user/message_queue.h"
#include "settings/test_screen_launch.h"
#include "tests/support/system_fixtures.h"

namespace {

using namespace std::chrono_literals;
using brontar::platform::ManualMessageClock;
using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;

// The launcher on a thread of its own while the message clock stands still:
// its waits on the program end when the program ends or when the test moves
// the clock, never by the time a loaded machine takes.
class LaunchOnStillClock {
public:
    LaunchOnStillClock(std::string program, std::string arguments)
        : clock_(std::make_unique<ManualMessageClock>()),
          result_(std::async(std::launch::async, [program, arguments] {
              return RunTestScreen(program.c_str(), arguments.c_str());
          })) {}
    ~LaunchOnStillClock() {
        clock_.reset();  // a launcher that missed the program's end times out on the process's clock
        if (result_.valid()) result_.wait();
    }
    void Advance(std::chrono::milliseconds step) { clock_->Advance(step); }
    // Whether the launcher returned, looking for a while of real time; a
    // generous bound, never a measure.
    bool Returned(std::chrono::milliseconds lookFor) { return result_.wait_for(lookFor) == std::future_status::ready; }
    int Result() { return result_.get(); }

private:
    std::unique_ptr<ManualMessageClock> clock_;
    std::future<int> result_;
};

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
    const std::filesystem::path release = machine.scratch() / "release";
    ScopedEnvironment waitFor("TEST_CHILD_WAIT_FOR", release.string());
    char path[TEST_SCREEN_PATH_SIZE];
    ASSERT_EQ(GetTestScreenPath(path, sizeof path), 1);
    LaunchOnStillClock launch(path, "/800x600");
    // It does not return while the program runs, however many of its waits time out.
    for (int wait = 1; wait <= 4; ++wait) {
        launch.Advance(500ms);
        EXPECT_FALSE(launch.Returned(20ms)) << "after wait " << wait;
    }
    // Once the program ends it returns without its wait timing out: the clock stands still.
    std::ofstream(release).put('\n');
    ASSERT_TRUE(launch.Returned(30s));
    EXPECT_EQ(launch.Result(), 1);
    const std::string text = ReadFileText(report());
    // The program's entry gets the text after the program path; argv holds the whole line.
    EXPECT_NE(text.find("command line=/800x600\n"), std::string::npos) << text;
    EXPECT_NE(text.find("argv=D:\\WINDOWS\\BRNTRTST.EXE\nargv=/800x600\n"), std::string::npos) << text;
    EXPECT_EQ(machine.log(), "");
}

TEST_F(TestScreenLaunch, ProgramThatEndsAtOnceCountsAsRunAndReturnsAtOnce) {
    InstallChild(machine.windows());
    ScopedEnvironment exitCode("TEST_CHILD_EXIT", "255");
    LaunchOnStillClock launch("C:\\WINDOWS\\BRNTRTST.EXE", "/640x480 /gamma");
    // No wait of the launcher times out: the clock stands still.
    ASSERT_TRUE(launch.Returned(30s));
    EXPECT_EQ(launch.Result(), 1);
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
