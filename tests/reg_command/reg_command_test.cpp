// brontar reg end to end: the built program against a throwaway machine.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/temp_machine.h"

using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

namespace {

constexpr const char* kSettingsKey = "HKLM\\Software\\Corvane Interactive\\Halcyon Graphics";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class RegCommandTest : public ::testing::Test {
protected:
    // Runs brontar with the arguments, the input on standard input.
    Outcome Brontar(const std::vector<std::string>& args, const std::string& input = "") {
        const auto scratch = machine_.scratch();
        WriteFileText(scratch / "in.txt", input);
        std::string command = "timeout 60 '" + std::string(BRONTAR_BIN_DIR) + "/brontar'";
        for (const std::string& arg : args) {
            std::string quoted = "'";
            for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            command += " " + quoted + "'";
        }
        command += " <'" + (scratch / "in.txt").string() + "' >'" + (scratch / "out.txt").string() + "' 2>'" +
                   (scratch / "err.txt").string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(scratch / "out.txt"),
                ReadFileText(scratch / "err.txt")};
    }
    std::string Registry() { return ReadFileText(machine_.folder() / "registry.reg"); }

    TempMachine machine_;
};

const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kDone = "The operation completed successfully.\n";

TEST_F(RegCommandTest, SetupThenAddAndQueryARefreshRate) {
    ASSERT_EQ(Brontar({"setup"}).status, 0);
    const Outcome empty = Brontar({"reg", "query", kSettingsKey});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "\nHKEY_LOCAL_MACHINE\\Software\\Corvane Interactive\\Halcyon Graphics\n\n");
    const Outcome add = Brontar({"reg", "add", kSettingsKey, "/v", "REFRESH_800x600", "/t", "REG_DWORD", "/d", "75", "/f"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(add.out, kDone);
    const Outcome query = Brontar({"reg", "query", kSettingsKey, "/v", "REFRESH_800x600"});
    EXPECT_EQ(query.status, 0);
    EXPECT_EQ(query.out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Corvane Interactive\\Halcyon Graphics\n"
              "    REFRESH_800x600    REG_DWORD    0x4b\n\n");
    EXPECT_NE(Registry().find("\"REFRESH_800x600\"=dword:0000004b\r\n"), std::string::npos);
}

TEST_F(RegCommandTest, QueryListsValuesOfEachTypeThenSubkeys) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "s", "/d", "hello", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "b", "/t", "REG_BINARY", "/d", "deadBEEF", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "n", "/t", "REG_NONE", "/d", "00ff", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/ve", "/t", "REG_DWORD", "/d", "0xFFFFFFFF", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T\\Sub"}).status, 0);
    const Outcome query = Brontar({"reg", "query", "hkey_current_user\\t"});
    EXPECT_EQ(query.out,
              "\nHKEY_CURRENT_USER\\T\n"
              "    (Default)    REG_DWORD    0xffffffff\n"
              "    b    REG_BINARY    DEADBEEF\n"
              "    n    REG_NONE    00FF\n"
              "    s    REG_SZ    hello\n"
              "\n"
              "HKEY_CURRENT_USER\\T\\Sub\n");
    const Outcome recursive = Brontar({"reg", "query", "HKCU\\T\\Sub", "/s"});
    EXPECT_EQ(recursive.out, "\nHKEY_CURRENT_USER\\T\\Sub\n\n");
}

TEST_F(RegCommandTest, MissingKeysValuesAndBadArgumentsFailWithStatusOne) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "x", "/f"}).status, 0);
    for (const auto& args : std::vector<std::vector<std::string>>{{"reg", "query", "HKCU\\Nope"},
                                                                  {"reg", "query", "HKCU\\T", "/v", "nope"},
                                                                  {"reg", "query", "HKCU\\T", "/ve"},
                                                                  {"reg", "delete", "HKCU\\T", "/v", "nope", "/f"},
                                                                  {"reg", "export", "HKCU\\Nope", "x.reg", "/y"}}) {
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.status, 1) << args[2];
        EXPECT_EQ(run.err, kNotFound) << args[2];
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"reg", "add", "HKCU\\T", "/v", "d", "/t", "REG_DWORD", "/d", "12x", "/f"},
             {"reg", "add", "HKCU\\T", "/v", "d", "/t", "REG_DWORD", "/d", "4294967296", "/f"},
             {"reg", "add", "HKCU\\T", "/v", "b", "/t", "REG_BINARY", "/d", "abc", "/f"},
             {"reg", "add", "HKEY_USERS\\T", "/f"},
             {"reg", "query"},
             {"reg", "frobnicate", "HKCU\\T"}}) {
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.status, 1) << args[1] << " " << args.back();
        EXPECT_EQ(run.err.rfind("ERROR: Invalid syntax.", 0), 0u) << run.err;
    }
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T", "/v", "a"}).out, "\nHKEY_CURRENT_USER\\T\n    a    REG_SZ    x\n\n");
}

TEST_F(RegCommandTest, OverwriteAndDeleteAskUnlessForced) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "old", "/f"}).status, 0);
    const Outcome refused = Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "new"}, "n\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Value a exists, overwrite (Yes/No)?"), std::string::npos);
    EXPECT_NE(Registry().find("\"a\"=\"old\""), std::string::npos);
    EXPECT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "new"}, "yes\n").status, 0);
    EXPECT_NE(Registry().find("\"a\"=\"new\""), std::string::npos);
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\T", "/v", "a"}, "\n").status, 1);
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\T", "/v", "a"}, "y\n").status, 0);
    EXPECT_EQ(Registry().find("\"a\"="), std::string::npos);
}

TEST_F(RegCommandTest, DeleteAllValuesOrTheWholeKey) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T\\Sub", "/v", "x", "/d", "1", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "1", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "b", "/d", "2", "/f"}).status, 0);
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\T", "/va", "/f"}).out, kDone);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).out, "\nHKEY_CURRENT_USER\\T\n\nHKEY_CURRENT_USER\\T\\Sub\n");
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\t", "/f"}).status, 0);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T\\Sub"}).status, 1);
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU", "/f"}).status, 1);
}

TEST_F(RegCommandTest, ExportWritesRegedit4WithCrLfAndWrappedLowercaseHex) {
    ASSERT_EQ(Brontar({"reg", "add", "HKLM\\Software\\T", "/v", "a", "/d", "C:\\WINDOWS", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKLM\\Software\\T", "/v", "n", "/t", "REG_DWORD", "/d", "75", "/f"}).status, 0);
    std::string hex;
    for (int i = 0; i < 30; ++i) hex += "AB";
    ASSERT_EQ(Brontar({"reg", "add", "HKLM\\Software\\T\\Sub", "/v", "bin", "/t", "REG_BINARY", "/d", hex, "/f"}).status,
              0);
    const auto file = machine_.scratch() / "out.reg";
    EXPECT_EQ(Brontar({"reg", "export", "HKLM\\Software\\T", file.string()}).status, 0);
    // "bin"=hex: is 10 columns: 23 bytes fit before the continuation.
    std::string binLine = "\"bin\"=hex:";
    for (int i = 0; i < 23; ++i) binLine += "ab,";
    binLine += "\\\r\n  ";
    for (int i = 0; i < 6; ++i) binLine += "ab,";
    binLine += "ab\r\n";
    EXPECT_EQ(ReadFileText(file),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\T]\r\n\"a\"=\"C:\\\\WINDOWS\"\r\n"
              "\"n\"=dword:0000004b\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\T\\Sub]\r\n" +
                  binLine + "\r\n");
    // Exporting over an existing file asks first.
    EXPECT_EQ(Brontar({"reg", "export", "HKLM\\Software\\T", file.string()}, "n\n").status, 1);
}

TEST_F(RegCommandTest, ImportReadsVersion5Utf16WithDeletions) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\Old\\Deep", "/v", "x", "/d", "1", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\Keep", "/v", "drop", "/d", "1", "/f"}).status, 0);
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Old]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Keep]\r\n\"drop\"=-\r\n\"n\"=dword:00000010\r\n\"s\"=\"t\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string{c, '\0'};
    const auto file = machine_.scratch() / "in.reg";
    WriteFileText(file, bytes);
    const Outcome run = Brontar({"reg", "import", file.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\Old"}).status, 1);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\Keep"}).out,
              "\nHKEY_CURRENT_USER\\Keep\n    n    REG_DWORD    0x10\n    s    REG_SZ    t\n\n");
}

TEST_F(RegCommandTest, ImportWithABadLineChangesNothing) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "1", "/f"}).status, 0);
    const std::string before = Registry();
    const auto file = machine_.scratch() / "bad.reg";
    WriteFileText(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"b\"=\"2\"\n\"c\"=dword:xyz\n");
    const Outcome run = Brontar({"reg", "import", file.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("line 5"), std::string::npos) << run.err;
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(Brontar({"reg", "import", (machine_.scratch() / "missing.reg").string()}).status, 1);
}

TEST_F(RegCommandTest, DamagedRegistryIsQueriedButNeverWritten) {
    ASSERT_EQ(Brontar({"setup"}).status, 0);
    const std::string damaged = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"a\"=\"1\"\r\n\"b\"=dword:\r\n";
    WriteFileText(machine_.folder() / "registry.reg", damaged);
    const Outcome query = Brontar({"reg", "query", "HKCU\\T"});
    EXPECT_EQ(query.status, 0);
    EXPECT_EQ(query.out, "\nHKEY_CURRENT_USER\\T\n    a    REG_SZ    1\n\n");
    EXPECT_NE(query.err.find("line 5"), std::string::npos);
    const Outcome add = Brontar({"reg", "add", "HKCU\\T", "/v", "c", "/d", "3", "/f"});
    EXPECT_EQ(add.status, 1);
    EXPECT_NE(add.err.find("line 5"), std::string::npos) << add.err;
    EXPECT_EQ(Registry(), damaged);
}

TEST_F(RegCommandTest, HelpDescribesEveryOperation) {
    const Outcome help = Brontar({"reg", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* operation : {"query", "add", "delete", "export", "import"})
        EXPECT_NE(help.out.find(std::string("brontar reg ") + operation), std::string::npos) << operation;
    EXPECT_EQ(Brontar({"reg", "add", "/?"}).status, 0);
}

// Control characters in names and data reach the terminal as '?', while
// registry.reg keeps the bytes as they were given.
TEST_F(RegCommandTest, QueryShowsControlCharactersHarmlessly) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T\\a\x1b[2Jb", "/v", "n\x07", "/d", "x\x1b]0;t\x07y\xc2\x9b", "/f"}).status, 0);
    const Outcome query = Brontar({"reg", "query", "HKCU\\T", "/s"});
    EXPECT_EQ(query.status, 0);
    EXPECT_EQ(query.out, "\nHKEY_CURRENT_USER\\T\n\nHKEY_CURRENT_USER\\T\\a?[2Jb\n    n?    REG_SZ    x?]0;t?y?\n\n");
    EXPECT_NE(Registry().find("[HKEY_CURRENT_USER\\T\\a\x1b[2Jb]\r\n\"n\x07\"=\"x\x1b]0;t\x07y\xc2\x9b\"\r\n"),
              std::string::npos);
}

// FILE arguments that are DOS paths name files in the machine's drives, in
// any case, for export and import alike; nothing lands in the current folder.
TEST_F(RegCommandTest, DosPathFilesMapIntoTheMachine) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "1", "/f"}).status, 0);
    std::filesystem::create_directories(machine_.driveC() / "Regs");
    const Outcome exported = Brontar({"reg", "export", "HKCU\\T", "C:\\REGS\\OUT.REG"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(ReadFileText(machine_.driveC() / "Regs" / "OUT.REG"), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"a\"=\"1\"\r\n\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::current_path()))
        EXPECT_EQ(entry.path().filename().string().find("C:"), std::string::npos) << entry.path();
    ASSERT_EQ(Brontar({"reg", "delete", "HKCU\\T", "/f"}).status, 0);
    const Outcome imported = Brontar({"reg", "import", "c:\\regs\\out.reg"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).out, "\nHKEY_CURRENT_USER\\T\n    a    REG_SZ    1\n\n");
}

// Writers keep registry.reg's mode, create the lock file for its owner only,
// and give up with a clear message when another program holds the lock.
TEST_F(RegCommandTest, WritersKeepTheModeAndGiveUpOnAHeldLock) {
    ASSERT_EQ(Brontar({"setup"}).status, 0);
    const auto registry = machine_.folder() / "registry.reg";
    const auto ownerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
    std::filesystem::permissions(registry, ownerOnly);
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T", "/v", "a", "/d", "1", "/f"}).status, 0);
    EXPECT_EQ(std::filesystem::status(registry).permissions() & std::filesystem::perms::all, ownerOnly);
    const auto lock = machine_.folder() / "registry.reg.lock";
    EXPECT_EQ(std::filesystem::status(lock).permissions() & std::filesystem::perms::all, ownerOnly);

    const int held = ::open(lock.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const Outcome blocked = Brontar({"reg", "add", "HKCU\\T", "/v", "b", "/d", "2", "/f"});
    ::close(held);
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("the registry is locked by another program"), std::string::npos) << blocked.err;
    EXPECT_EQ(Registry().find("\"b\""), std::string::npos);
}

// Each command meets a folder, a FIFO, /dev/zero and a file past the size
// limit, as its FILE argument and in place of registry.reg and machine.ini:
// it ends (never hangs nor aborts) and says what is wrong.
TEST_F(RegCommandTest, EveryCommandRefusesOddFiles) {
    ASSERT_EQ(Brontar({"setup"}).status, 0);
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    ::setenv("BRONTAR_INPUT", "wait 1 frames; key q", 1);
    const auto scratch = machine_.scratch();
    const auto fifo = scratch / "odd.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto huge = scratch / "odd.huge";
    WriteFileText(huge, "REGEDIT4\r\n");
    std::filesystem::resize_file(huge, (uint64_t{256} << 20) + 1);
    // The device through a link, so a command that wrongly replaced its file
    // would replace the link, never the device itself.
    const auto zero = scratch / "zero";
    std::filesystem::create_symlink("/dev/zero", zero);
    const std::string odd[] = {scratch.string(), fifo.string(), zero.string(), huge.string()};
    const auto check = [&](const std::vector<std::string>& args, const std::string& what) {
        const Outcome run = Brontar(args);
        EXPECT_GE(run.status, 0) << what << ": killed";
        EXPECT_NE(run.status, 124) << what << ": hung";
        EXPECT_EQ(run.err.find("terminate called"), std::string::npos) << what << ": " << run.err;
        return run;
    };
    for (const std::string& file : odd) {
        const Outcome import = check({"reg", "import", file}, "import " + file);
        EXPECT_EQ(import.status, 1);
        EXPECT_NE(import.err.find(file + ": "), std::string::npos) << import.err;
        if (file != huge.string()) {  // a regular file, however large, may be overwritten
            EXPECT_EQ(check({"reg", "export", "HKCU", file, "/y"}, "export " + file).status, 1);
            EXPECT_TRUE(std::filesystem::is_symlink(zero));
        }
        EXPECT_EQ(check({"panel", "--script", file}, "panel " + file).status, 2);
    }
    const std::vector<std::vector<std::string>> commands = {
        {"setup"}, {"reg", "query", "HKCU"}, {"reg", "add", "HKCU\\T", "/f"}, {"panel"}, {"monitor"}, {"test", "640x480"}};
    for (const char* name : {"registry.reg", "machine.ini"}) {
        const auto path = machine_.folder() / name;
        const std::string kept = ReadFileText(path);
        for (const std::string& file : odd) {
            std::filesystem::remove(path);
            if (file == scratch.string()) std::filesystem::create_directory(path);
            else std::filesystem::create_symlink(file, path);
            for (const auto& args : commands) {
                const Outcome run = check(args, std::string(name) + " as " + file + ": " + args[0]);
                // A damaged registry is still queried, and the test screen runs on.
                const bool query = args.size() > 1 && args[1] == "query";
                if (args[0] != "test" && !(query && name == std::string("registry.reg"))) {
                    EXPECT_NE(run.status, 0) << name << " as " << file << ": " << args[0];
                }
                EXPECT_NE(run.err.find(name), std::string::npos) << name << " as " << file << ": " << run.err;
            }
            std::filesystem::remove(path);
        }
        WriteFileText(path, kept);
    }
    ::unsetenv("BRONTAR_DISPLAY");
    ::unsetenv("BRONTAR_INPUT");
}

}  // namespace
