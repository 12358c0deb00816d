#include "machine/installer.h"

#include "machine/install_testscreen.h"
#include "machine/machine_folder.h"

namespace brontar::machine {

void InstallMachine(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out) {
    CreateMachineDefaults(folder);
    out << "machine folder: " << folder.string() << '\n';
    InstallTestScreen(folder, binDir, out);
}

}  // namespace brontar::machine
