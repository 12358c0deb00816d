#include "machine/install_monitor.h"

#include "machine/default_machine.h"
#include "machine/file_io.h"
#include "machine/install_files.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/monitor/monitor_description.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

// A 15-inch monitor of 1996: up to 1024x768, 30 to 64 kHz, 50 to 100 Hz, so
// the board's rates up to 85 Hz pass at every resolution (800x600 at 75 Hz
// needs 48 kHz), and only the 120 Hz rates are refused.
constexpr const char* kClassKeys = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\";
constexpr const char* kClassKeyName = "Monitor\\0000";
constexpr const char* kDescription = "Kestrel KM-1570 15-inch Color Monitor";
constexpr const char* kMaxResolution = "1024,768";
constexpr const char* kModeName = "1024,768";
constexpr const char* kTiming = "30.0-64.0,50.0-100.0,+,+";

constexpr const char* kHelperText =
    "qorhlp16.dll: the 16-bit support library of the Brontar 3D software.\r\n"
    "The machine answers its calls itself; this file marks it as installed.\r\n";

// DriverDesc of the class key the device key's Driver names.
std::string AttachedMonitorDescription(const registry::RegistryTree& tree, const std::string& deviceKey) {
    const registry::RegistryKey* device = tree.FindKey("HKEY_LOCAL_MACHINE\\" + deviceKey);
    const auto driver = device ? monitor::StringValue(*device, "Driver") : std::nullopt;
    const registry::RegistryKey* classKey =
        driver ? tree.FindKey(kClassKeys + *driver) : nullptr;
    return classKey ? monitor::StringValue(*classKey, "DriverDesc").value_or("(no description)") : "(no class key)";
}

void InstallMonitorKeys(const fs::path& folder, const MachineIni& ini, std::ostream& out) {
    const std::string deviceKey = ini.GetOr("monitor", "devicekey", kDefaultMonitorDeviceKey);
    if (deviceKey.empty()) {
        out << "monitor: no device key in machine.ini, no monitor entries\n";
        return;
    }
    namespace reg = registry;
    std::string attachedDescription;
    reg::EditRegistry(folder, [&](reg::RegistryTree& tree) {
        tree.CreateKey("HKEY_LOCAL_MACHINE\\" + deviceKey)
            .SetValueIfMissing("Driver", reg::kTypeString, reg::StringBytes(kClassKeyName));
        const std::string classPath = std::string(kClassKeys) + kClassKeyName;
        reg::RegistryKey& classKey = tree.CreateKey(classPath);
        classKey.SetValueIfMissing("DriverDesc", reg::kTypeString, reg::StringBytes(kDescription));
        classKey.SetValueIfMissing("MaxResolution", reg::kTypeString, reg::StringBytes(kMaxResolution));
        // A monitor whose MODES the user changed keeps them.
        if (classKey.FindSubkey("MODES") == nullptr)
            tree.CreateKey(classPath + "\\MODES\\" + kModeName)
                .SetValue("Mode1", reg::kTypeString, reg::StringBytes(kTiming));
        attachedDescription = AttachedMonitorDescription(tree, deviceKey);
    });
    // The device key may name an imported monitor rather than setup's own.
    out << "monitor: " << attachedDescription << " at HKEY_LOCAL_MACHINE\\" << deviceKey << '\n';
}

}  // namespace

void InstallMonitorAndSupportLibraries(const fs::path& folder, const fs::path& binDir, std::ostream& out) {
    const MachineIni ini = MachineIni::Parse(ReadWholeFile(MachineIniPath(folder)).value_or(std::string()));
    InstallMonitorKeys(folder, ini, out);
    const fs::path system = WindowsHostFolder(folder, "SYSTEM");
    InstallContent(EntryIgnoringCase(system, "qorhlp16.dll"), kHelperText, out);
    // Installed under the name the page is linked against, so a page loaded
    // from the Windows system directory finds it beside itself.
    InstallBuildOutput(binDir / "hgi1init.dll", system, "hgi1init.dll", out);
}

}  // namespace brontar::machine
