// The installer's part for the monitor and the board's support libraries.
#pragma once

#include <filesystem>
#include <ostream>

namespace brontar::machine {

// The monitor's display class data in the registry (its device key as
// machine.ini names it, the class key with its description, maximum
// resolution and timing), never replacing a value already there; and
// qorhlp16.dll and hgi1init.dll in the Windows system directory. Throws
// MachineError.
void InstallMonitorAndSupportLibraries(const std::filesystem::path& folder, const std::filesystem::path& binDir,
                                       std::ostream& out);

}  // namespace brontar::machine
