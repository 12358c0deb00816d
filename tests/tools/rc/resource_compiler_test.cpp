// The resource compiler: scripts to .res images, read back by the platform.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/kernel/module_table.h"
#include "tools/rc/resource_script.h"
#include "tools/rc/resource_writer.h"

namespace {

using brontar::platform::FindResourceEntry;
using brontar::platform::ParseResourceImage;
using brontar::rc::EncodeResources;
using brontar::rc::ParseResourceText;
using brontar::rc::ScriptError;

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Dword(const uint8_t* p) { return Word(p) | (static_cast<uint32_t>(Word(p + 2)) << 16); }

brontar::rc::ResourceScript Parse(const std::string& text) { return ParseResourceText(text, "test.rc", "."); }

TEST(ResourceCompilerTest, StringTablesLandInBlocksPerLanguage) {
    const auto image = EncodeResources(Parse(R"(
        LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
        STRINGTABLE BEGIN 27, " file missing" 28 "Err" END
        LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT
        STRINGTABLE BEGIN 27, "ﾌｧｲﾙ" END)"));
    const auto entries = ParseResourceImage(image.data(), image.size());
    ASSERT_EQ(entries.size(), 2u);
    // Ids 16..31 live in block 2.
    const auto* english = FindResourceEntry(entries, 6, 2, 0x0409);
    const auto* japanese = FindResourceEntry(entries, 6, 2, 0x0411);
    ASSERT_NE(english, nullptr);
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(english->language, 0x0409);
    EXPECT_EQ(japanese->language, 0x0411);
    // Slots 16..26 are empty (one zero length each), slot 27 holds 13 units.
    const uint8_t* p = english->data;
    for (int slot = 0; slot < 11; ++slot, p += 2) EXPECT_EQ(Word(p), 0) << slot;
    ASSERT_EQ(Word(p), 13);
    EXPECT_EQ(Word(p + 2), ' ');
    EXPECT_EQ(Word(p + 4), 'f');
    // Half-width katakana FU is U+FF8C: one UTF-16 unit.
    const uint8_t* q = japanese->data + 11 * 2;
    ASSERT_EQ(Word(q), 4);
    EXPECT_EQ(Word(q + 2), 0xFF8C);
}

TEST(ResourceCompilerTest, DialogTemplateHasWin32Layout) {
    const auto image = EncodeResources(Parse(R"(
        #define IDC_LIST 1036
        113 DIALOG 0, 0, 227, 215
        STYLE WS_CHILD | WS_CAPTION
        CAPTION "Pg"
        FONT 8, "MS Sans Serif"
        BEGIN
            COMBOBOX IDC_LIST, 14, 17, 70, 70, CBS_DROPDOWNLIST | WS_TABSTOP
            LTEXT "", 1038, 14, 36, 100, 9, NOT WS_VISIBLE
            CONTROL "", 1062, "msctls_trackbar32", TBS_AUTOTICKS, 36, 122, 104, 14
        END)"));
    const auto entries = ParseResourceImage(image.data(), image.size());
    const auto* dialog = FindResourceEntry(entries, 5, 113, 0x0409);
    ASSERT_NE(dialog, nullptr);
    const uint8_t* p = dialog->data;
    EXPECT_EQ(Dword(p), 0x40000000u | 0x00C00000u | 0x40u);  // WS_CHILD | WS_CAPTION | DS_SETFONT
    EXPECT_EQ(Word(p + 8), 3);                                 // controls
    EXPECT_EQ(Word(p + 14), 227);
    EXPECT_EQ(Word(p + 16), 215);
    EXPECT_EQ(Word(p + 18), 0);  // no menu
    EXPECT_EQ(Word(p + 20), 0);  // default class
    EXPECT_EQ(Word(p + 22), 'P');
    EXPECT_EQ(Word(p + 26), 0);
    EXPECT_EQ(Word(p + 28), 8);  // point size
    // Face name "MS Sans Serif" (13 units + terminator) ends at 30 + 28 = 58;
    // the first item starts at the next multiple of four: 60.
    const uint8_t* item = p + 60;
    EXPECT_EQ(Dword(item), 0x50000000u | 0x00010000u | 0x3u);  // child, visible, tab stop, drop-down list
    EXPECT_EQ(Word(item + 8), 14);
    EXPECT_EQ(Word(item + 16), 1036);
    EXPECT_EQ(Word(item + 18), 0xFFFF);
    EXPECT_EQ(Word(item + 20), 0x85);  // COMBOBOX
    // Hidden static: WS_VISIBLE cleared, WS_GROUP kept.
    const uint8_t* second = p + 60 + 28;  // 18 + class 4 + empty title 2 + extra 2 = 26, aligned to 28
    EXPECT_EQ(Dword(second), 0x40000000u | 0x00020000u);
    EXPECT_EQ(Word(second + 16), 1038);
    EXPECT_EQ(Word(second + 20), 0x82);
}

TEST(ResourceCompilerTest, FaultyScriptsAreRejectedWithTheirLine) {
    const char* faulty[] = {
        "STRINGTABLE BEGIN 2, \"open END",         // unterminated string
        "STRINGTABLE BEGIN 2, \"a\" 2, \"b\" END",  // duplicate id
        "113 DIALOG 0,0,1,1 BEGIN LTEXT \"\", 5, 0, 0, 1, 1, WS_UNKNOWN END",
        "113 MENU BEGIN END",
        "STRINGTABLE BEGIN 2, \"a\"",                // no END
        "#define A A\nSTRINGTABLE BEGIN A, \"x\" END",  // endless macro
        "STRINGTABLE BEGIN 99999999999, \"x\" END",
        "STRINGTABLE DISCARDABLE",                   // ends before BEGIN (looped for ever once)
    };
    for (const char* script : faulty) {
        EXPECT_THROW(EncodeResources(Parse(script)), ScriptError) << script;
    }
    try {
        Parse("\n\n113 MENU");
        FAIL();
    } catch (const ScriptError& error) {
        EXPECT_NE(std::strstr(error.what(), "test.rc:3"), nullptr) << error.what();
    }
}

TEST(ResourceCompilerTest, MalformedImagesKeepTheEntriesBeforeTheFault) {
    auto image = EncodeResources(Parse("STRINGTABLE BEGIN 2, \"a\" END 113 DIALOG 0,0,1,1 BEGIN END"));
    ASSERT_EQ(ParseResourceImage(image.data(), image.size()).size(), 2u);
    // Claim a data size beyond the image for the dialog (third entry).
    const size_t marker = 32;
    const size_t strings = marker + 32 + ((Dword(image.data() + marker) + 3) & ~3u);
    image[strings] = 0xFF;
    image[strings + 1] = 0xFF;
    EXPECT_EQ(ParseResourceImage(image.data(), image.size()).size(), 1u);
}

}  // namespace

namespace {

// Includes and defines let one layout serve every language.
TEST(ResourceCompilerTest, IncludesAndDefinesShareALayout) {
    const auto folder = std::filesystem::temp_directory_path() / ("rc-include-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream layout(folder / "layout.rci");
        layout << "7 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT CAPTION_TEXT, 1, 0, 0, 5, 5\nEND\n";
        std::ofstream script(folder / "main.rc");
        script << "#define CAPTION_TEXT \"One\"\n#include \"layout.rci\"\n#undef CAPTION_TEXT\n"
                  "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n#define CAPTION_TEXT \"Two\"\n#include \"layout.rci\"\n";
    }
    const auto script = brontar::rc::ParseResourceScript(folder / "main.rc");
    std::filesystem::remove_all(folder);
    ASSERT_EQ(script.dialogs.size(), 2u);
    EXPECT_EQ(script.dialogs[0].items[0].title.text, "One");
    EXPECT_EQ(script.dialogs[0].language, 0x0409);
    EXPECT_EQ(script.dialogs[1].items[0].title.text, "Two");
    EXPECT_EQ(script.dialogs[1].language, 0x0411);
    EXPECT_THROW(brontar::rc::ParseResourceScript(folder / "missing.rc"), ScriptError);
    EXPECT_THROW(Parse("#include \"nowhere.rci\""), ScriptError);
    EXPECT_THROW(Parse("#pragma code_page(932)"), ScriptError);
}

// A header of ids, shared with C++ code, names the ids of a script and of the
// files it includes; #pragma once keeps a second inclusion out.
TEST(ResourceCompilerTest, IdHeaderIsReadOnceAndNamesIds) {
    const auto folder = std::filesystem::temp_directory_path() / ("rc-once-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "sub");
    {
        std::ofstream(folder / "ids.h") << "#pragma once\n#define IDD_LAYOUT 7\n#define IDC_TEXT 1036\n"
                                           "#define IDS_TITLE 24\nSTRINGTABLE BEGIN 9, \"once\" END\n";
        std::ofstream(folder / "sub" / "layout.rci")
            << "#include \"../ids.h\"\nIDD_LAYOUT DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"\", IDC_TEXT, 0, 0, 5, 5\nEND\n";
        std::ofstream(folder / "main.rc") << "#include \"ids.h\"\n#include \"sub/layout.rci\"\n"
                                             "STRINGTABLE BEGIN IDS_TITLE, \"Title\" END\n";
    }
    const auto script = brontar::rc::ParseResourceScript(folder / "main.rc");
    std::filesystem::remove_all(folder);
    ASSERT_EQ(script.dialogs.size(), 1u);
    EXPECT_EQ(script.dialogs[0].id, 7);
    ASSERT_EQ(script.dialogs[0].items.size(), 1u);
    EXPECT_EQ(script.dialogs[0].items[0].id, 1036);
    ASSERT_EQ(script.strings.size(), 2u);  // the header's own table once, then the script's
    EXPECT_EQ(script.strings[0].id, 9);
    EXPECT_EQ(script.strings[1].id, 24);
    // Without the guard a header is read each time it is included.
    const auto twice = std::filesystem::temp_directory_path() / ("rc-twice-" + std::to_string(::getpid()));
    std::filesystem::create_directories(twice);
    std::ofstream(twice / "table.h") << "STRINGTABLE BEGIN 9, \"again\" END\n";
    std::ofstream(twice / "main.rc") << "#include \"table.h\"\n#include \"table.h\"\n";
    const auto repeated = brontar::rc::ParseResourceScript(twice / "main.rc");
    std::filesystem::remove_all(twice);
    EXPECT_EQ(repeated.strings.size(), 2u);
}

TEST(ResourceCompilerTest, TextsEscapesAndMalformedUtf8) {
    const auto script = Parse("STRINGTABLE BEGIN 2, \"say \"\"hi\"\"\\tnow\" END");
    EXPECT_EQ(script.strings[0].text, "say \"hi\"\tnow");
    EXPECT_THROW(EncodeResources(Parse("STRINGTABLE BEGIN 2, \"\xC3\" END")), ScriptError);   // cut short
    EXPECT_THROW(EncodeResources(Parse("STRINGTABLE BEGIN 2, \"\xFF\x41\" END")), ScriptError);  // no lead byte
    EXPECT_EQ(brontar::rc::Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));  // a surrogate pair
}

}  // namespace
