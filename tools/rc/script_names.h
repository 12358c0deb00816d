// The names a resource script may use without defining them: the Win32
// constants of styles, languages and versions, and the predefined control
// classes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace brontar::rc {

// Symbolic constants a script may use without defining them.
const std::map<std::string, uint32_t, std::less<>>& BuiltinConstants();

// Window class ordinals of the predefined control classes (any case).
std::optional<uint16_t> PredefinedClassOrdinal(std::string_view name);

// The text in capitals, as Windows' resource compilers store class names.
std::string ToUpper(std::string text);

}  // namespace brontar::rc
