// The general INF reader and its registry lines, as the monitor import and
// the installer both use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/inf/inf_file.h"
#include "machine/inf/inf_registry.h"

namespace {

using brontar::machine::inf::InfError;
using brontar::machine::inf::InfFile;
using brontar::machine::inf::InfLine;
namespace inf = brontar::machine::inf;
namespace reg = brontar::machine::registry;

// The one line of [S] in text.
InfLine OnlyLine(const std::string& text, const inf::DirectoryIds& directories = {}) {
    const InfFile file = InfFile::Parse(text, directories);
    const std::vector<InfLine>* section = file.Section("S");
    EXPECT_NE(section, nullptr);
    if (section == nullptr || section->size() != 1) {
        ADD_FAILURE() << "not one line in [S] of: " << text;
        return {};
    }
    return section->front();
}

TEST(InfFile, ReadsKeysFieldsQuotesCommentsAndContinuations) {
    const struct {
        const char* text;
        const char* key;
        std::vector<std::string> fields;
        int line;
    } cases[] = {
        {"[S]\r\nname = a , b,,c\r\n", "name", {"a", "b", "", "c"}, 2},
        {"[S]\na=\"x, y; z\" ; a comment\n", "a", {"x, y; z"}, 2},
        {"[S]\nsay=\"he said \"\"hi\"\"\"\n", "say", {"he said \"hi\""}, 2},
        {"[S]\na=1,\\\n  2,\\\n  3\n", "a", {"1", "2", "3"}, 2},
        {"; before\n\n[s] ; comment\nlonely\n", "", {"lonely"}, 4},
        {"[S]\nk=\n", "k", {""}, 2},
        {"[S]\nk=\"a=b\"\n", "k", {"a=b"}, 2},
        {"[S]\nk=v\n\x1A[T]\ngarbage\n", "k", {"v"}, 2},
    };
    for (const auto& c : cases) {
        const InfLine line = OnlyLine(c.text);
        EXPECT_EQ(line.key, c.key) << c.text;
        EXPECT_EQ(line.fields, c.fields) << c.text;
        EXPECT_EQ(line.number, c.line) << c.text;
    }
}

TEST(InfFile, SubstitutesStringsAndNumberedFoldersAndReportsWhatNothingDefines) {
    const std::string text =
        "[S]\n"
        "%Key%=%Name%,%11%\\X.DLL,%12%\\Y,100%%,%Nowhere%\n"
        "[Strings]\n"
        "key=\"Brontar\"\n"
        "Name=\"Brontar 3D, settings\"\n";
    const InfLine line = OnlyLine(text, {{10, "C:\\WINDOWS"}, {11, "C:\\WINDOWS\\SYSTEM"}});
    EXPECT_EQ(line.key, "Brontar");
    // A string's commas are text: fields are split before substitution.
    EXPECT_EQ(line.fields, (std::vector<std::string>{"Brontar 3D, settings", "C:\\WINDOWS\\SYSTEM\\X.DLL",
                                                     "%12%\\Y", "100%", "%Nowhere%"}));
    const InfFile file = InfFile::Parse(text);
    ASSERT_EQ(file.UnresolvedStrings().size(), 1u);
    EXPECT_EQ(file.UnresolvedStrings()[0].name, "Nowhere");
    EXPECT_EQ(file.UnresolvedStrings()[0].line, 2);
}

TEST(InfFile, ReadsUtf16AndMergesSectionsOfOneName) {
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[S]\r\na=1\r\n[t]\r\nb=2\r\n[s]\r\nc=3\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    const InfFile file = InfFile::Parse(utf16);
    ASSERT_NE(file.Section("s"), nullptr);
    EXPECT_EQ(file.Section("s")->size(), 2u);
    EXPECT_EQ(file.Value("S", "C"), "3");
    EXPECT_EQ(file.Value("T", "b"), "2");
    EXPECT_EQ(file.Value("T", "c"), std::nullopt);
    EXPECT_EQ(file.Section("missing"), nullptr);
}

TEST(InfFile, RefusesWhatIsNotAnInf) {
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"[Version]\nSignature=x\n[Strings\nk=v\n", "line 3: section name without ']'"},
        {std::string("[S]\nk=v\0w\n", 10), "not a text file"},
        {std::string((4 << 20) + 1, ';'), "over 4 MB"},
    };
    for (const auto& c : cases) {
        try {
            InfFile::Parse(c.bytes);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const InfError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(InfFile, ReadsNumbersAsSetupWritesThem) {
    const struct {
        const char* text;
        std::optional<uint32_t> value;
    } cases[] = {{"16", 16},         {"0x10", 16},          {"0X0001000F", 0x1000F}, {"4294967295", 0xFFFFFFFFu},
                 {"4294967296", {}}, {"0x", {}},            {"", {}},                {"-1", {}},
                 {"12abc", {}},      {"0x1FFFFFFFF", {}}};
    for (const auto& c : cases) EXPECT_EQ(inf::ReadInfNumber(c.text), c.value) << c.text;
}

// The value an AddReg line leaves below an empty root.
reg::RegistryKey Added(const std::vector<std::string>& lines) {
    std::string text = "[S]\n";
    for (const std::string& line : lines) text += line + "\n";
    const InfFile file = InfFile::Parse(text);
    reg::RegistryKey root("root");
    for (const InfLine& line : *file.Section("S")) inf::ApplyAddRegLine(line, root);
    return root;
}

TEST(InfRegistryLines, FlagsPickTypeAndData) {
    const struct {
        const char* line;
        uint32_t type;
        reg::Bytes data;
    } cases[] = {
        {"HKR,K,V,,Apartment", reg::kTypeString, reg::StringBytes("Apartment")},
        {"HKR,K,V,0,\"\"", reg::kTypeString, reg::StringBytes("")},
        {"HKR,K,V,0x20000,%%SystemRoot%%", reg::kTypeExpandString, reg::StringBytes("%SystemRoot%")},
        {"HKR,K,V,0x10000,a,b", reg::kTypeMultiString, {'a', 0, 'b', 0, 0}},
        {"HKR,K,V,0x10001,0x12345678", reg::kTypeDword, {0x78, 0x56, 0x34, 0x12}},
        {"HKR,K,V,0x10001,01,02,03,04", reg::kTypeDword, {1, 2, 3, 4}},
        {"HKR,K,V,1,ff,0x00,7", reg::kTypeBinary, {0xFF, 0x00, 0x07}},
    };
    for (const auto& c : cases) {
        const reg::RegistryKey root = Added({c.line});
        const reg::RegistryKey* key = root.FindSubkey("k");
        ASSERT_NE(key, nullptr) << c.line;
        const reg::RegistryValue* value = key->FindValue("v");
        ASSERT_NE(value, nullptr) << c.line;
        EXPECT_EQ(value->type, c.type) << c.line;
        EXPECT_EQ(value->data, c.data) << c.line;
    }
}

TEST(InfRegistryLines, KeepDeleteAndDefaultValues) {
    const reg::RegistryKey root = Added({
        "HKR,A\\B,,,first",         // the default value of A\B
        "HKR,A\\B,,2,second",       // kept: one is there
        "HKR,A\\B,Gone,,x",
        "HKR,A\\B,Gone,4",          // deleted again
        "HKR,A\\\\C",               // a key alone; the empty name between is skipped
    });
    const reg::RegistryKey* b = root.FindSubkey("A")->FindSubkey("B");
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Values().size(), 1u);
    EXPECT_EQ(b->FindValue("")->data, reg::StringBytes("first"));
    EXPECT_NE(root.FindSubkey("A")->FindSubkey("C"), nullptr);
}

TEST(InfRegistryLines, ARefusedLineNamesItselfAndLeavesNothing) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"HKR,New\\Key,V,lots,x", "line 2: the flags 'lots' are not a number"},
        {"HKR,New\\Key,V,0x10001,twelve", "line 2: 'twelve' is not a number"},
        {"HKR,New\\Key,V,1,zz", "line 2: 'zz' is not a hex byte"},
        {"HKR,New\\Key,V,0x30000,x", "line 2: unknown registry flags"},
        // Deeper than the registry file can hold below the monitor's class key.
        {"HKR,DEEP,V,,x", "line 2: the key lies deeper than 256 levels"},
    };
    std::string deep = "New";
    for (int i = 0; i < 256; ++i) deep += "\\K";
    for (const auto& c : cases) {
        std::string text = std::string("[S]\n") + c.line + "\n";
        if (const size_t at = text.find("DEEP"); at != std::string::npos) text.replace(at, 4, deep);
        const InfFile file = InfFile::Parse(text);
        reg::RegistryKey root("root");
        try {
            inf::ApplyAddRegLine(file.Section("S")->front(), root);
            ADD_FAILURE() << "accepted: " << c.line;
        } catch (const InfError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_TRUE(root.Subkeys().empty()) << c.line;
    }
}

TEST(InfRegistryLines, DelRegRemovesAKeyWithItsSubkeysOrOneValue) {
    reg::RegistryKey root = Added({"HKR,A\\B\\C,V,,1", "HKR,A\\B,W,,2", "HKR,A\\B,X,,3", "HKR,Other,V,,4"});
    const InfFile file = InfFile::Parse("[S]\nHKR,A\\B,W\nHKR,Other\nHKR,Missing\\Key\nHKR,A\\B\\C\\D,V\nHKR,\n");
    for (const InfLine& line : *file.Section("S")) inf::ApplyDelRegLine(line, root);
    const reg::RegistryKey* b = root.FindSubkey("A")->FindSubkey("B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FindValue("W"), nullptr);
    EXPECT_NE(b->FindValue("X"), nullptr);
    EXPECT_NE(b->FindSubkey("C"), nullptr);
    EXPECT_EQ(root.FindSubkey("Other"), nullptr);
    EXPECT_EQ(root.Subkeys().size(), 1u);  // "HKR," alone never removes the root

    const InfFile whole = InfFile::Parse("[S]\nHKR,a\n");
    inf::ApplyDelRegLine(whole.Section("S")->front(), root);
    EXPECT_TRUE(root.Subkeys().empty());
}

}  // namespace
