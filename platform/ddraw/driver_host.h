// What the DirectDraw and Direct3D runtimes give the display driver and take
// from it: the registry as the driver reads its settings, and its identities
// as GUIDs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "machine/board/driver.h"

namespace brontar::platform {

// A REG_DWORD value of a key below HKEY_LOCAL_MACHINE: nothing when the key
// or the value is absent or the value is not a four-byte REG_DWORD.
std::optional<uint32_t> ReadDriverDword(const char* key, const char* value);

GUID ToGuid(const machine::DriverIdentity& identity);
machine::DriverIdentity ToDriverIdentity(const GUID& guid);

}  // namespace brontar::platform
