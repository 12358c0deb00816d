// The installer's part for the test screen: the program and its six texture
// bitmaps in the machine's Windows directory.
#pragma once

#include <filesystem>
#include <ostream>

namespace brontar::machine {

// Installs binDir/brntrtst as BRNTRTST.EXE in the Windows directory, replacing
// an older copy, and writes each texture bitmap that is not there yet (a
// bitmap already present is the user's and stays). A missing program is
// reported on out and skipped. Throws MachineError when a file cannot be
// written.
void InstallTestScreen(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out);

}  // namespace brontar::machine
