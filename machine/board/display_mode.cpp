#include "machine/board/display_mode.h"

#include <charconv>

#include "machine/plain_text.h"

namespace brontar::machine {

namespace {

constexpr int kMaxDimension = 4096;

// One decimal number ending at the next 'x' (or the end); advances the text.
std::optional<int> TakeNumber(std::string_view& text, bool last) {
    const size_t end = last ? text.size() : text.find_first_of("xX");
    if (end == std::string_view::npos || end == 0) return std::nullopt;
    int value = 0;
    auto [ptr, error] = std::from_chars(text.data(), text.data() + end, value);
    if (error != std::errc() || ptr != text.data() + end) return std::nullopt;
    text.remove_prefix(last ? end : end + 1);
    return value;
}

}  // namespace

std::optional<DisplayMode> ParseDisplayMode(std::string_view text) {
    text = Trim(text);
    const auto width = TakeNumber(text, false);
    const auto height = width ? TakeNumber(text, false) : std::nullopt;
    const auto bits = height ? TakeNumber(text, true) : std::nullopt;
    if (!bits) return std::nullopt;
    if (*width < 1 || *width > kMaxDimension || *height < 1 || *height > kMaxDimension) return std::nullopt;
    if (*bits != 8 && *bits != 16 && *bits != 24 && *bits != 32) return std::nullopt;
    return DisplayMode{*width, *height, *bits};
}

std::string FormatDisplayMode(const DisplayMode& mode) {
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" + std::to_string(mode.bitsPerPixel);
}

}  // namespace brontar::machine
