// GUIDs as text: the one grammar of the registry's class keys and of the
// identities machine.ini gives its drivers and devices.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brontar::machine {

// A GUID's 16 bytes as the structure lies in memory: its first three fields
// least significant byte first, then the last eight bytes in text order.
using GuidBytes = std::array<uint8_t, 16>;

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits of either case).
// The braces may be left out, both together: machine.ini has always taken
// identities without them. Nothing for anything else, blanks included.
std::optional<GuidBytes> ParseGuid(std::string_view text);

}  // namespace brontar::machine
