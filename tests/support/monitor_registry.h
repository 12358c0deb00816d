// A monitor's display class data written into a test machine's registry.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "machine/registry/registry_store.h"

namespace brontar::testing {

struct MonitorKeys {
    std::string deviceKey = "Enum\\MONITOR\\DEFAULT_MONITOR\\0001";
    std::string classKey = "Monitor\\0000";
    std::string description = "Test Monitor";
    const char* maxResolution = "1024,768";  // null: no value
    std::vector<std::pair<std::string, std::string>> modes;  // subkey name, "Mode1" text
};

inline void WriteMonitorKeys(const std::filesystem::path& machineFolder, const MonitorKeys& keys) {
    namespace reg = brontar::machine::registry;
    reg::EditRegistry(machineFolder, [&](reg::RegistryTree& tree) {
        const std::string classPath = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\" + keys.classKey;
        tree.DeleteKey(classPath);
        tree.CreateKey("HKEY_LOCAL_MACHINE\\" + keys.deviceKey)
            .SetValue("Driver", reg::kTypeString, reg::StringBytes(keys.classKey));
        reg::RegistryKey& classKey = tree.CreateKey(classPath);
        classKey.SetValue("DriverDesc", reg::kTypeString, reg::StringBytes(keys.description));
        if (keys.maxResolution != nullptr)
            classKey.SetValue("MaxResolution", reg::kTypeString, reg::StringBytes(keys.maxResolution));
        for (const auto& [name, timing] : keys.modes)
            tree.CreateKey(classPath + "\\MODES\\" + name)
                .SetValue("Mode1", reg::kTypeString, reg::StringBytes(timing));
    });
}

}  // namespace brontar::testing
