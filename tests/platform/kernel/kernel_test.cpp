#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "tests/support/temp_machine.h"

using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

TEST(GetWindowsDirectoryA, AnswersFromMachineIniWithoutTrailingSeparator) {
    TempMachine machine;
    WriteFileText(machine.folder() / "machine.ini", "[windows]\ndirectory=D:\\WIN95\\\n");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 8u);
    EXPECT_STREQ(buffer, "D:\\WIN95");
}

TEST(GetWindowsDirectoryA, DefaultAndTooSmallBuffer) {
    TempMachine machine;
    char buffer[11];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    char small[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), 11u);  // needed size, terminator included
    EXPECT_EQ(std::memcmp(small, "abcd", 4), 0);
}

TEST(OutputDebugStringA, GoesToTheEventLogOneLineEach) {
    TempMachine machine;
    const auto log = machine.scratch() / "events.log";
    ::setenv("BRONTAR_LOG", log.c_str(), 1);
    OutputDebugStringA("ReportError [cap] two\nlines");
    OutputDebugStringA("second");
    ::unsetenv("BRONTAR_LOG");
    OutputDebugStringA("not logged");
    EXPECT_EQ(ReadFileText(log), "ReportError [cap] two\\nlines\nsecond\n");
}

TEST(LastError, IsPerThreadAndSettable) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}
