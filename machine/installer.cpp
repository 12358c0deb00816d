#include "machine/installer.h"

#include <string>

#include "machine/board/board_settings.h"
#include "machine/install_monitor.h"
#include "machine/install_product.h"
#include "machine/machine_folder.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine {

void InstallMachine(const std::filesystem::path& folder, const std::filesystem::path& binDir, std::ostream& out) {
    CreateMachineDefaults(folder);
    // The board's settings key exists from the start, empty: the page fills it.
    registry::EditRegistry(folder, [](registry::RegistryTree& tree) {
        tree.CreateKey(std::string("HKEY_LOCAL_MACHINE\\") + kBoardSettingsKey);
    });
    out << "machine folder: " << folder.string() << '\n';
    InstallMonitorAndSupportLibraries(folder, binDir, out);
    InstallProduct(folder, binDir, out);
}

}  // namespace brontar::machine
