#include "machine/guid_text.h"

namespace brontar::machine {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<GuidBytes> ParseGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    // Two hex digits a byte in text order, dashes at their fixed places.
    uint8_t digits[16];
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
        }
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digits[count++] = static_cast<uint8_t>(high << 4 | low);
    }
    return GuidBytes{digits[3], digits[2], digits[1], digits[0], digits[5],  digits[4],  digits[7],  digits[6],
                     digits[8], digits[9], digits[10], digits[11], digits[12], digits[13], digits[14], digits[15]};
}

}  // namespace brontar::machine
