// Plain text helpers with no outside dependency, shared by the machine's
// parsers and by the front ends that also build for Windows.
#pragma once

#include <string>
#include <string_view>

namespace brontar::machine {

// Lower-case ASCII copy, for case-insensitive matching of DOS names.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The text without blanks (spaces, tabs, line ends) at either end.
std::string_view Trim(std::string_view text);

}  // namespace brontar::machine
