// The Direct3D devices the board's driver offers, as machine.ini describes
// them: [direct3d] devices lists them (by default "hal"), and each
// [direct3d.<name>] section gives its name, description and identity.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "machine/board/display_drivers.h"
#include "machine/machine_ini.h"

namespace brontar::machine {

struct Direct3DDeviceEntry {
    std::string name;         // what EnumDevices reports as the name
    std::string description;  // what EnumDevices reports as the description
    std::optional<DriverIdentity> identity;  // none: the runtime's HAL device identity
};

struct Direct3DDeviceList {
    std::vector<Direct3DDeviceEntry> devices;  // in the listed order
    std::vector<std::string> problems;         // devices left out and why, for diagnostics
};

// A device other than "hal" needs a guid; one without a readable guid is
// left out.
Direct3DDeviceList ReadBoardDirect3DDevices(const MachineIni& ini);

}  // namespace brontar::machine
