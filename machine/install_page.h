// The installer's part for the settings page: the library and its resource
// module in the system directory, the class registration, and the Display
// control panel's property-sheet handler entry.
#pragma once

#include <filesystem>
#include <ostream>

namespace brontar::machine {

// The page's class identifier, as the registry writes it.
inline constexpr const char* kSettingsPageClassId = "{E41263E9-6834-4721-A6A6-CF963B5658BB}";
// Where the Display control panel lists its property-sheet handlers.
inline constexpr const char* kDisplayHandlersKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers";

// Installs binDir/brntrset.so as C:\WINDOWS\SYSTEM\BRNTRSET.DLL and
// binDir/_brntrst.loc beside it (replacing older copies; a missing build
// output is reported and skipped), then registers the class and the handler.
// Throws MachineError when a file cannot be written.
void InstallSettingsPage(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out);

}  // namespace brontar::machine
