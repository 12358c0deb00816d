#include <windows.h>

#include <cstring>
#include <string>

#include "machine/machine_ini.h"
#include "platform/kernel/event_log.h"

namespace {

// The directory as machine.ini names it, without a trailing separator except
// for a drive's root ("C:\").
std::string MachineWindowsDirectory() {
    std::string directory = brontar::machine::CurrentMachineIni().GetOr("windows", "directory", "C:\\WINDOWS");
    while (directory.size() > 3 && (directory.back() == '\\' || directory.back() == '/')) directory.pop_back();
    return directory;
}

}  // namespace

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    std::string directory;
    try {
        directory = MachineWindowsDirectory();
    } catch (const std::exception& error) {
        brontar::platform::WriteDiagnostic(std::string("GetWindowsDirectoryA: ") + error.what());
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const UINT needed = static_cast<UINT>(directory.size()) + 1;
    if (lpBuffer == nullptr || uSize < needed) return needed;
    std::memcpy(lpBuffer, directory.c_str(), needed);
    return needed - 1;
}
