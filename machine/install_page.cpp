#include "machine/install_page.h"

#include <string>

#include "machine/install_files.h"
#include "machine/machine_folder.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRegSz = 1;

void SetText(registry::RegistryKey& key, std::string_view name, const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    key.SetValue(name, kRegSz, data);
}

}  // namespace

void InstallSettingsPage(const fs::path& folder, const fs::path& binDir, std::ostream& out) {
    const fs::path system = WindowsHostFolder(folder, "SYSTEM");
    InstallBuildOutput(binDir / "brntrset.so", system, "BRNTRSET.DLL", out);
    InstallBuildOutput(binDir / "_brntrst.loc", system, "_brntrst.loc", out);
    const std::string server = WindowsDosDirectory(folder) + "\\SYSTEM\\BRNTRSET.DLL";
    registry::EditRegistry(folder, [&](registry::RegistryTree& tree) {
        registry::RegistryKey& classKey =
            tree.CreateKey(std::string("HKEY_CLASSES_ROOT\\CLSID\\") + kSettingsPageClassId);
        SetText(classKey, "", "Brontar 3D Settings");
        registry::RegistryKey& serverKey = classKey.CreateSubkey("InprocServer32");
        SetText(serverKey, "", server);
        SetText(serverKey, "ThreadingModel", "Apartment");
        registry::RegistryKey& handler = tree.CreateKey(std::string(kDisplayHandlersKey) + "\\Brontar 3D");
        SetText(handler, "", kSettingsPageClassId);
    });
}

}  // namespace brontar::machine
