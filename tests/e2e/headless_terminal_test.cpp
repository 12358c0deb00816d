// The test screen headless for want of a display, as a newcomer meets it in a
// terminal without one: what it says, the keys typed at the terminal, Ctrl+C,
// and the terminal given back as it was.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/test_screen_run.h"

using namespace brontar::testing;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kNoDisplay =
    "BRNTRTST.EXE: no display is reachable (DISPLAY and WAYLAND_DISPLAY are not set), so it runs headless";
constexpr const char* kTerminalKeys = "BRNTRTST.EXE: the keys typed here reach its window (Ctrl+C interrupts it).";
constexpr const char* kNoKeys = "BRNTRTST.EXE: no keys can reach it here";

// This process's environment without a display or input script, with the
// given variables set: what a newcomer's shell on a server holds.
std::vector<std::string> EnvironmentWithout(const std::map<std::string, std::string>& set) {
    const std::vector<std::string> dropped{"DISPLAY", "WAYLAND_DISPLAY", "BRONTAR_DISPLAY", "BRONTAR_INPUT",
                                           "BRONTAR_CHILD_INPUT", "BRONTAR_LOG", "BRONTAR_FAULTS"};
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (std::find(dropped.begin(), dropped.end(), name) == dropped.end() && !set.contains(name))
            environment.push_back(text);
    }
    for (const auto& [name, value] : set) environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The exit status as a shell reports it: 128 + N for signal N.
int ShellStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

size_t FrameCount(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.path().extension() == ".png";
    return count;
}

// A program run as the session of a fresh pseudo-terminal, its standard
// input, output and error all that terminal.
class TerminalSession {
public:
    TerminalSession(std::vector<std::string> arguments, const std::map<std::string, std::string>& set) {
        if (openpty(&master_, &terminal_, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        tcgetattr(terminal_, &initial_);
        std::vector<std::string> environment = EnvironmentWithout(set);
        std::vector<char*> envp = Pointers(environment);
        std::vector<char*> argv = Pointers(arguments);
        pid_ = fork();
        if (pid_ == 0) {
            close(master_);
            login_tty(dup(terminal_));
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }
    ~TerminalSession() {
        if (pid_ > 0 && !status_) {
            kill(-pid_, SIGKILL);  // the session's leader and the test screen it started
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
        close(terminal_);
    }

    void Signal(int signal) { kill(pid_, signal); }

    void Type(const std::string& keys) { ASSERT_EQ(write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }

    // Reads what the program wrote until the text shows or the time is up.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (output_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Read(50);
        }
        return true;
    }

    // The shell's exit status, or nothing when the program still runs at the end of the timeout.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!status_ && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                status_ = ShellStatus(status);
            else
                Read(20);
        }
        Read(0);
        return status_;
    }

    // The terminal's settings now, as the program's side sees them.
    termios Settings() const {
        termios now{};
        tcgetattr(terminal_, &now);
        return now;
    }
    const termios& Initial() const { return initial_; }
    const std::string& Output() const { return output_; }

private:
    void Read(int timeoutMs) {
        pollfd ready{master_, POLLIN, 0};
        while (poll(&ready, 1, timeoutMs) > 0 && (ready.revents & POLLIN)) {
            char bytes[4096];
            const ssize_t count = read(master_, bytes, sizeof bytes);
            if (count <= 0) return;
            output_.append(bytes, static_cast<size_t>(count));
            timeoutMs = 0;
        }
    }

    int master_ = -1;
    int terminal_ = -1;  // kept open so the settings can be read after the program ended
    termios initial_{};
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string output_;
};

void ExpectSameSettings(const termios& now, const termios& before) {
    EXPECT_EQ(now.c_lflag, before.c_lflag);
    EXPECT_EQ(now.c_iflag, before.c_iflag);
    EXPECT_EQ(now.c_oflag, before.c_oflag);
    EXPECT_EQ(now.c_cc[VMIN], before.c_cc[VMIN]);
}

class HeadlessTerminalTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(capture_); }

    std::vector<std::string> BrontarTest() const { return {std::string(BRONTAR_BIN_DIR) + "/brontar", "test", "640x480"}; }
    std::map<std::string, std::string> Environment(const std::map<std::string, std::string>& more = {}) const {
        std::map<std::string, std::string> set{{"BRONTAR_CAPTURE", capture_.string()}};
        set.insert(more.begin(), more.end());
        return set;
    }
    // Waits until the board presented at least count frames.
    bool WaitForFrames(size_t count) const {
        for (auto deadline = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < deadline;
             std::this_thread::sleep_for(20ms))
            if (FrameCount(capture_) >= count) return true;
        return false;
    }

    TestScreenMachine machine_;
    fs::path capture_ = machine_.MachineIni().parent_path() / "capture";
};

TEST_F(HeadlessTerminalTest, KeysTypedAtTheTerminalWorkAsInItsWindow) {
    TerminalSession session(BrontarTest(), Environment());
    ASSERT_TRUE(session.WaitForOutput(kTerminalKeys)) << session.Output();
    ASSERT_TRUE(WaitForFrames(2)) << session.Output();
    // R stops the animation: no frame comes by itself any more.
    session.Type("r");
    std::this_thread::sleep_for(400ms);
    const size_t stopped = FrameCount(capture_);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(FrameCount(capture_), stopped);
    // P draws one frame; upper case is Shift with the letter, as on a keyboard.
    session.Type("P");
    EXPECT_TRUE(WaitForFrames(stopped + 1));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(FrameCount(capture_), stopped + 1);
    session.Type("q");
    EXPECT_EQ(session.WaitForExit(), std::optional<int>(0)) << session.Output();
    ExpectSameSettings(session.Settings(), session.Initial());
    EXPECT_NE(session.Output().find(kNoDisplay), std::string::npos) << session.Output();
    EXPECT_NE(session.Output().find("BRONTAR_CAPTURE=FOLDER"), std::string::npos) << session.Output();
    EXPECT_EQ(session.Output().find("XDG_RUNTIME_DIR"), std::string::npos) << session.Output();
}

TEST_F(HeadlessTerminalTest, CtrlCInterruptsAsInACookedTerminalAndGivesItBack) {
    TerminalSession session(BrontarTest(), Environment());
    ASSERT_TRUE(session.WaitForOutput(kTerminalKeys)) << session.Output();
    ASSERT_TRUE(WaitForFrames(1));
    session.Type("\x03");
    EXPECT_EQ(session.WaitForExit(), std::optional<int>(128 + SIGINT)) << session.Output();
    ExpectSameSettings(session.Settings(), session.Initial());
}

TEST_F(HeadlessTerminalTest, TerminalGivenBackWhenTheProgramIsTerminated) {
    TerminalSession session({std::string(BRONTAR_BIN_DIR) + "/brntrtst", "/640x480"}, Environment());
    ASSERT_TRUE(session.WaitForOutput("brntrtst: the keys typed here reach its window")) << session.Output();
    EXPECT_EQ(session.Settings().c_lflag & ICANON, 0u);  // raw while it listens
    session.Signal(SIGTERM);
    EXPECT_EQ(session.WaitForExit(), std::optional<int>(128 + SIGTERM)) << session.Output();
    ExpectSameSettings(session.Settings(), session.Initial());
}

TEST_F(HeadlessTerminalTest, AskedForHeadlessItSaysNothingAndStillTakesKeys) {
    TerminalSession session(BrontarTest(), Environment({{"BRONTAR_DISPLAY", "headless"}}));
    ASSERT_TRUE(WaitForFrames(2)) << session.Output();
    // The frames come from timers after the first wait for input, when the keys are taken.
    session.Type("q");
    EXPECT_EQ(session.WaitForExit(), std::optional<int>(0)) << session.Output();
    EXPECT_EQ(session.Output().find("BRNTRTST.EXE:"), std::string::npos) << session.Output();
    ExpectSameSettings(session.Settings(), session.Initial());
}

// Without a terminal nothing can type: the test screen waits for Q as it does
// on Windows, and says so; with a script it plays the script and says where
// its picture went only.
TEST_F(HeadlessTerminalTest, WithoutATerminalItWaitsAndSaysWhy) {
    const fs::path err = capture_.parent_path() / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> arguments = BrontarTest();
    std::vector<std::string> environment = EnvironmentWithout(Environment());
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    // A group of its own, so that brontar and the test screen it starts end together.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    const bool framesCame = WaitForFrames(5);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "it ended without its Q";
    kill(-pid, SIGTERM);
    waitpid(pid, &status, 0);
    ASSERT_TRUE(framesCame);
    const std::string said = ReadFileText(err);
    EXPECT_NE(said.find(kNoDisplay), std::string::npos) << said;
    EXPECT_NE(said.find(std::string(kNoKeys) + " (BRONTAR_INPUT is not set and standard input is not a terminal)"),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("XDG_RUNTIME_DIR"), std::string::npos) << said;
}

TEST_F(HeadlessTerminalTest, WithAScriptItSaysOnlyThatItRunsHeadless) {
    TerminalSession session(BrontarTest(), Environment({{"BRONTAR_INPUT", "wait 2 frames; key q"}}));
    EXPECT_EQ(session.WaitForExit(), std::optional<int>(0)) << session.Output();
    EXPECT_NE(session.Output().find(kNoDisplay), std::string::npos) << session.Output();
    EXPECT_EQ(session.Output().find("keys"), std::string::npos) << session.Output();
    // The script plays the user: the terminal stays as it was all along.
    ExpectSameSettings(session.Settings(), session.Initial());
}

}  // namespace
