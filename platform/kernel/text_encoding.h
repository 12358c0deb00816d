// Text of compiled resources (UTF-16) as the narrow strings the programs see.
#pragma once

#include <string>
#include <string_view>

namespace brontar::platform {

// UTF-16 to UTF-8. A surrogate pair becomes one code point; a lone surrogate
// is kept as its own code unit, as Windows passes such text through.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace brontar::platform
