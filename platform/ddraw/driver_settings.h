// The registry as a display driver reads it.
#pragma once

#include <cstdint>
#include <optional>

namespace brontar::platform {

// A REG_DWORD value of a key below HKEY_LOCAL_MACHINE: nothing when the key
// or the value is absent or the value is not a four-byte REG_DWORD.
std::optional<uint32_t> ReadDriverDword(const char* key, const char* value);

}  // namespace brontar::platform
