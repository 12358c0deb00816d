// What installing a monitor writes: its names, the display class data setup
// puts into its class key, and values of its device key. Both readers (EDID
// and monitor INF) produce one; the installer writes it into the registry.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "machine/registry/registry_tree.h"

namespace brontar::machine::monitor {

// A file that cannot be imported; what() is the reason, without the file name.
class MonitorImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Frequency ranges of a monitor, as a timing text states them.
struct TimingLimits {
    double horizontalMinKHz = 0;
    double horizontalMaxKHz = 0;
    double verticalMinHz = 0;
    double verticalMaxHz = 0;
};

// The timing text of a MODES entry ("Mode1"): "31.5-48.0,50.0-90.0,+,+".
// The minimums are rounded down and the maximums up to tenths, so the text
// never narrows the ranges.
std::string FormatModeTiming(const TimingLimits& limits);

// Reads a timing text as setup stores it: a horizontal and a vertical field,
// each one number or "min-max", then optional sync polarities. Throws
// MonitorImportError when the text is malformed or its numbers are absurd:
// zero, reversed, beyond 1000 kHz or 1000 Hz.
TimingLimits ReadModeTiming(std::string_view text);

// Whether the ranges are ones a monitor can have; throws MonitorImportError
// naming what is wrong.
void CheckLimits(const TimingLimits& limits);

struct MonitorDescription {
    std::string name;          // the model: DeviceDesc and DriverDesc
    std::string manufacturer;  // Mfg
    std::string hardwareId;    // "MONITOR\DEL71A5"; empty when the source names none
    // Values and subkeys of the Monitor\NNNN class key, as setup writes them
    // (DriverDesc is set by the installer).
    registry::RegistryKey classKey{"class"};
    // Further values and subkeys of the device key (the EDID the monitor sent).
    registry::RegistryKey deviceKey{"device"};
};

// Checks the class data the page will read: at least one MODES\W,H entry, each
// with a sound "Mode1", and a sound "MaxResolution" when there is one. Throws
// MonitorImportError.
void CheckClassData(const registry::RegistryKey& classKey);

// "W,H" of a MODES subkey or a MaxResolution text; nothing when malformed or
// beyond 1..16384.
std::optional<std::pair<int, int>> ReadResolution(std::string_view text);

// The text of a REG_SZ value without its terminator; nothing for other types.
std::optional<std::string> StringValue(const registry::RegistryKey& key, std::string_view name);

}  // namespace brontar::machine::monitor
