#include "platform/ddraw/driver_host.h"

#include <cstring>

namespace brontar::platform {

std::optional<uint32_t> ReadDriverDword(const char* key, const char* value) {
    HKEY opened = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &opened) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    DWORD bits = 0;
    DWORD size = sizeof(bits);
    const LONG status = RegQueryValueExA(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(&bits), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(bits)) return std::nullopt;
    return bits;
}

static_assert(sizeof(GUID) == sizeof(machine::DriverIdentity));

GUID ToGuid(const machine::DriverIdentity& identity) {
    GUID guid;
    std::memcpy(&guid, identity.data(), sizeof(guid));
    return guid;
}

machine::DriverIdentity ToDriverIdentity(const GUID& guid) {
    machine::DriverIdentity identity;
    std::memcpy(identity.data(), &guid, sizeof(guid));
    return identity;
}

}  // namespace brontar::platform
