// The installer: what `brontar setup` writes into a machine folder.
#pragma once

#include <filesystem>
#include <ostream>

namespace brontar::machine {

// Creates or repairs the machine folder: default files, the monitor and the
// board's libraries, then the product as binDir/BRNTRSET.INF states it (the
// deliverables from binDir, the product's registry entries). Idempotent; never
// replaces a file or a registry value the user may have changed. Progress
// lines go to out. Throws MachineError.
void InstallMachine(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out);

}  // namespace brontar::machine
