// The Direct3D devices the display driver offers, as the runtime lists them.
#pragma once

#include <d3d.h>

#include <string>
#include <vector>

namespace brontar::platform {

struct Direct3DDeviceInfo {
    GUID guid{};
    std::string name;         // what EnumDevices reports as the name
    std::string description;  // what EnumDevices reports as the description
    D3DDEVICEDESC hardware{};  // the hardware description
    D3DDEVICEDESC software{};  // the software emulation description
};

// The driver's devices in order, the HAL device by default. Entries the
// driver leaves out are reported as diagnostics.
std::vector<Direct3DDeviceInfo> ReadDirect3DDevices();

// The device with this identity, if the machine lists one.
bool FindDirect3DDevice(REFGUID guid, Direct3DDeviceInfo* out);

}  // namespace brontar::platform
