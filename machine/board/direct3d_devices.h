// The Direct3D devices the board's driver offers, as machine.ini describes
// them: [direct3d] devices lists them (by default "hal"), and each
// [direct3d.<name>] section gives its name, description and identity. Every
// device draws with the board's rasteriser, so all have its capabilities.
#pragma once

#include "machine/board/driver.h"
#include "machine/machine_ini.h"

namespace brontar::machine {

// A device other than "hal" needs a guid; one without a readable guid is
// left out.
Direct3DDeviceList ReadBoardDirect3DDevices(const MachineIni& ini);

// What the board's rasteriser draws, and the limits of its execute buffers.
Device3DCaps BoardDevice3DCaps();

}  // namespace brontar::machine
