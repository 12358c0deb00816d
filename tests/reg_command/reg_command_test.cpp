// brontar reg end to end: the built program against a throwaway machine.
#include <gtest/gtest.h>
#include <sys/wait.h>

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
        std::string command = "'" + std::string(BRONTAR_BIN_DIR) + "/brontar'";
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

}  // namespace
