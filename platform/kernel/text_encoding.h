// Text of compiled resources (UTF-16) as the narrow strings the programs see.
#pragma once

#include <string>
#include <string_view>

namespace brontar::platform {

// UTF-16 to UTF-8. A surrogate pair becomes one code point; a lone surrogate
// is kept as its own code unit, as Windows passes such text through.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; a byte that starts no valid sequence stands for itself
// (as code page 1252 would read it), so no input is lost.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace brontar::platform
