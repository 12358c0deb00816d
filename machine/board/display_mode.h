// A display mode of a display driver: resolution and colour depth.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brontar::machine {

struct DisplayMode {
    int width = 0;         // in pixels
    int height = 0;        // in rows
    int bitsPerPixel = 0;  // 8, 16, 24 or 32

    bool operator==(const DisplayMode&) const = default;
};

// Reads "640x480x16"; nothing when the text is not such a mode or a number is
// out of range (1 to 4096 pixels, a depth of 8, 16, 24 or 32).
std::optional<DisplayMode> ParseDisplayMode(std::string_view text);

// "640x480x16".
std::string FormatDisplayMode(const DisplayMode& mode);

}  // namespace brontar::machine
