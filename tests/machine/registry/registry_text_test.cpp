// The registry file formats: every value form, round trips byte for byte,
// continuation lines, escapes, deletions, version 5 files and bad lines, and
// .reg files read as Windows reads them.
#include <gtest/gtest.h>

#include <optional>

#include "machine/registry/registry_text.h"

namespace mr = brontar::machine::registry;

namespace {

constexpr std::string_view kKey = "HKEY_LOCAL_MACHINE\\Software\\Test";

mr::Bytes B(std::initializer_list<int> bytes) {
    mr::Bytes out;
    for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
    return out;
}

// The value line a single value serialises to (without its CR LF).
std::string ValueLine(uint32_t type, const mr::Bytes& data, std::string_view name = "x") {
    mr::RegistryTree tree;
    tree.CreateKey(kKey).SetValue(name, type, data);
    const std::string text = mr::SerialiseRegistry(tree);
    const std::string header = "[" + std::string(kKey) + "]\r\n";
    const size_t start = text.find(header) + header.size();
    return text.substr(start, text.find("\r\n\r\n", start) - start);
}

mr::RegistryTree Parse(std::string_view text, std::vector<mr::ParseProblem>* problems = nullptr) {
    mr::RegistryTree tree;
    auto found = mr::ApplyRegistryText(text, tree);
    if (problems != nullptr) *problems = found;
    else EXPECT_TRUE(found.empty()) << found.front().line << ": " << found.front().message;
    return tree;
}

TEST(RegistryText, ValueFormsAreWrittenAsTheRegistryEditorWritesThem) {
    EXPECT_EQ(ValueLine(4, B({0x4B, 0, 0, 0}), "REFRESH_800x600"), "\"REFRESH_800x600\"=dword:0000004b");
    EXPECT_EQ(ValueLine(4, B({0x9A, 0x99, 0xD9, 0x3F})), "\"x\"=dword:3fd9999a");
    EXPECT_EQ(ValueLine(4, B({1, 2})), "\"x\"=hex(4):01,02");              // a DWORD of the wrong length
    EXPECT_EQ(ValueLine(1, B({'1', '.', '5', 0})), "\"x\"=\"1.5\"");
    EXPECT_EQ(ValueLine(1, B({'a', 'b'})), "\"x\"=hex(1):61,62");          // no terminator
    EXPECT_EQ(ValueLine(1, B({'a', 0, 'b', 0})), "\"x\"=hex(1):61,00,62,00");  // NUL inside
    EXPECT_EQ(ValueLine(1, B({'a', '\n', 0})), "\"x\"=hex(1):61,0a,00");   // a line break
    EXPECT_EQ(ValueLine(1, B({0})), "\"x\"=\"\"");
    EXPECT_EQ(ValueLine(3, B({0xDE, 0xAD, 0xBE})), "\"x\"=hex:de,ad,be");
    EXPECT_EQ(ValueLine(0, B({})), "\"x\"=hex(0):");
    EXPECT_EQ(ValueLine(0x20000, B({7})), "\"x\"=hex(20000):07");
    EXPECT_EQ(ValueLine(1, B({'C', ':', '\\', '"', 0})), "\"x\"=\"C:\\\\\\\"\"");
    EXPECT_EQ(ValueLine(1, B({'v', 0}), ""), "@=\"v\"");
    EXPECT_EQ(ValueLine(3, B({1}), "a\"b\\c"), "\"a\\\"b\\\\c\"=hex:01");
}

TEST(RegistryText, LongHexDataWrapsWithinEightyColumns) {
    // "x"=hex: takes 8 columns; 23 bytes of "00," end the first line at
    // column 77, then the backslash. Continuation lines start with two blanks
    // and hold 25 bytes.
    const std::string line = ValueLine(3, mr::Bytes(40, 0));
    std::string expected = "\"x\"=hex:";
    for (int i = 0; i < 23; ++i) expected += "00,";
    expected += "\\\r\n  ";
    for (int i = 0; i < 16; ++i) expected += "00,";
    expected += "00";
    EXPECT_EQ(line, expected);
}

TEST(RegistryText, EveryTypeAndAwkwardDataRoundTripsByteForByte) {
    const std::vector<mr::Bytes> samples = {
        B({}), B({0}), B({0xFF}), B({0x4B, 0, 0, 0}), B({'a', 'b', 'c', 0}), B({'a', 'b', 'c'}),
        B({'\r', '\n', '"', '\\', 0}), B({0, 0, 0, 0, 0, 0, 0, 0}), mr::Bytes(300, 0xA5)};
    const std::vector<uint32_t> types = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x7FFFFFFF, 0xFFFFFFFF};
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey(kKey);
    for (uint32_t type : types)
        for (size_t i = 0; i < samples.size(); ++i)
            key.SetValue("t" + std::to_string(type) + "_" + std::to_string(i), type, samples[i]);
    const mr::RegistryTree back = Parse(mr::SerialiseRegistry(tree));
    const mr::RegistryKey* readKey = back.FindKey(kKey);
    ASSERT_NE(readKey, nullptr);
    ASSERT_EQ(readKey->Values().size(), types.size() * samples.size());
    for (const mr::RegistryValue& value : key.Values()) {
        const mr::RegistryValue* read = readKey->FindValue(value.name);
        ASSERT_NE(read, nullptr) << value.name;
        EXPECT_EQ(read->type, value.type) << value.name;
        EXPECT_EQ(read->data, value.data) << value.name;
    }
    EXPECT_EQ(mr::SerialiseRegistry(back), mr::SerialiseRegistry(tree));
}

TEST(RegistryText, HandWrittenFileWithCommentsContinuationsAndEscapes) {
    const mr::RegistryTree tree = Parse(
        "REGEDIT4\n"
        "\n"
        "; a comment\n"
        "[HKEY_CURRENT_USER\\Software\\Test]\n"
        "\"Str\"=\"C:\\\\WINDOWS \\\"x\\\"\"\n"
        "@=\"default\"\n"
        "\"Multi\"=hex(7):61,00,62,00,\\\n"
        "    00\n"
        "\"Dw\"=dword:FFFFFFFF\n"
        "\"Short\"=dword:4b\n");
    const mr::RegistryKey* key = tree.FindKey("HKCU\\software\\TEST");
    ASSERT_NE(key, nullptr);
    const std::string str = "C:\\WINDOWS \"x\"";
    mr::Bytes strBytes(str.begin(), str.end());
    strBytes.push_back(0);
    EXPECT_EQ(key->FindValue("str")->data, strBytes);
    EXPECT_EQ(key->FindValue("str")->type, 1u);
    EXPECT_EQ(key->FindValue("")->data, B({'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
    EXPECT_EQ(key->FindValue("Multi")->type, 7u);
    EXPECT_EQ(key->FindValue("Multi")->data, B({0x61, 0, 0x62, 0, 0}));
    EXPECT_EQ(key->FindValue("Dw")->data, B({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(key->FindValue("Short")->data, B({0x4B, 0, 0, 0}));
}

TEST(RegistryText, DeletionLinesRemoveKeysAndValues) {
    mr::RegistryTree tree;
    tree.CreateKey("HKCU\\Software\\Gone\\Below").SetValue("v", 4, B({1, 0, 0, 0}));
    mr::RegistryKey& kept = tree.CreateKey("HKCU\\Software\\Kept");
    kept.SetValue("drop", 4, B({1, 0, 0, 0}));
    kept.SetValue("keep", 4, B({2, 0, 0, 0}));
    const auto problems = mr::ApplyRegistryText(
        "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kept]\r\n"
        "\"DROP\"=-\r\n",
        tree);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(tree.FindKey("HKCU\\Software\\Gone"), nullptr);
    EXPECT_EQ(kept.FindValue("drop"), nullptr);
    EXPECT_NE(kept.FindValue("keep"), nullptr);
}

TEST(RegistryText, Version5FileInUtf16IsNarrowed) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n\"s\"=\"hi\"\r\n"
        "\"e\"=hex(2):25,00,41,00,00,00\r\n";
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    bytes += "\x42\x26";  // U+2642 has no 8-bit form: becomes '?'
    const std::string decoded = mr::DecodeRegistryFileBytes(bytes);
    EXPECT_EQ(decoded, text + "?");
    std::vector<mr::ParseProblem> problems;
    const mr::RegistryTree tree = Parse(decoded, &problems);
    ASSERT_EQ(problems.size(), 1u);  // the stray '?' line
    const mr::RegistryKey* key = tree.FindKey("HKCU\\Software\\T");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue("s")->data, B({'h', 'i', 0}));
    EXPECT_EQ(key->FindValue("e")->type, 2u);
    EXPECT_EQ(key->FindValue("e")->data, B({'%', 'A', 0}));
    EXPECT_EQ(mr::DecodeRegistryFileBytes("\xEF\xBB\xBFREGEDIT4"), "REGEDIT4");
}

TEST(RegistryText, BadLinesAreReportedWithTheirNumbersAndTheRestIsRead) {
    std::vector<mr::ParseProblem> problems;
    const mr::RegistryTree tree = Parse(
        "REGEDIT4\r\n"
        "[HKEY_LOCAL_MACHINE\\A]\r\n"
        "\"good\"=dword:00000001\r\n"
        "\"bad\"=dword:zz\r\n"
        "\"esc\"=\"\\n\"\r\n"
        "\"open\"=\"abc\r\n"
        "garbage\r\n"
        "[HKEY_USERS\\X]\r\n"
        "\"under-bad-key\"=dword:1\r\n"
        "[HKEY_LOCAL_MACHINE\\B\r\n"
        "\"hex\"=hex:1,2,zz\r\n"
        "\"after\"=dword:2\r\n"
        "[HKEY_LOCAL_MACHINE\\A]\r\n"
        "\"lone\rcr\"=dword:1\r\n",
        &problems);
    std::vector<size_t> lines;
    for (const auto& problem : problems) lines.push_back(problem.line);
    // Line 5's \n is a line feed; values below a skipped key line (9, 12) are
    // skipped too; a lone CR ends line 14, leaving an open quote and a stray line 15.
    EXPECT_EQ(lines, (std::vector<size_t>{4, 6, 7, 8, 9, 10, 11, 12, 14, 15}));
    const mr::RegistryKey* key = tree.FindKey("HKLM\\A");
    ASSERT_NE(key, nullptr);
    EXPECT_NE(key->FindValue("good"), nullptr);
    EXPECT_EQ(key->FindValue("bad"), nullptr);
    EXPECT_EQ(key->FindValue("after"), nullptr);  // below the refused key line
}

TEST(RegistryText, MissingHeaderRefusesTheWholeText) {
    std::vector<mr::ParseProblem> problems;
    const mr::RegistryTree tree = Parse("[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:1\r\n", &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 1u);
    EXPECT_EQ(tree.FindKey("HKLM\\A"), nullptr);
    Parse("", &problems);
    EXPECT_EQ(problems.size(), 1u);
}

// One .reg line (or lines) under [HKEY_CURRENT_USER\Software\T], imported as
// reg import reads it; the value "v" (or the one named) as Windows leaves it.
struct ImportCase {
    const char* lines;
    std::optional<uint32_t> type;  // nothing: Windows leaves no value
    mr::Bytes data;
    std::string name = "v";
};

void ExpectImports(std::string_view header, const std::vector<ImportCase>& cases) {
    for (const ImportCase& c : cases) {
        mr::RegistryTree tree;
        const std::string text =
            std::string(header) + "\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n" + c.lines;
        const mr::ImportOutcome outcome = mr::ImportRegistryText(text, tree);
        EXPECT_TRUE(outcome.read) << c.lines;
        const mr::RegistryValue* value = tree.FindKey("HKCU\\Software\\T")->FindValue(c.name);
        if (!c.type) {
            EXPECT_EQ(value, nullptr) << c.lines;
            EXPECT_FALSE(outcome.problems.empty()) << "a skipped line is reported: " << c.lines;
            continue;
        }
        ASSERT_NE(value, nullptr) << c.lines;
        EXPECT_EQ(value->type, *c.type) << c.lines;
        EXPECT_EQ(value->data, c.data) << c.lines;
    }
}

TEST(RegistryImport, CommentsAndWhitespaceAsWindowsReadsThem) {
    ExpectImports("REGEDIT4", {
        {"\"v\"=\"x\"  ;note", 1, B({'x', 0})},
        {"\"v\"=\"x\";note", 1, B({'x', 0})},
        {"\"v\"=\"x\" junk", {}, {}},
        {"\"v\"=dword:1234;5678", 4, B({0x34, 0x12, 0, 0})},
        {"\"v\"=dword:  1234  ", 4, B({0x34, 0x12, 0, 0})},
        {"\"v\"=dword:1234 5678", {}, {}},
        {"\"v\"=dword:123456789", {}, {}},
        {"\"v\" \t= \t\"x\"", 1, B({'x', 0})},
        {"\t  \"v\"=\"x\"", 1, B({'x', 0})},
        {"@ = \"d\"", 1, B({'d', 0}), ""},
        {"\"v\"=hex: 11, 22 ;note", 3, B({0x11, 0x22})},
        {"\"v\"=hex:11 ,22", {}, {}},
        {"\"v\"=-5", {}, {}},
        {"\"w\"=\"z\"\r\n#\"w\"=\"x\"\r\n  ;\"w\"=\"y\"", 1, B({'z', 0}), "w"},  // comment lines
    });
}

TEST(RegistryImport, ContinuedHexDataAsWindowsReadsIt) {
    ExpectImports("REGEDIT4", {
        {"\"v\"=hex:11,22,\\\r\n    33,44", 3, B({0x11, 0x22, 0x33, 0x44})},
        {"\"v\"=hex:11,22,\\  ;comment\r\n  33", 3, B({0x11, 0x22, 0x33})},
        {"\"v\"=hex:11,22,\\\r\n  ; a comment line\r\n  33", 3, B({0x11, 0x22, 0x33})},
        {"\"v\"=hex:11,22,\\", 3, B({0x11, 0x22})},            // the file's very last character
        {"\"v\"=hex:11,22,\\\r\n,33", {}, {}},                   // continuation starting with a comma
        {"\"v\"=hex:11,22,\\\r\n\r\n \t\r\n  33", 3, B({0x11, 0x22, 0x33})},  // blank lines are passed over
        {"\"v\"=hex:11,22,\\\r\n  \\\r\n  33", {}, {}},          // lone backslash inside
        {"\"v\"=hex:11,22\\\r\n  33", {}, {}},                   // backslash not after a comma
        {"\"v\"=hex:11,22,\\\r\n  33,;note\r\n  44", 3, B({0x11, 0x22, 0x33})},  // "  44" is a stray line
        // The line after a continuation is always more data: a value line there is lost with it.
        {"\"w\"=hex:11,\\\r\n\"v\"=\"x\"", {}, {}},
    });
}

TEST(RegistryImport, HexTypesKeepTheirNumberAndTextTypesGetTheirTerminator) {
    ExpectImports("REGEDIT4", {
        {"\"v\"=hex(2):25,41", 2, B({'%', 'A', 0})},
        {"\"v\"=hex(2):25,41,00", 2, B({'%', 'A', 0})},
        {"\"v\"=hex(7):61,00,62", 7, B({'a', 0, 'b', 0})},
        {"\"v\"=hex(7):", 7, B({})},
        {"\"v\"=hex(1):61,62", 1, B({'a', 'b'})},
        {"\"v\"=hex(0):", 0, B({})},
        {"\"v\"=hex(4):01,02,03,04", 4, B({1, 2, 3, 4})},
        {"\"v\"=hex(b):01,00,00,00,00,00,00,00", 11, B({1, 0, 0, 0, 0, 0, 0, 0})},
        {"\"v\"=hex(ffffffff):07", 0xFFFFFFFF, B({7})},
        {"\"v\"=hex(100000000):07", {}, {}},
        {"\"v\"=hex(2) :41", {}, {}},
    });
    // In a version 5 file hex(1), hex(2) and hex(7) hold UTF-16LE.
    ExpectImports("Windows Registry Editor Version 5.00", {
        {"\"v\"=hex(1):41,00,42,00,00,00", 1, B({'A', 'B', 0})},
        {"\"v\"=hex(2):25,00,41,00", 2, B({'%', 'A', 0})},
        {"\"v\"=hex(7):61,00,00,00,62,00", 7, B({'a', 0, 'b', 0})},
        {"\"v\"=hex(3):41,00", 3, B({0x41, 0})},
        {"\"v\"=hex(1):41,00,42", {}, {}},
    });
}

TEST(RegistryImport, NamesAndEscapesAsWindowsReadsThem) {
    ExpectImports("REGEDIT4", {
        {"\"v\"=\"a\\\\b\\\"c\"", 1, B({'a', '\\', 'b', '"', 'c', 0})},
        {"\"v\"=\"a\\nb\\rc\"", {}, {}},
        {"\"v\"=\"a\\0b\"", {}, {}},
        {"\"v\"=\"\\q\"", 1, B({'q', 0})},
        {"\"a\\\"b\\\\c\"=\"x\"", 1, B({'x', 0}), "a\"b\\c"},
        {"\"line\\nbreak\"=\"x\"", {}, {}, "line\nbreak"},
        {"\"tab\there\x01\"=\"x\"", 1, B({'x', 0}), "tab\there\x01"},
        {"\"cut\\0off\"=\"x\"", {}, {}, "cut"},
        {"\"@\"=\"x\"", 1, B({'x', 0}), "@"},
        // A name split over two lines is two unreadable lines.
        {"\"Wi\\\r\nne\"=\"x\"", {}, {}, "Wine"},
        {"\"Wi\r\nne\"=\"x\"", {}, {}, "Wi\nne"},
        {"\"v\"=\"open", {}, {}},
    });
    // A version 5 file knows \n and \r, but no \0 either.
    ExpectImports("Windows Registry Editor Version 5.00", {
        {"\"v\"=\"a\\nb\\rc\"", 1, B({'a', '\n', 'b', '\r', 'c', 0})},
        {"\"line\\nbreak\"=\"x\"", 1, B({'x', 0}), "line\nbreak"},
        {"\"v\"=\"a\\0b\"", {}, {}},
    });
}

TEST(RegistryImport, KeyLinesAsWindowsReadsThem) {
    mr::RegistryTree tree;
    const mr::ImportOutcome outcome = mr::ImportRegistryText(
        "REGEDIT4\r\n"
        "[HKEY_CURRENT_USER\\Software\\Split\\\r\n"  // 2: a key name split over lines
        "Sub]\r\n"                                   // 3
        "\"lost\"=\"x\"\r\n"                         // 4: below the skipped key line
        "[HKCU\\Software\\Short]\r\n"                // 5: files name roots in full
        "[HKEY_USERS\\x]\r\n"                        // 6: no such root on this machine
        " [hkey_current_user\\Software\\A]b] ;note\r\n"
        "\"v\"=\"1\"\r\n"
        "[HKEY_CLASSES_ROOT\\.bmp]\r\n"
        "@=\"Paint.Picture\"\r\n",
        tree);
    EXPECT_TRUE(outcome.read);
    std::vector<size_t> lines;
    for (const auto& problem : outcome.problems) lines.push_back(problem.line);
    EXPECT_EQ(lines, (std::vector<size_t>{2, 3, 4, 5, 6}));
    EXPECT_EQ(tree.FindKey("HKCU\\Software\\Split"), nullptr);
    EXPECT_EQ(tree.FindKey("HKCU\\Software\\Short"), nullptr);
    ASSERT_NE(tree.FindKey("HKCU\\Software\\A]b"), nullptr);  // up to the last ]
    EXPECT_NE(tree.FindKey("HKCU\\Software\\A]b")->FindValue("v"), nullptr);
    EXPECT_EQ(tree.FindKey("HKLM\\Software\\Classes\\.bmp")->FindValue("")->data, mr::StringBytes("Paint.Picture"));
}

TEST(RegistryImport, HeadersAsWindowsReadsThem) {
    struct Case {
        const char* header;
        bool read;     // reg import exits 0
        bool applied;  // the [KEY] line below it is applied
    };
    for (const Case& c : std::initializer_list<Case>{{"REGEDIT4", true, true},
                                                     {"  REGEDIT4  ", true, true},
                                                     {"Windows Registry Editor Version 5.00", true, true},
                                                     {"REGEDIT3", true, false},
                                                     {"REGEDIT 4", true, false},
                                                     {"REGEDIT4 FOO", true, false},
                                                     {"REGEDIT9", true, false},
                                                     {"regedit4", false, false},
                                                     {"Windows Registry Editor Version 5", false, false},
                                                     {"", false, false}}) {
        mr::RegistryTree tree;
        const std::string text = std::string(c.header) + "\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n";
        const mr::ImportOutcome outcome = mr::ImportRegistryText(text, tree);
        EXPECT_EQ(outcome.read, c.read) << c.header;
        EXPECT_EQ(tree.FindKey("HKCU\\Software\\T") != nullptr, c.applied) << c.header;
        EXPECT_EQ(outcome.problems.empty(), c.applied) << c.header;
    }
}

TEST(RegistryImport, Windows31FormSetsDefaultValuesUnderClassesRoot) {
    mr::RegistryTree tree;
    const mr::ImportOutcome outcome = mr::ImportRegistryText(
        "REGEDIT\r\n"
        "HKEY_CLASSES_ROOT\\.txt = txtfile\r\n"
        "HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command =  notepad.exe %1\r\n"
        "HKEY_CLASSES_ROOT\\bare\r\n"
        "[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "HKEY_CURRENT_USER\\Software\\T = x\r\n",
        tree);
    EXPECT_TRUE(outcome.read);
    const auto defaultOf = [&](std::string_view path) { return tree.FindKey(path)->FindValue("")->data; };
    EXPECT_EQ(defaultOf("HKCR\\.txt"), mr::StringBytes("txtfile"));
    EXPECT_EQ(defaultOf("HKCR\\txtfile\\shell\\open\\command"), mr::StringBytes(" notepad.exe %1"));
    EXPECT_EQ(defaultOf("HKCR\\bare"), mr::StringBytes(""));
    EXPECT_EQ(tree.FindKey("HKCU\\Software\\T"), nullptr);
    EXPECT_EQ(outcome.problems.size(), 2u);
}

TEST(RegistryText, ValuesKeepCreationOrderAndSubkeysSortAsWindowsListsThem) {
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey(kKey);
    for (const char* name : {"zeta", "Alpha", "mid"}) key.SetValue(name, 4, B({1, 0, 0, 0}));
    key.SetValue("ALPHA", 4, B({2, 0, 0, 0}));  // a rewrite keeps its place
    key.DeleteValue("zeta");
    key.SetValue("zeta", 4, B({3, 0, 0, 0}));  // a new value goes last
    for (const char* name : {"A_B", "AB", "a"}) key.CreateSubkey(name);
    const std::string text = mr::SerialiseRegistry(tree);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"Alpha\"=dword:00000002\r\n"
                        "\"mid\"=dword:00000001\r\n\"zeta\"=dword:00000003\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Test\\a]\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Test\\AB]\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Test\\A_B]\r\n"),
              std::string::npos)
        << text;
    // Read back, the file's order is the creation order.
    EXPECT_EQ(mr::SerialiseRegistry(Parse(text)), text);
}

TEST(RegistryText, ExportIsVersion5Utf16AsRegWritesIt) {
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey(kKey);
    key.SetValue("s", 1, B({'C', ':', '\\', 0}));
    key.SetValue("empty", 1, B({}));
    key.SetValue("nul", 1, B({'a', 0, 'b', 0}));
    key.SetValue("", 1, B({'d', 0}));
    key.SetValue("e", 2, B({'%', 'A', 0}));
    key.SetValue("m", 7, B({'a', 0, 0}));
    key.SetValue("d", 4, B({0x4B, 0, 0, 0}));
    key.SetValue("b", 3, B({0xDE, 0xAD}));
    key.SetValue("q", 11, B({1, 0, 0, 0, 0, 0, 0, 0}));
    tree.CreateKey(std::string(kKey) + "\\Sub");
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
        "\"s\"=\"C:\\\\\"\r\n"
        "\"empty\"=\"\"\r\n"
        "\"nul\"=\"a\"\r\n"
        "@=\"d\"\r\n"
        "\"e\"=hex(2):25,00,41,00,00,00\r\n"
        "\"m\"=hex(7):61,00,00,00,00,00\r\n"
        "\"d\"=dword:0000004b\r\n"
        "\"b\"=hex:de,ad\r\n"
        "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Test\\Sub]\r\n\r\n";
    std::string bytes = "\xFF\xFE";
    for (char c : text) bytes += std::string{c, '\0'};
    EXPECT_EQ(mr::ExportRegistryKey(*tree.FindKey(kKey), kKey), bytes);
}

TEST(RegistryTree, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey("HKLM\\Software\\MixedCase");
    EXPECT_EQ(tree.FindKey("hkey_local_machine\\SOFTWARE\\mixedcase"), &key);
    EXPECT_EQ(&tree.CreateKey("HKEY_LOCAL_MACHINE\\software\\MIXEDCASE"), &key);
    EXPECT_EQ(key.Name(), "MixedCase");
    key.SetValue("Foo", 4, B({1, 0, 0, 0}));
    key.SetValue("FOO", 3, B({2}));
    ASSERT_EQ(key.Values().size(), 1u);
    EXPECT_EQ(key.FindValue("foo")->name, "Foo");
    EXPECT_EQ(key.FindValue("foo")->type, 3u);
    EXPECT_FALSE(key.SetValueIfMissing("fOO", 4, B({9, 9, 9, 9})));
    EXPECT_EQ(key.FindValue("foo")->data, B({2}));
    EXPECT_TRUE(key.SetValueIfMissing("Bar", 4, B({9, 9, 9, 9})));
}

TEST(RegistryTree, ClassesRootIsLocalMachineSoftwareClasses) {
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey("HKCR\\.bmp");
    EXPECT_EQ(tree.FindKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\.bmp"), &key);
    EXPECT_EQ(tree.FindKey("HKEY_CLASSES_ROOT\\.BMP"), &key);
    EXPECT_EQ(tree.FindKey("HKEY_USERS\\x"), nullptr);
    EXPECT_THROW(tree.CreateKey("HKEY_USERS\\x"), brontar::machine::MachineError);
}

TEST(RegistryTree, NamesThatWouldBreakTheFileAreRefused) {
    mr::RegistryTree tree;
    mr::RegistryKey& key = tree.CreateKey("HKLM\\Software");
    EXPECT_THROW(key.CreateSubkey("a\r\nb"), brontar::machine::MachineError);
    EXPECT_THROW(key.SetValue(std::string_view("a\0b", 3), 1, B({0})), brontar::machine::MachineError);
    EXPECT_THROW(key.CreateSubkey(""), brontar::machine::MachineError);
    EXPECT_TRUE(key.Values().empty());
    EXPECT_TRUE(key.Subkeys().empty());
}

TEST(RegistryTree, DeletingAKeyTakesEverythingBelowButRootsStay) {
    mr::RegistryTree tree;
    tree.CreateKey("HKLM\\Software\\A\\B\\C");
    EXPECT_TRUE(tree.DeleteKey("HKLM\\software\\a"));
    EXPECT_EQ(tree.FindKey("HKLM\\Software\\A\\B\\C"), nullptr);
    EXPECT_NE(tree.FindKey("HKLM\\Software"), nullptr);
    EXPECT_FALSE(tree.DeleteKey("HKLM\\Software\\A"));
    EXPECT_FALSE(tree.DeleteKey("HKLM"));
    EXPECT_NE(tree.FindKey("HKLM"), nullptr);
}

// Windows' limits: names of 255 characters and keys 512 levels deep (the
// root the first); one more is refused with its reason, and a key nested far
// deeper is refused quickly instead of growing the file without end.
TEST(RegistryLimits, LongNamesAndDeepKeysAreRefusedWithTheirReason) {
    const std::string name255(255, 'k');
    std::string deepest = "HKEY_CURRENT_USER";
    for (size_t level = 2; level <= mr::kDeepestKey; ++level) deepest += "\\k";
    std::vector<mr::ParseProblem> problems;
    mr::RegistryTree tree = Parse("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + name255 + "]\r\n[" + deepest + "]\r\n\"v\"=dword:1\r\n",
                                  &problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_NE(tree.FindKey(deepest), nullptr);

    std::string farTooDeep = "HKEY_CURRENT_USER";
    for (int level = 0; level < 100000; ++level) farTooDeep += "\\k";
    Parse("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + name255 + "x]\r\n[" + deepest + "\\k]\r\n[" + farTooDeep +
              "]\r\n\"v\"=dword:1\r\n",
          &problems);
    ASSERT_GE(problems.size(), 3u);  // and the value line below the refused key
    EXPECT_EQ(problems[0].message, "key name longer than 255 characters");
    EXPECT_EQ(problems[1].message, "key deeper than 512 levels");
    EXPECT_EQ(problems[2].message, "key deeper than 512 levels");
    EXPECT_THROW(tree.CreateKey(deepest + "\\k"), brontar::machine::MachineError);
    EXPECT_FALSE(mr::IsStorableKeyName(name255 + "x"));
}

// A tree deeper than any limit (built key by key, as no file can make it)
// still copies and goes away without exhausting the stack.
TEST(RegistryLimits, DepthNeverReachesTheCallStack) {
    auto tree = std::make_unique<mr::RegistryTree>();
    mr::RegistryKey* key = tree->FindKey("HKCU");
    for (int level = 0; level < 300000; ++level) key = &key->CreateSubkey("k");
    key->SetValue("v", mr::kTypeDword, mr::DwordBytes(7));
    auto copy = std::make_unique<mr::RegistryTree>(*tree);
    tree.reset();
    const mr::RegistryKey* copied = copy->FindKey("HKCU");
    for (int level = 0; level < 300000 && copied != nullptr; ++level) copied = copied->FindSubkey("k");
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied->FindValue("v"), nullptr);
    copy.reset();
}

}  // namespace
