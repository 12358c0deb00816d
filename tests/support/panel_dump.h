// Reading the panel's dump in tests: a control's rectangle, and the lines
// without their rectangles.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace brontar::testing {

struct DumpedRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int centreX() const { return x + width / 2; }
    int centreY() const { return y + height / 2; }
};

// The rect=X,Y,W,H of the dump line of control `id`.
inline std::optional<DumpedRect> RectFromDump(const std::string& dump, int id) {
    const std::string start = std::to_string(id) + " ";
    for (size_t line = 0; line < dump.size();) {
        size_t end = dump.find('\n', line);
        if (end == std::string::npos) end = dump.size();
        const std::string text = dump.substr(line, end - line);
        line = end + 1;
        if (text.compare(0, start.size(), start) != 0) continue;
        const size_t at = text.find(" rect=");
        DumpedRect rect;
        if (at != std::string::npos &&
            std::sscanf(text.c_str() + at, " rect=%d,%d,%d,%d", &rect.x, &rect.y, &rect.width, &rect.height) == 4)
            return rect;
    }
    return std::nullopt;
}

// The dump with every " rect=..." field taken out.
inline std::string WithoutRects(std::string dump) {
    for (size_t at; (at = dump.find(" rect=")) != std::string::npos;) {
        size_t end = at + 6;
        while (end < dump.size() && dump[end] != ' ' && dump[end] != '\n') ++end;
        dump.erase(at, end - at);
    }
    return dump;
}

}  // namespace brontar::testing
