#include "machine/monitor/installed_monitors.h"

#include <cstdio>

#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/plain_text.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine::monitor {

namespace {

namespace fs = std::filesystem;
namespace reg = registry;

constexpr std::string_view kMachine = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kMonitorDevices = "Enum\\MONITOR";
constexpr std::string_view kClassRoot = "System\\CurrentControlSet\\Services\\Class\\";
constexpr std::string_view kMonitorClass = "System\\CurrentControlSet\\Services\\Class\\Monitor";

// The device id setup files a monitor under: the hardware id's last part.
std::string DeviceId(std::string_view hardwareId) {
    std::string id(hardwareId.substr(hardwareId.rfind('\\') == std::string_view::npos ? 0 : hardwareId.rfind('\\') + 1));
    for (char& c : id) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c <= ' ' || c >= 0x7F) c = '_';
    }
    if (id.size() > 64) id.resize(64);
    return id.empty() ? "DEFAULT_MONITOR" : id;
}

// The first four-digit name above every numbered subkey (from first).
std::string NextNumber(const reg::RegistryKey* parent, int first) {
    int next = first;
    if (parent != nullptr)
        for (const auto& [folded, key] : parent->Subkeys()) {
            const std::string& name = key->Name();
            if (name.size() == 4 && name.find_first_not_of("0123456789") == std::string::npos)
                next = std::max(next, std::stoi(name) + 1);
        }
    char text[16];
    std::snprintf(text, sizeof text, "%04d", next);
    return text;
}

void CopyInto(reg::RegistryKey& target, const reg::RegistryKey& source) {
    for (const auto& value : source.Values()) target.SetValue(value.name, value.type, value.data);
    for (const auto& [folded, subkey] : source.Subkeys()) CopyInto(target.CreateSubkey(subkey->Name()), *subkey);
}

std::string AttachedDeviceKey(const fs::path& folder) {
    return MachineIni::Parse(ReadWholeFile(MachineIniPath(folder)).value_or(std::string()))
        .GetOr("monitor", "devicekey", "");
}

}  // namespace

std::string InstallMonitor(const fs::path& folder, const MonitorDescription& monitor) {
    const std::string id = DeviceId(monitor.hardwareId);
    const std::string devices = std::string(kMachine) + std::string(kMonitorDevices) + "\\" + id;
    std::string deviceKey;
    bool created = false;
    reg::EditRegistry(folder, [&](reg::RegistryTree& tree) {
        std::string instance, classNumber;
        // The same monitor installed again keeps its device and class keys.
        if (const reg::RegistryKey* existing = tree.FindKey(devices))
            for (const auto& [folded, device] : existing->Subkeys()) {
                const auto driver = StringValue(*device, "Driver");
                const reg::RegistryKey* classKey =
                    driver ? tree.FindKey(std::string(kMachine) + std::string(kClassRoot) + *driver) : nullptr;
                if (driver && driver->starts_with("Monitor\\") && classKey != nullptr &&
                    StringValue(*classKey, "DriverDesc") == monitor.name) {
                    instance = device->Name();
                    classNumber = driver->substr(8);
                    break;
                }
            }
        created = instance.empty();
        if (created) {
            instance = NextNumber(tree.FindKey(devices), 1);
            classNumber = NextNumber(tree.FindKey(std::string(kMachine) + std::string(kMonitorClass)), 0);
        }
        const std::string className = "Monitor\\" + classNumber;
        const std::string classPath = std::string(kMachine) + std::string(kClassRoot) + className;
        tree.DeleteKey(classPath);
        // Setup's own values come last, so an INF cannot break the link or
        // the name the entries are found by.
        reg::RegistryKey& classKey = tree.CreateKey(classPath);
        CopyInto(classKey, monitor.classKey);
        classKey.SetValue("DriverDesc", reg::kTypeString, reg::StringBytes(monitor.name));

        const std::string devicePath = devices + "\\" + instance;
        tree.DeleteKey(devicePath);
        reg::RegistryKey& device = tree.CreateKey(devicePath);
        CopyInto(device, monitor.deviceKey);
        device.SetValue("Class", reg::kTypeString, reg::StringBytes("Monitor"));
        device.SetValue("DeviceDesc", reg::kTypeString, reg::StringBytes(monitor.name));
        device.SetValue("Mfg", reg::kTypeString, reg::StringBytes(monitor.manufacturer));
        if (!monitor.hardwareId.empty())
            device.SetValue("HardwareID", reg::kTypeString, reg::StringBytes(monitor.hardwareId));
        device.SetValue("Driver", reg::kTypeString, reg::StringBytes(className));
        deviceKey = devicePath.substr(kMachine.size());
    });
    try {
        AttachMonitor(folder, deviceKey);
    } catch (const MachineError&) {
        if (created)  // a monitor that cannot be attached is not left behind
            reg::EditRegistry(folder, [&](reg::RegistryTree& tree) {
                if (const reg::RegistryKey* device = tree.FindKey(std::string(kMachine) + deviceKey))
                    if (const auto driver = StringValue(*device, "Driver"))
                        tree.DeleteKey(std::string(kMachine) + std::string(kClassRoot) + *driver);
                tree.DeleteKey(std::string(kMachine) + deviceKey);
            });
        throw;
    }
    return deviceKey;
}

std::vector<InstalledMonitor> ListInstalledMonitors(const fs::path& folder) {
    const reg::RegistrySnapshot snapshot = reg::ReadRegistry(folder);
    const reg::RegistryTree& tree = snapshot.content->tree;
    const std::string attached = AttachedDeviceKey(folder);
    std::vector<InstalledMonitor> monitors;
    const reg::RegistryKey* devices = tree.FindKey(std::string(kMachine) + std::string(kMonitorDevices));
    if (devices == nullptr) return monitors;
    for (const auto& [idFolded, id] : devices->Subkeys())
        for (const auto& [instanceFolded, device] : id->Subkeys()) {
            const auto driver = StringValue(*device, "Driver");
            if (!driver) continue;
            InstalledMonitor monitor;
            monitor.deviceKey = std::string(kMonitorDevices) + "\\" + id->Name() + "\\" + device->Name();
            const reg::RegistryKey* classKey = tree.FindKey(std::string(kMachine) + std::string(kClassRoot) + *driver);
            monitor.description = classKey ? StringValue(*classKey, "DriverDesc").value_or("") : "";
            monitor.source = MonitorSource(folder, monitor.deviceKey);
            monitor.attached = EqualsIgnoreCase(monitor.deviceKey, attached);
            monitors.push_back(std::move(monitor));
        }
    return monitors;
}

void AttachMonitor(const fs::path& folder, const std::string& deviceKey) {
    const fs::path path = MachineIniPath(folder);
    const auto text = ReadWholeFile(path);
    if (!text) throw MachineError("cannot read " + path.string());
    WriteFileAtomically(path, WithIniValue(*text, "monitor", "devicekey", deviceKey));
}

std::string MonitorSource(const fs::path& folder, const std::string& deviceKey) {
    const reg::RegistrySnapshot snapshot = reg::ReadRegistry(folder);
    const reg::RegistryTree& tree = snapshot.content->tree;
    const reg::RegistryKey* device = tree.FindKey(std::string(kMachine) + deviceKey);
    if (device == nullptr) return "none (no device key)";
    if (device->FindValue("EDID") != nullptr)
        return "EDID (" + DeviceId(StringValue(*device, "HardwareID").value_or("")) + ")";
    const auto driver = StringValue(*device, "Driver");
    const reg::RegistryKey* classKey =
        driver ? tree.FindKey(std::string(kMachine) + std::string(kClassRoot) + *driver) : nullptr;
    if (classKey != nullptr && StringValue(*classKey, "InfPath"))
        return "INF " + *StringValue(*classKey, "InfPath") + ", model " +
               StringValue(*classKey, "DriverDesc").value_or("") + " (section " +
               StringValue(*classKey, "InfSection").value_or("") + ")";
    return "installer default";
}

}  // namespace brontar::machine::monitor
