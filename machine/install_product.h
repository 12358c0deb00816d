// The installer's part for the product itself, as its setup INF states it:
// the settings page's library and resource module in the SYSTEM folder, the
// test screen and its six bitmaps in the Windows folder, the INF in the INF
// folder, the page's class registration, the Display control panel's handler
// entry and the Add/Remove Programs entry. Windows 95 installs from the same
// file.
#pragma once

#include <filesystem>
#include <ostream>

namespace brontar::machine {

// The setup INF, which the build puts beside the programs it makes.
inline constexpr const char* kSetupInfName = "BRNTRSET.INF";

// Where the Display control panel lists its property-sheet handlers.
inline constexpr const char* kDisplayHandlersKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers";

// Carries out the DefaultInstall section of binDir/BRNTRSET.INF in the
// machine: %10%, %11% and %17% are its Windows folder, SYSTEM and INF
// folders; a file comes from the build output that stands for it (the table
// in the source: brntrset.so is BRNTRSET.DLL here), a texture bitmap from the
// machine's own pictures, anything else from binDir under its own name. A
// file that differs is replaced, one with flag 16 is kept when present, a
// missing build output is reported on out and skipped. The registry lines are
// written in one registry edit. Everything is checked before anything is
// written: throws MachineError naming the INF and the line for a missing or
// malformed INF, an undefined %string%, a folder or registry root the machine
// does not have, and when a file cannot be written.
void InstallProduct(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out);

}  // namespace brontar::machine
