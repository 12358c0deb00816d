// The environment a Windows 95 process sees, and message boxes without a user.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/automation.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ScopedEnvironment;

TEST(GetEnvironmentVariableA, NamesMatchWithoutCaseAndSizesAreWindowsOnes) {
    LoggedMachine machine;
    ScopedEnvironment variable("MyVar", "value");
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetEnvironmentVariableA("MYVAR", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "value");
    // Too small: the size needed with the terminator, buffer untouched.
    char small[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(GetEnvironmentVariableA("myvar", small, sizeof small), 6u);
    EXPECT_EQ(small[0], '#');
    SetLastError(0);
    EXPECT_EQ(GetEnvironmentVariableA("NO_SUCH_VARIABLE_HERE", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST(GetEnvironmentVariableA, WindowsVariablesComeFromTheMachineWhenMissing) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    ScopedEnvironment windir("windir", std::nullopt);
    machine.AppendMachineIni("[windows]\ndirectory=D:\\WIN95\n");
    char buffer[MAX_PATH];
    EXPECT_EQ(GetEnvironmentVariableA("windir", buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "D:\\WIN95");
    EXPECT_EQ(GetEnvironmentVariableA("WINBOOTDIR", buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "D:\\WIN95");
    machine.AppendMachineIni("[windows]\nwinbootdir=C:\\WINDOWS\n");
    EXPECT_EQ(GetEnvironmentVariableA("winbootdir", buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    // The process's own value wins.
    ScopedEnvironment own("winbootdir", "E:\\W");
    EXPECT_EQ(GetEnvironmentVariableA("winbootdir", buffer, sizeof buffer), 4u);
}

TEST(MessageBoxA, LogsOneLineAndAnswersTheDefaultButton) {
    LoggedMachine machine;
    brontar::platform::ClearMessageBoxAnswers();
    EXPECT_EQ(MessageBoxA(NULL, "two\nlines", "Caption", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxA(NULL, "q", NULL, MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(NULL, "q", "c", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(NULL, "q", "c", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(MessageBoxA(NULL, "q", "c", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
    EXPECT_EQ(MessageBoxA(NULL, "q", "c", MB_OKCANCEL | MB_DEFBUTTON3), IDCANCEL);  // no third button
    EXPECT_EQ(machine.log(),
              "MessageBox [Caption] two\\nlines\nMessageBox [Error] q\nMessageBox [c] q\nMessageBox [c] q\n"
              "MessageBox [c] q\nMessageBox [c] q\n");
}

TEST(MessageBoxA, QueuedAnswersAreTakenInOrder) {
    LoggedMachine machine;
    brontar::platform::ClearMessageBoxAnswers();
    brontar::platform::QueueMessageBoxAnswer(IDNO);
    brontar::platform::QueueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(NULL, "a", "c", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(NULL, "b", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(NULL, "c", "c", MB_OKCANCEL), IDOK);
}

}  // namespace
