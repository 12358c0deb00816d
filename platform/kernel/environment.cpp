#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "machine/machine_ini.h"
#include "machine/plain_text.h"
#include "platform/kernel/event_log.h"

extern char** environ;

namespace {

// The value of NAME in this process's environment, the name matched without
// regard to case (an exact match wins), as Windows matches it.
std::optional<std::string> ProcessVariable(std::string_view name) {
    if (const char* exact = std::getenv(std::string(name).c_str())) return std::string(exact);
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals != nullptr && brontar::machine::EqualsIgnoreCase(std::string_view(*entry, equals - *entry), name))
            return std::string(equals + 1);
    }
    return std::nullopt;
}

// The variables Windows 95 sets for every process: windir is the Windows
// directory, winbootdir the directory Windows booted from (machine.ini may
// name it; by default the Windows directory, as on a standard installation).
std::optional<std::string> MachineVariable(std::string_view name) {
    const bool windir = brontar::machine::EqualsIgnoreCase(name, "windir");
    const bool winbootdir = brontar::machine::EqualsIgnoreCase(name, "winbootdir");
    if (!windir && !winbootdir) return std::nullopt;
    char directory[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) return std::nullopt;
    if (winbootdir) {
        try {
            if (auto configured = brontar::machine::CurrentMachineIni().Get("windows", "winbootdir"))
                return configured;
        } catch (const std::exception& error) {
            brontar::platform::WriteDiagnostic(std::string("GetEnvironmentVariableA: ") + error.what());
            return std::nullopt;
        }
    }
    return std::string(directory, length);
}

}  // namespace

extern "C" DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    if (lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::optional<std::string> value = ProcessVariable(lpName);
    if (!value) value = MachineVariable(lpName);
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const DWORD needed = static_cast<DWORD>(value->size()) + 1;
    if (lpBuffer == nullptr || nSize < needed) return needed;
    std::memcpy(lpBuffer, value->c_str(), needed);
    return needed - 1;
}
