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
    // Writes a file in the scratch folder and gives its path.
    std::string File(const std::string& name, const std::string& content) {
        const auto path = machine_.scratch() / name;
        WriteFileText(path, content);
        return path.string();
    }
    // Adds each value with /f; every add must succeed.
    void Add(const std::vector<std::vector<std::string>>& adds) {
        for (std::vector<std::string> args : adds) {
            args.insert(args.begin(), {"reg", "add"});
            args.push_back("/f");
            const Outcome run = Brontar(args);
            ASSERT_EQ(run.status, 0) << args[2] << " " << run.err;
        }
    }

    TempMachine machine_;
};

// UTF-16LE with a byte-order mark, as reg export writes its files.
std::string Utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes;
}

const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kDone = "The operation completed successfully.\n";

TEST_F(RegCommandTest, SetupThenAddAndQueryARefreshRate) {
    ASSERT_EQ(Brontar({"setup"}).status, 0);
    // A key without values or subkeys: Windows prints the blank line only.
    const Outcome empty = Brontar({"reg", "query", kSettingsKey});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "\n");
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

TEST_F(RegCommandTest, QueryListsValuesInCreationOrderThenSubkeys) {
    Add({{"HKCU\\T", "/v", "s", "/d", "hello"},
         {"HKCU\\T", "/v", "b", "/t", "REG_BINARY", "/d", "deadBEEF"},
         {"HKCU\\T", "/ve", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"},
         {"HKCU\\T\\Sub"},
         {"HKCU\\T\\Only\\Below"}});
    const Outcome query = Brontar({"reg", "query", "hkey_current_user\\t"});
    EXPECT_EQ(query.out,
              "\nHKEY_CURRENT_USER\\T\n"
              "    s    REG_SZ    hello\n"
              "    b    REG_BINARY    DEADBEEF\n"
              "    (Default)    REG_DWORD    0xffffffff\n"
              "\n"
              "HKEY_CURRENT_USER\\T\\Only\n"
              "HKEY_CURRENT_USER\\T\\Sub\n");
    // Windows: a key with subkeys only lists them, without its own line.
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T\\Only"}).out, "\nHKEY_CURRENT_USER\\T\\Only\\Below\n");
    // reg add without /v gave Sub an empty default value.
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T\\Sub", "/s"}).out,
              "\nHKEY_CURRENT_USER\\T\\Sub\n    (Default)    REG_SZ    \n\n");
    // /ve on a key without a default value: current Windows answers (value not set), exit 0.
    const Outcome unset = Brontar({"reg", "query", "HKCU\\T\\Only", "/ve"});
    EXPECT_EQ(unset.status, 0);
    EXPECT_EQ(unset.out, "\nHKEY_CURRENT_USER\\T\\Only\n    (Default)    REG_SZ    (value not set)\n\n");
}

TEST_F(RegCommandTest, AddWithoutVOrVeSetsTheDefaultValue) {
    // reg add KEY /f: (Default) REG_SZ "", also over an existing default.
    Add({{"HKCU\\T", "/ve", "/d", "old"}, {"HKCU\\T"}});
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T", "/ve"}).out, "\nHKEY_CURRENT_USER\\T\n    (Default)    REG_SZ    \n\n");
    // reg add KEY /t T /d D /f sets the default with that type.
    Add({{"HKCU\\T", "/t", "REG_DWORD", "/d", "5"}});
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).out, "\nHKEY_CURRENT_USER\\T\n    (Default)    REG_DWORD    0x5\n\n");
    // Without /f an existing default value is asked about.
    const Outcome asked = Brontar({"reg", "add", "HKCU\\T"}, "n\n");
    EXPECT_EQ(asked.status, 1);
    EXPECT_NE(asked.out.find("Value (Default) exists, overwrite"), std::string::npos);
}

TEST_F(RegCommandTest, AddStoresEachTypeAsWindowsStoresIt) {
    struct Case {
        std::vector<std::string> args;  // after KEY
        std::string query;              // the value's query line
        std::string fileLine;           // its line in registry.reg
    };
    const std::vector<Case> cases = {
        {{"/v", "q", "/t", "REG_QWORD", "/d", "0x100000000"}, "    q    REG_QWORD    0x100000000",
         "\"q\"=hex(b):00,00,00,00,01,00,00,00"},
        {{"/v", "le", "/t", "reg_dword_little_endian", "/d", "16"}, "    le    REG_DWORD    0x10", "\"le\"=dword:00000010"},
        // Windows stores the number of a REG_DWORD_BIG_ENDIAN little-endian as well.
        {{"/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "456"}, "    be    REG_DWORD_BIG_ENDIAN    0x1c8",
         "\"be\"=hex(5):c8,01,00,00"},
        {{"/v", "minus", "/t", "REG_QWORD", "/d", "-1"}, "    minus    REG_QWORD    0xffffffffffffffff",
         "\"minus\"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff"},
        {{"/v", "minus2", "/t", "REG_QWORD", "/d", "-0x2"}, "    minus2    REG_QWORD    0xfffffffffffffffe",
         "\"minus2\"=hex(b):fe,ff,ff,ff,ff,ff,ff,ff"},
        // The separator alone is one empty list.
        {{"/v", "none", "/t", "REG_MULTI_SZ", "/d", "\\0"}, "    none    REG_MULTI_SZ    ", "\"none\"=hex(7):00,00"},
        {{"/v", "none2", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#"}, "    none2    REG_MULTI_SZ    ",
         "\"none2\"=hex(7):00,00"},
        {{"/v", "zero", "/t", "REG_DWORD"}, "    zero    REG_DWORD    0x0", "\"zero\"=dword:00000000"},
        // REG_NONE /d is text, stored as Windows stores it: UTF-16LE with its terminator.
        {{"/v", "n", "/t", "REG_NONE", "/d", "ab"}, "    n    REG_NONE    610062000000", "\"n\"=hex(0):61,00,62,00,00,00"},
        // An odd count of hex digits: the first digit is a byte of its own.
        {{"/v", "odd", "/t", "REG_BINARY", "/d", "abc"}, "    odd    REG_BINARY    0ABC", "\"odd\"=hex:0a,bc"},
        {{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}, "    m    REG_MULTI_SZ    a\\0b", "\"m\"=hex(7):61,00,62,00,00"},
        {{"/v", "tail", "/t", "REG_MULTI_SZ", "/d", "a\\0"}, "    tail    REG_MULTI_SZ    a", "\"tail\"=hex(7):61,00,00"},
        // With /s, \0 is text.
        {{"/v", "sep", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b\\0"}, "    sep    REG_MULTI_SZ    a\\0b\\0",
         "\"sep\"=hex(7):61,00,62,5c,30,00,00"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"reg", "add", "HKCU\\T"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("/f");
        const Outcome run = Brontar(args);
        ASSERT_EQ(run.status, 0) << c.query << run.err;
        EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T", "/v", c.args[1]}).out, "\nHKEY_CURRENT_USER\\T\n" + c.query + "\n\n");
        EXPECT_NE(Registry().find(c.fileLine + "\r\n"), std::string::npos) << c.fileLine;
    }
    // Data Windows refuses: exit 1, nothing stored.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"/t", "REG_DWORD", "/d", "12x"},
             {"/t", "REG_DWORD", "/d", "-1"},
             {"/t", "REG_DWORD", "/d", "4294967296"},
             {"/t", "REG_QWORD", "/d", "18446744073709551616"},
             {"/t", "REG_QWORD", "/d", "-18446744073709551616"},
             {"/t", "REG_QWORD", "/d", "--1"},
             {"/t", "REG_QWORD", "/d", "-"},
             {"/t", "REG_MULTI_SZ", "/d", "\\0\\0"},
             {"/t", "REG_BINARY", "/d", "xy"},
             {"/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"},
             {"/t", "REG_MULTI_SZ", "/d", "\\0a"},
             {"/t", "REG_MULTI_SZ", "/s", "##", "/d", "a##b"},
             {"/t", "REG_SZ", "/s", "#", "/d", "a"},
             {"/t", "REG_FOO", "/d", "1"}}) {
        std::vector<std::string> full = {"reg", "add", "HKCU\\T", "/v", "bad"};
        full.insert(full.end(), args.begin(), args.end());
        full.push_back("/f");
        const Outcome run = Brontar(full);
        EXPECT_EQ(run.status, 1) << args[1] << " " << args.back();
        EXPECT_EQ(run.err.rfind("ERROR: Invalid syntax.", 0), 0u) << run.err;
    }
    EXPECT_EQ(Registry().find("\"bad\""), std::string::npos);
}

TEST_F(RegCommandTest, ArgumentsAreCheckedAsWindowsChecksThem) {
    Add({{"HKCU\\T", "/v", "a", "/d", "x"}});
    const std::string before = Registry();
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;  // of standard error
    };
    const std::string syntax = "ERROR: Invalid syntax.";
    const std::string keyName = "ERROR: Invalid key name.";
    const std::string file = (machine_.scratch() / "x.reg").string();
    for (const Case& c : std::vector<Case>{
             {{"add", "\\HKCU\\T", "/v", "b", "/f"}, keyName},
             {{"query", "\\HKCU\\T"}, keyName},
             {{"add", "HKCU", "/v", "b", "/d", "1", "/f"}, keyName},
             {{"add", "HKEY_USERS\\T", "/f"}, keyName},
             {{"add", "HKCU\\T", "/v", "b", "/d", "1", "/d", "2", "/f"}, syntax},
             {{"add", "HKCU\\T", "/v", "b", "/f", "/F"}, syntax},
             {{"add", "HKCU\\T", "/v", "b", "/ve", "/f"}, syntax},
             {{"add", "HKCU\\T", "/v", "b", "/reg:32", "/reg:64", "/f"}, syntax},
             {{"add", "HKCU\\T", "/v"}, syntax},
             {{"export", "HKCU\\T", "/y", file}, syntax},
             {{"export", "/y", "HKCU\\T", file}, syntax},
             {{"delete", "HKCU", "/f"}, keyName},
             {{"query"}, syntax},
             {{"query", "HKCU\\T", "extra"}, syntax},
             {{"frobnicate", "HKCU\\T"}, syntax}}) {
        std::vector<std::string> args = {"reg"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.status, 1) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.firstLine) << c.args[0] << " " << c.args[1];
    }
    EXPECT_EQ(Registry(), before);
    // One registry view: /reg:32 and /reg:64 are accepted and change nothing.
    Add({{"HKCU\\T", "/v", "b", "/d", "y", "/reg:64"}});
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T", "/v", "b", "/reg:32"}).out, "\nHKEY_CURRENT_USER\\T\n    b    REG_SZ    y\n\n");
}

TEST_F(RegCommandTest, HelpForEveryOperation) {
    for (const char* operation : {"query", "add", "delete", "copy", "export", "import"})
        for (const char* help : {"/?", "/h", "-h", "/H", "-H", "--help"}) {
            const Outcome run = Brontar({"reg", operation, help});
            EXPECT_EQ(run.status, 0) << operation << " " << help;
            EXPECT_NE(run.out.find(std::string("brontar reg ") + operation), std::string::npos) << operation;
        }
    EXPECT_EQ(Brontar({"reg", "/?"}).status, 0);
    EXPECT_NE(Brontar({"reg", "--help"}).out.find("brontar regedit"), std::string::npos);
}

TEST_F(RegCommandTest, MissingKeysAndValuesFailWithStatusOne) {
    Add({{"HKCU\\T", "/v", "a", "/d", "x"}});
    for (const auto& args : std::vector<std::vector<std::string>>{{"reg", "query", "HKCU\\Nope"},
                                                                  {"reg", "query", "HKCU\\T", "/v", "nope"},
                                                                  {"reg", "delete", "HKCU\\T", "/v", "nope", "/f"},
                                                                  {"reg", "delete", "HKCU\\T", "/ve", "/f"},
                                                                  {"reg", "copy", "HKCU\\Nope", "HKCU\\U", "/f"},
                                                                  {"reg", "export", "HKCU\\Nope", "x.reg", "/y"}}) {
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.status, 1) << args[2];
        EXPECT_EQ(run.err, kNotFound) << args[2];
    }
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
    Add({{"HKCU\\T\\Sub", "/v", "x", "/d", "1"}, {"HKCU\\T", "/v", "a", "/d", "1"}, {"HKCU\\T", "/v", "b", "/d", "2"}});
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\T", "/va", "/f"}).out, kDone);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).out, "\nHKEY_CURRENT_USER\\T\\Sub\n");
    EXPECT_EQ(Brontar({"reg", "delete", "HKCU\\t", "/f"}).status, 0);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T\\Sub"}).status, 1);
}

TEST_F(RegCommandTest, CopyTakesValuesAndWithSTheSubkeys) {
    Add({{"HKCU\\A", "/v", "one", "/d", "1"},
         {"HKCU\\A", "/v", "two", "/t", "REG_DWORD", "/d", "2"},
         {"HKCU\\A\\Sub", "/v", "deep", "/d", "3"},
         {"HKCU\\B", "/v", "two", "/d", "mine"}});
    // Without /s only the values; without /f each existing value is asked about.
    const Outcome asked = Brontar({"reg", "copy", "HKCU\\A", "HKCU\\B"}, "n\n");
    EXPECT_EQ(asked.status, 0) << asked.err;
    EXPECT_NE(asked.out.find("Value two exists, overwrite"), std::string::npos);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\B"}).out,
              "\nHKEY_CURRENT_USER\\B\n    two    REG_SZ    mine\n    one    REG_SZ    1\n\n");
    // With /s /f: everything below, into a key below the source itself.
    EXPECT_EQ(Brontar({"reg", "copy", "HKCU\\A", "HKCU\\A\\Sub\\Copy", "/s", "/f"}).status, 0);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\A\\Sub\\Copy", "/s"}).out,
              "\nHKEY_CURRENT_USER\\A\\Sub\\Copy\n    one    REG_SZ    1\n    two    REG_DWORD    0x2\n\n"
              "HKEY_CURRENT_USER\\A\\Sub\\Copy\\Sub\n    deep    REG_SZ    3\n\n");
    const Outcome same = Brontar({"reg", "copy", "HKCU\\A", "hkcu\\a", "/f"});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.err, "ERROR: The source and destination keys cannot be the same.\n");
}

TEST_F(RegCommandTest, ExportWritesVersion5Utf16AndRegeditExportsRegedit4) {
    Add({{"HKLM\\Software\\T", "/v", "z", "/d", "C:\\WINDOWS"},
         {"HKLM\\Software\\T", "/v", "n", "/t", "REG_DWORD", "/d", "75"},
         {"HKLM\\Software\\T", "/v", "e", "/d", ""},
         {"HKLM\\Software\\T\\Sub", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a"}});
    const auto file = machine_.scratch() / "out.reg";
    EXPECT_EQ(Brontar({"reg", "export", "HKLM\\Software\\T", file.string()}).status, 0);
    EXPECT_EQ(ReadFileText(file), Utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\T]\r\n\"z\"=\"C:\\\\WINDOWS\"\r\n"
                                        "\"n\"=dword:0000004b\r\n\"e\"=\"\"\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\T\\Sub]\r\n"
                                        "\"m\"=hex(7):61,00,00,00,00,00\r\n\r\n"));
    // Exporting over an existing file asks first; /y does not.
    EXPECT_EQ(Brontar({"reg", "export", "HKLM\\Software\\T", file.string()}, "n\n").status, 1);
    EXPECT_EQ(Brontar({"reg", "export", "HKLM\\Software\\T", file.string(), "/y"}).status, 0);
    // Windows 95's regedit /e: REGEDIT4, 8-bit text.
    const auto old = machine_.scratch() / "old.reg";
    EXPECT_EQ(Brontar({"regedit", "/e", old.string(), "HKLM\\Software\\T\\Sub"}).status, 0);
    EXPECT_EQ(ReadFileText(old), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\T\\Sub]\r\n\"m\"=hex(7):61,00,00\r\n\r\n");
    EXPECT_EQ(Brontar({"regedit", "/e", old.string()}).status, 0);
    EXPECT_EQ(ReadFileText(old), Registry());
    // Both read back into the same values.
    EXPECT_EQ(Brontar({"reg", "delete", "HKLM\\Software\\T", "/f"}).status, 0);
    EXPECT_EQ(Brontar({"reg", "import", file.string()}).status, 0);
    const std::string imported = Registry();
    EXPECT_EQ(Brontar({"reg", "delete", "HKLM\\Software\\T", "/f"}).status, 0);
    const Outcome regedit = Brontar({"regedit", old.string()});
    EXPECT_EQ(regedit.status, 0);
    EXPECT_EQ(regedit.out, "Information in " + old.string() + " has been successfully entered into the registry.\n");
    EXPECT_EQ(Registry(), imported);
}

TEST_F(RegCommandTest, ImportSkipsUnreadableLinesAndReportsEach) {
    Add({{"HKCU\\T", "/v", "a", "/d", "1"}});
    const std::string file = File("bad.reg",
                                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"b\"=\"2\"\n\"c\"=dword:xyz\n"
                                  "garbage\n\"d\"=dword:4\n");
    const Outcome run = Brontar({"reg", "import", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kDone);
    EXPECT_EQ(run.err, "skipped: " + file + " line 5: dword: needs one to eight hex digits\n"
                       "skipped: " + file + " line 6: line is neither [KEY] nor \"name\"=data\n");
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).out,
              "\nHKEY_CURRENT_USER\\T\n    a    REG_SZ    1\n    b    REG_SZ    2\n    d    REG_DWORD    0x4\n\n");
    // Windows refuses a file without a registry header: exit 1, nothing applied.
    const std::string before = Registry();
    const Outcome refused = Brontar({"reg", "import", File("no.reg", "[HKEY_CURRENT_USER\\U]\n")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("ERROR: Error accessing the registry."), std::string::npos);
    EXPECT_EQ(Registry(), before);
    const Outcome missing = Brontar({"reg", "import", (machine_.scratch() / "missing.reg").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ERROR: Error opening the file. There may be a disk or file system error.\n");
    EXPECT_EQ(Brontar({"regedit", File("no2.reg", "hello\n")}).status, 1);
}

TEST_F(RegCommandTest, ImportIsOneWriteOfTheRegistry) {
    Add({{"HKCU\\T", "/v", "a", "/d", "1"}});
    const std::string before = Registry();
    const std::string file = File("many.reg",
                                  "REGEDIT4\n\n[-HKEY_CURRENT_USER\\T]\n[HKEY_CURRENT_USER\\U]\n\"x\"=\"1\"\n"
                                  "[HKEY_CURRENT_USER\\V]\n\"y\"=\"2\"\n");
    // A write stopped before its rename leaves the registry as it was.
    const std::string command = "BRONTAR_FAULTS=RegistryRename '" + std::string(BRONTAR_BIN_DIR) +
                                "/brontar' reg import '" + file + "' >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(Brontar({"reg", "import", file}).status, 0);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\T"}).status, 1);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\V", "/v", "y"}).status, 0);
}

TEST_F(RegCommandTest, ImportReadsVersion5Utf16WithDeletions) {
    Add({{"HKCU\\Old\\Deep", "/v", "x", "/d", "1"}, {"HKCU\\Keep", "/v", "drop", "/d", "1"}});
    const std::string file = File("in.reg", Utf16("Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Old]\r\n\r\n"
                                                   "[HKEY_CURRENT_USER\\Keep]\r\n\"drop\"=-\r\n\"n\"=dword:00000010\r\n"
                                                   "\"s\"=\"t\"\r\n\"e\"=hex(2):25,00,41,00\r\n"));
    const Outcome run = Brontar({"reg", "import", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\Old"}).status, 1);
    EXPECT_EQ(Brontar({"reg", "query", "HKCU\\Keep"}).out,
              "\nHKEY_CURRENT_USER\\Keep\n    n    REG_DWORD    0x10\n    s    REG_SZ    t\n"
              "    e    REG_EXPAND_SZ    %A\n\n");
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

// Control characters in names and data reach the terminal as '?', while
// registry.reg keeps the bytes as they were given.
TEST_F(RegCommandTest, QueryShowsControlCharactersHarmlessly) {
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\T\\a\x1b[2Jb", "/v", "n\x07", "/d", "x\x1b]0;t\x07y\xc2\x9b", "/f"}).status, 0);
    const Outcome query = Brontar({"reg", "query", "HKCU\\T", "/s"});
    EXPECT_EQ(query.status, 0);
    EXPECT_EQ(query.out, "\nHKEY_CURRENT_USER\\T\\a?[2Jb\n    n?    REG_SZ    x?]0;t?y?\n\n");
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
    EXPECT_TRUE(std::filesystem::is_regular_file(machine_.driveC() / "Regs" / "OUT.REG"));
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
        EXPECT_EQ(check({"regedit", file}, "regedit " + file).status, 1);
        EXPECT_NE(check({"monitor", "import", file}, "monitor import " + file).status, 0);
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

// reg query /s gives a key without values no block of its own, at any depth;
// without /s such a key still lists its subkeys.
TEST_F(RegCommandTest, RecursiveQuerySkipsKeysWithoutValues) {
    Add({{"HKCU\\E\\A", "/v", "a", "/d", "1"}, {"HKCU\\E\\B\\C", "/v", "c", "/d", "2"}, {"HKCU\\E\\B\\C", "/v", "a", "/d", "3"}});
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\E\\Empty\\Leaf", "/ve", "/d", "x", "/f"}).status, 0);
    ASSERT_EQ(Brontar({"reg", "delete", "HKCU\\E\\Empty\\Leaf", "/va", "/f"}).status, 0);
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int status;
    };
    for (const Case& c : std::vector<Case>{
             {{"HKCU\\E", "/s"},
              "\nHKEY_CURRENT_USER\\E\\A\n    a    REG_SZ    1\n\n"
              "HKEY_CURRENT_USER\\E\\B\\C\n    c    REG_SZ    2\n    a    REG_SZ    3\n\n",
              0},
             {{"HKCU\\E\\Empty", "/s"}, "\n", 0},
             {{"HKCU\\E"}, "\nHKEY_CURRENT_USER\\E\\A\nHKEY_CURRENT_USER\\E\\B\nHKEY_CURRENT_USER\\E\\Empty\n", 0},
             {{"HKCU\\E", "/v", "a", "/s"},
              "\nHKEY_CURRENT_USER\\E\\A\n    a    REG_SZ    1\n\nHKEY_CURRENT_USER\\E\\B\\C\n    a    REG_SZ    3\n\n"
              "End of search: 2 match(es) found.\n",
              0},
             {{"HKCU\\E\\Empty", "/v", "a", "/s"}, "\nEnd of search: 0 match(es) found.\n", 1},
         }) {
        std::vector<std::string> args = {"reg", "query"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.out, c.out) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(run.err, "");
    }
}

// One .reg file case: its lines after a fresh [HKEY_CURRENT_USER\T] (the
// first of them is line 5), what registry.reg then holds for T, and what
// standard error says ("line N: why" for each skipped line).
struct ImportCase {
    std::string header;
    std::string lines;
    std::string stored;               // T's section in registry.reg, values only
    std::vector<std::string> errors;  // after "skipped: FILE "
};

class RegImportTest : public RegCommandTest {
protected:
    void Expect(const std::vector<ImportCase>& cases) {
        for (const ImportCase& c : cases) {
            const std::string text = c.header + "\r\n\r\n[-HKEY_CURRENT_USER\\T]\r\n[HKEY_CURRENT_USER\\T]\r\n" + c.lines;
            const bool wide = c.header.starts_with("Windows");
            const std::string file = File(wide ? "in5.reg" : "in4.reg", wide ? Utf16(text) : text);
            const Outcome run = Brontar({"reg", "import", file});
            EXPECT_EQ(run.status, 0) << c.lines;  // a file that was read succeeds, whatever it skipped
            std::string err;
            for (const std::string& error : c.errors) err += "skipped: " + file + " " + error + "\n";
            EXPECT_EQ(run.err, err) << c.lines;
            const std::string registry = Registry();
            const std::string section = "[HKEY_CURRENT_USER\\T]\r\n";
            const size_t start = registry.find(section);
            ASSERT_NE(start, std::string::npos) << c.lines;
            const size_t from = start + section.size();  // the values end at the blank line after them
            EXPECT_EQ(registry.substr(from, registry.find("\r\n\r\n", from - 2) + 2 - from), c.stored) << c.lines;
            EXPECT_EQ(registry.find("HKEY_CURRENT_USER\\T\\"), std::string::npos) << c.lines;  // no key below T
        }
    }
};

const std::string kRegedit4 = "REGEDIT4";
const std::string kVersion5 = "Windows Registry Editor Version 5.00";
const std::string kSwallowed = "taken as hex data continued from line 5; not applied";

TEST_F(RegImportTest, ContinuedHexDataSkipsBlankAndCommentLinesAndSwallowsTheNextLine) {
    const std::string intoKey = "line 5: continued hex data runs into the key line 6; neither is applied";
    const std::string intoValue = "line 5: continued hex data runs into the value line 6; neither is applied";
    const std::string badHex = "line 5: hex data must be bytes of one or two hex digits, each followed directly by a "
                               "comma, and a continuing backslash only by blanks or a ; comment";
    Expect({
        {kRegedit4, "\"v\"=hex:11,\\\r\n\r\n \t \r\n  22\r\n", "\"v\"=hex:11,22\r\n", {}},
        {kRegedit4, "\"v\"=hex(2):41,\\ ;note\r\n; a comment line\r\n  42\r\n", "\"v\"=hex(2):41,42,00\r\n", {}},
        {kRegedit4, "\"v\"=hex(0):01,\\\r\n\r\n", "\"v\"=hex(0):01\r\n", {}},  // the file ends the data
        {kVersion5, "\"v\"=hex(7):61,00,\\\r\n\r\n  00,00\r\n", "\"v\"=hex(7):61,00\r\n", {}},
        {kVersion5, "\"v\"=hex(2):41,00,\\\r\n  \r\n  42,00\r\n", "\"v\"=hex(2):41,42,00\r\n", {}},
        // # is no comment inside continued data: the value is lost, the line after is a line of its own.
        {kRegedit4, "\"v\"=hex:11,\\\r\n# note\r\n\"w\"=\"x\"\r\n", "\"w\"=\"x\"\r\n",
         {"line 5: a # line inside continued hex data (# is no comment there)"}},
        {kRegedit4, "\"v\"=hex:11,\\#note\r\n\"w\"=\"x\"\r\n", "\"w\"=\"x\"\r\n", {badHex}},
        {kRegedit4, "\"v\"=hex:5c,\\\\\r\n\"w\"=\"x\"\r\n", "\"w\"=\"x\"\r\n", {badHex}},
        {kVersion5, "\"v\"=hex:5c,\\\\\r\n", "", {badHex}},
        // A value, default value or key line after the backslash: neither is applied.
        {kRegedit4, "\"v\"=hex(7):61,00,\\\r\n\"w\"=\"x\"\r\n\"y\"=\"z\"\r\n", "\"y\"=\"z\"\r\n",
         {intoValue, "line 6: " + kSwallowed}},
        {kVersion5, "\"v\"=hex:11,\\\r\n\r\n@=\"d\"\r\n", "", {"line 5: continued hex data runs into the value line 7; "
                                                              "neither is applied", "line 7: " + kSwallowed}},
        {kRegedit4, "\"v\"=hex:11,\\\r\n[HKEY_CURRENT_USER\\T\\New]\r\n\"w\"=\"x\"\r\n", "",
         {intoKey, "line 6: " + kSwallowed, "line 7: value below a key line that was skipped"}},
        {kRegedit4, "\"v\"=hex:11,\\\r\n,22\r\n", "",
         {"line 5: continued hex data goes on with a line that does not start with a hex digit"}},
    });
}

TEST_F(RegImportTest, QuotedStringsKnowOnlyTheEscapesOfTheirFileForm) {
    const std::string noEscape = "line 5: \\0 is not an escape this file form knows";
    Expect({
        {kRegedit4, "\"v\"=\"a\\0b\"\r\n\"w\"=\"x\"\r\n", "\"w\"=\"x\"\r\n", {noEscape}},
        {kVersion5, "\"v\"=\"a\\0b\"\r\n", "", {noEscape}},
        {kRegedit4, "\"a\\0b\"=\"x\"\r\n", "", {noEscape}},
        {kRegedit4, "\"v\"=\"a\\\\0\\\"\"\r\n", "\"v\"=\"a\\\\0\\\"\"\r\n", {}},
        {kVersion5, "\"v\"=\"a\\\\b\\\"c\"\r\n", "\"v\"=\"a\\\\b\\\"c\"\r\n", {}},
        {kRegedit4, "\"v\"=\"a\\nb\"\r\n", "", {"line 5: \\n is not an escape this file form knows"}},
        {kRegedit4, "\"v\\r\"=\"x\"\r\n", "", {"line 5: \\r is not an escape this file form knows"}},
        {kVersion5, "\"v\"=\"a\\nb\\rc\"\r\n", "\"v\"=hex(1):61,0a,62,0d,63,00\r\n", {}},
        {kVersion5, "\"line\\nbreak\"=\"x\"\r\n", "\"line\\nbreak\"=\"x\"\r\n", {}},
    });
}

// reg query's search: what each switch finds and how it prints.
TEST_F(RegCommandTest, QuerySearchFindsKeysValueNamesAndData) {
    Add({{"HKCU\\S", "/v", "Path", "/d", "C:\\WINDOWS"},
         {"HKCU\\S", "/v", "Size", "/t", "REG_DWORD", "/d", "75"},
         {"HKCU\\S", "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a\\0b"},
         {"HKCU\\S\\Other", "/v", "Note", "/d", "my PATH here"},
         {"HKCU\\S\\Other", "/v", "Bin", "/t", "REG_BINARY", "/d", "0A1B"},
         {"HKCU\\S\\Other\\Deep", "/v", "Exp", "/t", "REG_EXPAND_SZ", "/d", "%PATH%"}});
    ASSERT_EQ(Brontar({"reg", "add", "HKCU\\S\\PathKey\\Below", "/v", "x", "/d", "1", "/f"}).status, 0);
    const std::string s = "HKEY_CURRENT_USER\\S";
    const std::string path = s + "\n    Path    REG_SZ    C:\\WINDOWS\n\n";
    const std::string note = s + "\\Other\n    Note    REG_SZ    my PATH here\n\n";
    const std::string exp = s + "\\Other\\Deep\n    Exp    REG_EXPAND_SZ    %PATH%\n\n";
    const std::string pathKey = s + "\\PathKey\n";
    const auto end = [](int n) { return "End of search: " + std::to_string(n) + " match(es) found.\n"; };
    struct Case {
        std::vector<std::string> args;  // after the key
        std::string out;                // after the leading blank line
        int status;
    };
    for (const Case& c : std::vector<Case>{
             // Key names, value names and data, below the key at any depth.
             {{"/f", "path"}, path + note + exp + pathKey + end(4), 0},
             {{"/f", "path", "/s"}, path + note + exp + pathKey + end(4), 0},
             {{"/f", "path", "/k"}, pathKey + end(1), 0},
             {{"/f", "path", "/v"}, path + end(1), 0},
             {{"/v", "/f", "path"}, path + end(1), 0},
             {{"/f", "path", "/d"}, note + exp + end(2), 0},
             {{"/f", "path", "/k", "/v"}, path + pathKey + end(2), 0},
             {{"/f", "Path", "/c"}, path + pathKey + end(2), 0},
             {{"/f", "path", "/c"}, end(0), 1},
             {{"/f", "path", "/e"}, path + end(1), 0},
             {{"/f", "%path%", "/e", "/d"}, exp + end(1), 0},
             {{"/f", "0x4b", "/d"}, s + "\n    Size    REG_DWORD    0x4b\n\n" + end(1), 0},
             {{"/f", "0a1b", "/d"}, s + "\\Other\n    Bin    REG_BINARY    0A1B\n\n" + end(1), 0},
             {{"/f", "a,b", "/d", "/se", ","}, s + "\n    List    REG_MULTI_SZ    a,b\n\n" + end(1), 0},
             {{"/f", "nothing"}, end(0), 1},
             // /t alone lists the values of those types; key names only with /k.
             {{"/t", "REG_DWORD"}, s + "\n    Size    REG_DWORD    0x4b\n\n" + end(1), 0},
             {{"/t", "reg_dword,REG_BINARY", "/z"},
              s + "\n    Size    REG_DWORD (4)    0x4b\n\n" + s + "\\Other\n    Bin    REG_BINARY (3)    0A1B\n\n" + end(2), 0},
             {{"/f", "path", "/t", "REG_SZ"}, path + note + end(2), 0},
             {{"/f", "path", "/t", "REG_SZ", "/k"}, pathKey + end(1), 0},
             {{"/f", "*", "/t", "REG_MULTI_SZ", "/se", "#"}, s + "\n    List    REG_MULTI_SZ    a#b\n\n" + end(1), 0},
             // /z and /se also shape a plain query.
             {{"/v", "List", "/z", "/se", "+"}, s + "\n    List    REG_MULTI_SZ (7)    a+b\n\n", 0},
         }) {
        std::vector<std::string> args = {"reg", "query", "HKCU\\S"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome run = Brontar(args);
        EXPECT_EQ(run.out, "\n" + c.out) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(run.err, "") << c.args[0] << " " << c.args[1];
    }
    // Switches that only shape a search, or that a search cannot take.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"/k"}, {"/d"}, {"/c"}, {"/e"}, {"/v"},
             {"/f", "x", "/v", "Path"},
             {"/f", "x", "/ve"},
             {"/t", "REG_SZ", "/v", "Path"},
             {"/f"},
             {"/f", "x", "/f", "y"},
             {"/f", "x", "/k", "/k"},
             {"/t", "REG_FOO"},
             {"/t", "REG_SZ,"},
             {"/se", "ab"},
             {"/se", ""}}) {
        std::vector<std::string> full = {"reg", "query", "HKCU\\S"};
        full.insert(full.end(), args.begin(), args.end());
        const Outcome run = Brontar(full);
        EXPECT_EQ(run.status, 1) << args[0] << " " << args.back();
        EXPECT_EQ(run.out, "") << args[0] << " " << args.back();
        EXPECT_EQ(run.err.rfind("ERROR: Invalid syntax.\n", 0), 0u) << args[0] << " " << args.back() << run.err;
    }
    const Outcome missing = Brontar({"reg", "query", "HKCU\\Nowhere", "/f", "x"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, kNotFound);
}

}  // namespace
