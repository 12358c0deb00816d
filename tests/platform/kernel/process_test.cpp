// Starting a program in the machine and waiting for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <string>

#include "platform/user/message_queue.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;
using Clock = std::chrono::steady_clock;

class Processes : public ::testing::Test {
protected:
    Processes() {
        std::filesystem::create_symlink(std::filesystem::path(BRONTAR_BIN_DIR) / "system_test_child",
                                        machine.windows() / "CHILD.EXE");
    }
    BOOL Start(const char* application, const char* commandLine, const char* directory = nullptr,
               LPVOID environment = nullptr) {
        std::string line = commandLine != nullptr ? commandLine : "";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        return CreateProcessA(application, commandLine != nullptr ? line.data() : nullptr, nullptr, nullptr, FALSE,
                              DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, environment, directory, &startup, &info);
    }
    DWORD ExitCode() {
        DWORD code = 12345;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        return code;
    }
    std::string Report() const { return ReadFileText(report); }

    LoggedMachine machine;
    std::filesystem::path report = machine.scratch() / "child.txt";
    ScopedEnvironment reportVariable{"TEST_CHILD_REPORT", report.string()};
    PROCESS_INFORMATION info{};
};

// A wait's timeout runs on the message clock: while a test holds that clock
// still, the wait outlasts its timeout in real time, and moving the clock ends it.
TEST_F(Processes, WaitTimesOutWhenTheMessageClockSaysSo) {
    using namespace std::chrono_literals;
    const std::filesystem::path release = machine.scratch() / "release";
    ScopedEnvironment waitFor("TEST_CHILD_WAIT_FOR", release.string());
    ASSERT_TRUE(Start("C:\\WINDOWS\\CHILD.EXE", nullptr));
    {
        brontar::platform::ManualMessageClock clock;
        auto wait = std::async(std::launch::async, [this] { return WaitForSingleObject(info.hProcess, 100); });
        EXPECT_EQ(wait.wait_for(150ms), std::future_status::timeout);
        // Moved until the wait, wherever it began, is past its timeout.
        for (int step = 0; step < 100 && wait.wait_for(5ms) != std::future_status::ready; ++step)
            clock.Advance(100ms);
        ASSERT_EQ(wait.wait_for(0s), std::future_status::ready);
        EXPECT_EQ(wait.get(), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    std::ofstream(release).put('\n');
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST_F(Processes, StillActiveWhileRunningThenItsExitCode) {
    ScopedEnvironment sleep("TEST_CHILD_SLEEP_MS", "300");
    ScopedEnvironment exitCode("TEST_CHILD_EXIT", "7");
    ASSERT_TRUE(Start("C:\\WINDOWS\\CHILD.EXE", "C:\\WINDOWS\\CHILD.EXE /x"));
    EXPECT_EQ(ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ExitCode(), 7u);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_FALSE(CloseHandle(info.hProcess));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
}

TEST_F(Processes, ChildGetsTheTextAfterTheProgramNameAndInheritsEnvironmentAndFolder) {
    ScopedEnvironment inherited("TEST_CHILD_INHERITED", "yes");
    ASSERT_TRUE(Start("C:\\WINDOWS\\CHILD.EXE", "\"C:\\WINDOWS\\CHILD.EXE\"   /640x480  /gamma"));
    WaitForSingleObject(info.hProcess, INFINITE);
    const std::string text = Report();
    EXPECT_NE(text.find("command line=/640x480  /gamma\n"), std::string::npos) << text;
    EXPECT_NE(text.find("inherited=yes\n"), std::string::npos) << text;
    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof here), nullptr);
    EXPECT_NE(text.find(std::string("directory=") + here + "\n"), std::string::npos) << text;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST_F(Processes, ProgramNamedByTheCommandLineAndAGivenFolderAndEnvironment) {
    const std::string block = "TEST_CHILD_REPORT=" + report.string() + '\0' + "TEST_CHILD_INHERITED=block" + '\0' + '\0';
    ASSERT_TRUE(Start(nullptr, "C:\\WINDOWS\\CHILD.EXE /y", "C:\\WINDOWS", const_cast<char*>(block.data())));
    WaitForSingleObject(info.hProcess, INFINITE);
    const std::string text = Report();
    EXPECT_NE(text.find("command line=/y\n"), std::string::npos) << text;
    EXPECT_NE(text.find("inherited=block\n"), std::string::npos) << text;
    EXPECT_NE(text.find("directory=" + std::filesystem::canonical(machine.windows()).string() + "\n"),
              std::string::npos)
        << text;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST_F(Processes, MissingProgramFailsWithFileNotFound) {
    SetLastError(0);
    EXPECT_FALSE(Start("C:\\WINDOWS\\NOTHERE.EXE", "C:\\WINDOWS\\NOTHERE.EXE"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Start("C:\\WINDOWS", "C:\\WINDOWS"));  // a folder
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(std::filesystem::exists(report));
}

}  // namespace
