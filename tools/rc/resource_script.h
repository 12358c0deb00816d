// The resource compiler's model of a resource script: string tables, dialog
// templates and version information, each tagged with the language it was
// declared under.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace brontar::rc {

// A script that cannot be compiled: the message names the file and line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One string of a STRINGTABLE: its id and UTF-8 text.
struct StringEntry {
    uint16_t language = 0;
    uint16_t id = 0;
    std::string text;
};

// A class or title given either as an ordinal (0xFFFF form) or as text.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text;  // UTF-8
};

// One control of a dialog template, in dialog units.
struct DialogItem {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
};

// One DIALOG resource.
struct DialogTemplate {
    uint16_t language = 0;
    uint16_t id = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    bool hasFont = false;
    uint16_t pointSize = 0;
    std::string faceName;
    std::vector<DialogItem> items;
};

// One node below a VERSIONINFO: a BLOCK with children, or a VALUE with a
// text or with 16-bit words.
struct VersionNode {
    std::string key;  // UTF-8
    bool isBlock = false;
    bool isText = false;
    std::string text;             // UTF-8, for a text VALUE
    std::vector<uint16_t> words;  // for a VALUE of numbers
    std::vector<VersionNode> children;
};

// One VERSIONINFO resource: the fixed part (versions as most and least
// significant double words) and its blocks.
struct VersionInfo {
    uint16_t language = 0;
    uint16_t id = 0;
    uint32_t fileVersion[2] = {0, 0};
    uint32_t productVersion[2] = {0, 0};
    uint32_t fileFlagsMask = 0, fileFlags = 0, fileOs = 0, fileType = 0, fileSubtype = 0;
    std::vector<VersionNode> blocks;
};

// Everything one script declares.
struct ResourceScript {
    std::vector<StringEntry> strings;
    std::vector<DialogTemplate> dialogs;
    std::vector<VersionInfo> versions;
};

// Parses a script file (and the files it #includes, relative to it).
// Throws ScriptError.
ResourceScript ParseResourceScript(const std::filesystem::path& file);

// Parses script text; includes are looked up relative to baseFolder.
ResourceScript ParseResourceText(const std::string& text, const std::string& fileName,
                                 const std::filesystem::path& baseFolder);

}  // namespace brontar::rc
