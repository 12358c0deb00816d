// Reading the binary dialog template: the header, the font, and each item
// with its class and title.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brontar::platform {

// One control of a template; positions in dialog units.
struct DialogTemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT units{};            // left, top, right, bottom in dialog units
    WORD id = 0;
    std::string className;   // predefined ordinals mapped to their names
    std::string title;       // UTF-8; "#n" for an ordinal title
};

struct DialogTemplateData {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT units{};
    std::string caption;
    WORD pointSize = 0;      // 0 without DS_SETFONT
    std::string faceName;
    std::vector<DialogTemplateItem> items;
};

// Parses a template of at most `size` bytes (the resource's size); nothing
// when it is truncated or uses a form this platform does not read (menus,
// extended templates), with a diagnostic naming what is missing.
std::optional<DialogTemplateData> ParseDialogTemplate(const void* data, size_t size);


}  // namespace brontar::platform
