// The C runtime's file functions on DOS paths: mapped into the machine,
// Windows modes and refusals; other paths untouched.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::WriteFileText;

std::string ReadAll(FILE* file) {
    std::string text;
    int c;
    while ((c = std::fgetc(file)) != EOF) text += static_cast<char>(c);
    return text;
}

TEST(CrtFiles, DosPathsOpenTheMachinesFileWhateverTheCase) {
    LoggedMachine machine;
    WriteFileText(machine.driveC() / "CONFIG.SYS", "FILES=40\r\n");
    FILE* file = std::fopen("c:\\config.sys", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "FILES=40\r\n");
    std::fclose(file);
    file = std::fopen("\\WINDOWS\\NEW.TXT", "wb");  // the boot drive's root
    ASSERT_NE(file, nullptr);
    std::fputs("x", file);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(ReadFileText(machine.windows() / "NEW.TXT"), "x");
}

TEST(CrtFiles, TextModeTranslatesLineEndsBinaryModeKeepsBytes) {
    LoggedMachine machine;
    WriteFileText(machine.driveC() / "T.TXT", std::string("A\r\nB\rC\n\r\nD\x1A" "after"));
    FILE* file = std::fopen("C:\\T.TXT", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "A\nB\rC\n\nD");  // CR LF is LF; Ctrl-Z ends the text
    std::fclose(file);
    file = std::fopen("C:\\T.TXT", "rb");
    EXPECT_EQ(ReadAll(file), std::string("A\r\nB\rC\n\r\nD\x1A" "after"));
    std::fclose(file);

    // A CR LF split across the read-ahead buffer is still one line end.
    const std::string big = std::string(4095, 'x') + "\r\nend";
    WriteFileText(machine.driveC() / "BIG.TXT", big);
    file = std::fopen("C:\\BIG.TXT", "rt");
    EXPECT_EQ(ReadAll(file), std::string(4095, 'x') + "\nend");
    std::fclose(file);

    file = std::fopen("C:\\W.TXT", "w");
    std::fputs("one\ntwo\n", file);
    std::fclose(file);
    EXPECT_EQ(ReadFileText(machine.driveC() / "W.TXT"), "one\r\ntwo\r\n");
}

TEST(CrtFiles, ReadWriteModesSeekAndTell) {
    LoggedMachine machine;
    WriteFileText(machine.driveC() / "RW.BIN", "0123456789");
    FILE* file = std::fopen("C:\\RW.BIN", "r+b");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(file), 10);
    ASSERT_EQ(std::fseek(file, 2, SEEK_SET), 0);
    std::fputs("ab", file);
    std::fclose(file);
    EXPECT_EQ(ReadFileText(machine.driveC() / "RW.BIN"), "01ab456789");
    file = std::fopen("C:\\RW.BIN", "ab");
    std::fputs("!", file);
    std::fclose(file);
    EXPECT_EQ(ReadFileText(machine.driveC() / "RW.BIN"), "01ab456789!");
}

TEST(CrtFiles, RefusalsAsOnWindows) {
    LoggedMachine machine;
    errno = 0;
    EXPECT_EQ(std::fopen("C:\\MISSING.TXT", "r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(std::fopen("C:\\NO\\SUCH\\DIR.TXT", "w"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(std::fopen("C:\\WINDOWS", "r+b"), nullptr);  // a folder
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(std::fopen("C:\\X.TXT", "q"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(std::remove("C:\\WINDOWS"), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(std::filesystem::is_directory(machine.windows()));
}

// A FIFO or a device in the drives is refused at once, for reading and
// writing alike, rather than waited on or read without end.
TEST(CrtFiles, OnlyRegularFilesOpen) {
    LoggedMachine machine;
    ASSERT_EQ(::mkfifo((machine.driveC() / "PIPE.TXT").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", machine.driveC() / "ZERO.TXT");
    for (const char* path : {"C:\\PIPE.TXT", "C:\\ZERO.TXT"})
        for (const char* mode : {"rb", "r+b", "wb", "ab"}) {
            errno = 0;
            EXPECT_EQ(std::fopen(path, mode), nullptr) << path << " " << mode;
            EXPECT_EQ(errno, EACCES) << path << " " << mode;
        }
    EXPECT_TRUE(std::filesystem::is_symlink(machine.driveC() / "ZERO.TXT"));
}

TEST(CrtFiles, RenameNeverReplacesAnExistingFile) {
    LoggedMachine machine;
    WriteFileText(machine.driveC() / "A.TXT", "a");
    WriteFileText(machine.driveC() / "B.TXT", "b");
    EXPECT_EQ(std::rename("C:\\A.TXT", "C:\\b.txt"), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(ReadFileText(machine.driveC() / "B.TXT"), "b");
    EXPECT_EQ(std::remove("C:\\B.TXT"), 0);
    EXPECT_EQ(std::rename("C:\\A.TXT", "C:\\B.TXT"), 0);
    EXPECT_EQ(ReadFileText(machine.driveC() / "B.TXT"), "a");
    EXPECT_FALSE(std::filesystem::exists(machine.driveC() / "A.TXT"));
}

TEST(CrtFiles, HostPathsGoToTheCLibraryUnchanged) {
    LoggedMachine machine;
    const std::string host = (machine.scratch() / "host.txt").string();
    FILE* file = std::fopen(host.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("a\n", file);  // no CR added outside the machine
    std::fclose(file);
    EXPECT_EQ(ReadFileText(host), "a\n");
    const std::string other = host + ".2";
    WriteFileText(other, "old");
    EXPECT_EQ(std::rename(host.c_str(), other.c_str()), 0);  // POSIX replaces
    EXPECT_EQ(ReadFileText(other), "a\n");
    EXPECT_EQ(std::remove(other.c_str()), 0);
}

}  // namespace
