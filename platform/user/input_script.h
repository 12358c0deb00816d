// The input script of BRONTAR_INPUT: what a user would do, item by item.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace brontar::platform {

struct InputItem {
    enum class Kind {
        WaitFrames,   // until this many frames were presented since the script started
        WaitMs,       // this many milliseconds after the previous item
        Key,          // the character typed
        ClickLeft,    // left mouse button in the middle of the window
        ClickRight,   // right mouse button in the middle of the window
        Close,        // the user closes the window
        NamedKey,     // a key by name, with Shift, Ctrl or Alt held
        Click,        // left button pressed and released at x, y
        Press,        // left button pressed at x, y
        Release,      // left button released at x, y
        Move,         // the pointer moves to x, y
    };
    Kind kind = Kind::Close;
    uint64_t count = 0;  // frames or milliseconds of a wait
    char character = 0;  // the key's character
    int x = 0;           // pointer items: client coordinates of the main window
    int y = 0;
    int virtualKey = 0;  // NamedKey: the key, and the modifiers held with it
    bool shift = false;
    bool control = false;
    bool alt = false;

    bool operator==(const InputItem&) const = default;
};

// The items of a script, separated by ';'. A malformed item is reported with
// a diagnostic line and skipped; empty items are ignored.
std::vector<InputItem> ParseInputScript(std::string_view script);

}  // namespace brontar::platform
