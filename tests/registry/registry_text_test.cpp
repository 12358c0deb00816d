// The registry file format: every value form, round trips byte for byte,
// continuation lines, escapes, deletions, version 5 files and bad lines.
#include <gtest/gtest.h>

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
    for (const auto& [folded, value] : key.Values()) {
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
    EXPECT_EQ(lines, (std::vector<size_t>{4, 5, 6, 7, 8, 10, 11, 14}));
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
    EXPECT_THROW(key.SetValue("a\nb", 1, B({0})), brontar::machine::MachineError);
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
    ASSERT_EQ(problems.size(), 3u);
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
