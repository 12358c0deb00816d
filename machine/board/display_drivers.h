// The DirectDraw drivers of the machine as machine.ini describes them: the
// primary display driver and the board's own driver, with their identities,
// display modes and video memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/board/display_mode.h"
#include "machine/board/driver.h"
#include "machine/machine_ini.h"

namespace brontar::machine {

struct DisplayDriverInfo {
    std::string section;      // machine.ini section suffix ([directdraw.<section>])
    std::string name;         // what DirectDrawEnumerateA reports as the name
    std::string description;  // what DirectDrawEnumerateA reports as the description
    std::optional<DriverIdentity> identity;  // none: the primary display driver
    std::vector<DisplayMode> modes;          // in the order EnumDisplayModes lists them
    DisplayMode desktopMode;                 // the mode while no program has set one
    uint32_t frameBufferBytes = 0;           // displayed surfaces, back buffers, off-screen surfaces
    uint32_t textureBytes = 0;               // texture surfaces
    bool presents = false;                   // flips of its primary surface reach the monitor
};

struct DisplayDriverList {
    std::vector<DisplayDriverInfo> drivers;  // in enumeration order
    std::vector<std::string> problems;       // keys that could not be read, for diagnostics
};

// Reads the [directdraw] section and one [directdraw.<name>] section per
// listed driver; missing keys take their defaults (docs/machine.md).
DisplayDriverList ReadDisplayDrivers(const MachineIni& ini);

// The identity of the board's driver in the default machine.
DriverIdentity BoardDriverIdentity();

}  // namespace brontar::machine
