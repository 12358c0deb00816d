#include "machine/install_page.h"

#include <string>
#include <system_error>

#include "machine/dos_path.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRegSz = 1;

// The host folder of the machine's system directory, created when missing.
fs::path SystemFolder(const fs::path& folder) {
    const std::optional<std::string> iniText = ReadWholeFile(MachineIniPath(folder));
    const MachineIni ini = MachineIni::Parse(iniText ? *iniText : std::string());
    const std::string directory = ini.GetOr("windows", "directory", "C:\\WINDOWS") + "\\SYSTEM";
    const std::string bootDrive = ini.GetOr("windows", "bootdrive", "C");
    const std::optional<fs::path> mapped = MapDosPath(folder, directory, bootDrive.empty() ? 'C' : bootDrive[0]);
    if (!mapped) throw MachineError("the system directory '" + directory + "' is not a DOS path");
    std::error_code ec;
    fs::create_directories(*mapped, ec);
    if (ec) throw MachineError("cannot create " + mapped->string() + ": " + ec.message());
    return *mapped;
}

// The DOS name of the system directory, for the registration.
std::string SystemDosDirectory(const fs::path& folder) {
    const std::optional<std::string> iniText = ReadWholeFile(MachineIniPath(folder));
    const MachineIni ini = MachineIni::Parse(iniText ? *iniText : std::string());
    std::string windows = ini.GetOr("windows", "directory", "C:\\WINDOWS");
    while (windows.size() > 3 && windows.back() == '\\') windows.pop_back();
    return windows + "\\SYSTEM";
}

fs::path EntryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (EqualsIgnoreCase(entry.path().filename().string(), name)) return entry.path();
    return folder / name;
}

// Copies a build output over its installed copy when they differ, written
// aside and renamed so a process that has the old one loaded keeps it whole.
void InstallFile(const fs::path& built, const fs::path& system, const std::string& installedName, std::ostream& out) {
    const std::optional<std::string> content = ReadWholeFile(built);
    if (!content) {
        out << "settings page: " << built.string() << " not found, not installed\n";
        return;
    }
    const fs::path installed = EntryIgnoringCase(system, installedName);
    if (ReadWholeFile(installed) == content) return;
    const fs::path aside = installed.string() + ".new";
    WriteFileAtomically(aside, *content);
    std::error_code ec;
    fs::rename(aside, installed, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(aside, ec);
        throw MachineError("cannot install " + installed.string() + ": " + reason);
    }
    out << "installed " << installed.string() << '\n';
}

void SetText(registry::RegistryKey& key, std::string_view name, const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    key.SetValue(name, kRegSz, data);
}

}  // namespace

void InstallSettingsPage(const fs::path& folder, const fs::path& binDir, std::ostream& out) {
    const fs::path system = SystemFolder(folder);
    InstallFile(binDir / "brntrset.so", system, "BRNTRSET.DLL", out);
    InstallFile(binDir / "_brntrst.loc", system, "_brntrst.loc", out);
    const std::string server = SystemDosDirectory(folder) + "\\BRNTRSET.DLL";
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
