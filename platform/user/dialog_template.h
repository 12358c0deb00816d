// Reading the binary dialog template: the header, the font, and each item
// with its class and title.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brontar::platform {

// A position and size in dialog units, as a template stores them. The
// dialog manager scales each of the four numbers on its own, so a control's
// width never depends on where it starts.
struct DialogUnitBox {
    LONG x = 0;
    LONG y = 0;
    LONG cx = 0;
    LONG cy = 0;
};

// One control of a template.
struct DialogTemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogUnitBox units;
    WORD id = 0;
    std::string className;   // predefined ordinals mapped to their names
    std::string title;       // UTF-8; "#n" for an ordinal title
};

struct DialogTemplateData {
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogUnitBox units;
    std::string caption;
    WORD pointSize = 0;      // 0 without DS_SETFONT
    std::string faceName;
    std::vector<DialogTemplateItem> items;
};

// Writes a dialog template in memory (little-endian words, items on
// four-byte boundaries), for the dialogs the platform makes itself.
class DialogTemplateWriter {
public:
    // The header: style, caption, and the 8-point font by name; the items
    // counted as they are added. Position and size are 0: the maker lays
    // the dialog out once it knows its font.
    DialogTemplateWriter(DWORD style, const char* caption, const char* faceName);
    // An item at 0, 0 of size 0, with its class by name.
    void Item(const char* className, const char* title, WORD id, DWORD style);
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Word(WORD value);
    void Dword(DWORD value);
    void Text(const char* text);  // UTF-8 to UTF-16, zero-ended
    std::vector<uint8_t> bytes_;
    size_t countOffset_ = 0;
};

// Parses a template of at most `size` bytes (the resource's size); nothing
// when it is truncated or uses a form this platform does not read (menus,
// extended templates), with a diagnostic naming what is missing.
std::optional<DialogTemplateData> ParseDialogTemplate(const void* data, size_t size);


}  // namespace brontar::platform
