// The embedded default machine: the files a new machine folder starts with.
#pragma once

#include <string_view>

namespace brontar::machine {

// The monitor's device key when machine.ini names none ([monitor] devicekey
// absent); an empty devicekey means no monitor is identified.
inline constexpr std::string_view kDefaultMonitorDeviceKey = "Enum\\MONITOR\\DEFAULT_MONITOR\\0001";

std::string_view DefaultMachineIni();
std::string_view DefaultRegistryFile();
std::string_view DefaultAutoexecBat();

}  // namespace brontar::machine
