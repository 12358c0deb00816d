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
        ClickLeft,    // left mouse button on the window
        ClickRight,   // right mouse button on the window
        Close,        // the user closes the window
    };
    Kind kind = Kind::Close;
    uint64_t count = 0;  // frames or milliseconds of a wait
    char character = 0;  // the key's character

    bool operator==(const InputItem&) const = default;
};

// The items of a script, separated by ';'. A malformed item is reported with
// a diagnostic line and skipped; empty items are ignored.
std::vector<InputItem> ParseInputScript(std::string_view script);

}  // namespace brontar::platform
