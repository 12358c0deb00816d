// The monitors setup has installed on the machine: each a device key below
// HKEY_LOCAL_MACHINE\Enum\MONITOR with its Monitor\NNNN display class key,
// and machine.ini naming the attached one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "machine/monitor/monitor_description.h"

namespace brontar::machine::monitor {

struct InstalledMonitor {
    std::string deviceKey;    // below HKEY_LOCAL_MACHINE: "Enum\MONITOR\DEL71A5\0001"
    std::string description;  // DriverDesc of its class key
    std::string source;       // where its data came from (MonitorSource)
    bool attached = false;    // machine.ini names it
};

// Installs the monitor as setup does: a new device key Enum\MONITOR\<id>\NNNN
// (the id from the hardware id, else DEFAULT_MONITOR) with Class, DeviceDesc,
// Mfg, HardwareID and Driver, and a new Monitor\NNNN class key holding
// DriverDesc and the description's class data; then makes it the attached
// monitor in machine.ini. Installing a monitor again (same id and name)
// replaces its own entries; other monitors' entries stay. Returns the device
// key. Throws MachineError; on failure the machine is as it was.
std::string InstallMonitor(const std::filesystem::path& folder, const MonitorDescription& monitor);

// Every device key below Enum\MONITOR with a "Driver" value, in key order.
std::vector<InstalledMonitor> ListInstalledMonitors(const std::filesystem::path& folder);

// Makes the device key the attached monitor in machine.ini.
void AttachMonitor(const std::filesystem::path& folder, const std::string& deviceKey);

// Where the monitor's data came from: "EDID (DEL71A5)", "INF NAME, model
// MODEL (section SECTION)" or "installer default".
std::string MonitorSource(const std::filesystem::path& folder, const std::string& deviceKey);

}  // namespace brontar::machine::monitor
