// Which Direct3D devices the board offers: IDirect3D::EnumDevices and
// FindDevice over the machine's [direct3d] section.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "machine/faults.h"
#include "platform/d3d/direct3d_object.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {
namespace {

struct Listed {
    GUID guid;
    std::string name;
    std::string description;
    DWORD hardwareSize;
    DWORD triangleMiscCaps;
};

// Lists the devices; stops after stopAfter of them when it is non-zero.
std::vector<Listed> Enumerate(HRESULT* result = nullptr, size_t stopAfter = 0) {
    struct Context {
        std::vector<Listed> devices;
        size_t stopAfter;
    } context{{}, stopAfter};
    auto* direct3D = new platform::Direct3DObject(nullptr);
    const HRESULT hr = direct3D->EnumDevices(
        [](LPGUID guid, LPSTR description, LPSTR name, LPD3DDEVICEDESC hardware, LPD3DDEVICEDESC,
           LPVOID user) -> HRESULT {
            auto* context = static_cast<Context*>(user);
            context->devices.push_back(
                {*guid, name, description, hardware->dwSize, hardware->dpcTriCaps.dwMiscCaps});
            return context->devices.size() == context->stopAfter ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
        },
        &context);
    direct3D->Release();
    if (result) *result = hr;
    return context.devices;
}

void WriteMachineIni(const TempMachine& machine, const std::string& text) {
    WriteFileText(machine.folder() / "machine.ini", text);
}

TEST(DeviceEnumeration, DefaultMachineListsTheBoardsHalDevice) {
    TempMachine machine;
    HRESULT result = E_FAIL;
    const std::vector<Listed> devices = Enumerate(&result);
    EXPECT_EQ(result, D3D_OK);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(devices[0].guid, IID_IDirect3DHALDevice));
    EXPECT_EQ(devices[0].name, "Direct3D HAL");
    EXPECT_EQ(devices[0].description, "Brontar 3D Direct3D HAL");
    EXPECT_EQ(devices[0].hardwareSize, sizeof(D3DDEVICEDESC));
    EXPECT_EQ(devices[0].triangleMiscCaps, DWORD(D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW));
}

TEST(DeviceEnumeration, MachineIniListsDevicesInItsOrder) {
    TempMachine machine;
    WriteMachineIni(machine,
                    "[direct3d]\ndevices=rgb, hal\n"
                    "[direct3d.rgb]\nname=RGB Emulation\ndescription=Software\n"
                    "guid={A4665C60-2673-11CF-A31A-00AA00B93356}\n"
                    "[direct3d.hal]\nname=DIRECT3D HAL\n");
    const std::vector<Listed> devices = Enumerate();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_TRUE(IsEqualGUID(devices[0].guid, IID_IDirect3DRGBDevice));
    EXPECT_EQ(devices[0].name, "RGB Emulation");
    EXPECT_EQ(devices[0].description, "Software");
    EXPECT_TRUE(IsEqualGUID(devices[1].guid, IID_IDirect3DHALDevice));
    EXPECT_EQ(devices[1].name, "DIRECT3D HAL");
}

TEST(DeviceEnumeration, DeviceWithoutAUsableGuidIsLeftOut) {
    TempMachine machine;
    WriteMachineIni(machine,
                    "[direct3d]\ndevices=broken missing hal\n"
                    "[direct3d.broken]\nguid={not-a-guid}\n"
                    "[direct3d.missing]\nname=No Identity\n");
    const std::vector<Listed> devices = Enumerate();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "Direct3D HAL");
}

TEST(DeviceEnumeration, EmptyListEnumeratesNothingAndSucceeds) {
    TempMachine machine;
    WriteMachineIni(machine, "[direct3d]\ndevices=\n");
    HRESULT result = E_FAIL;
    EXPECT_TRUE(Enumerate(&result).empty());
    EXPECT_EQ(result, D3D_OK);
}

TEST(DeviceEnumeration, CallbackCancelStopsTheList) {
    TempMachine machine;
    WriteMachineIni(machine,
                    "[direct3d]\ndevices=hal rgb\n[direct3d.rgb]\nguid={A4665C60-2673-11CF-A31A-00AA00B93356}\n");
    EXPECT_EQ(Enumerate(nullptr, 1).size(), 1u);
}

TEST(DeviceEnumeration, FaultFailsTheCallWithoutCallingBack) {
    TempMachine machine;
    ::setenv("BRONTAR_FAULTS", "EnumDevices@1", 1);
    machine::ResetFaults();
    HRESULT result = D3D_OK;
    EXPECT_TRUE(Enumerate(&result).empty());
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(Enumerate(&result).size(), 1u) << "only the first call fails";
    ::unsetenv("BRONTAR_FAULTS");
    machine::ResetFaults();
}

TEST(DeviceEnumeration, FindDeviceByGuid) {
    TempMachine machine;
    auto* direct3D = new platform::Direct3DObject(nullptr);
    D3DFINDDEVICESEARCH search{};
    search.dwSize = sizeof(search);
    search.dwFlags = D3DFDS_GUID;
    search.guid = IID_IDirect3DHALDevice;
    D3DFINDDEVICERESULT found{};
    found.dwSize = sizeof(found);
    EXPECT_EQ(direct3D->FindDevice(&search, &found), D3D_OK);
    EXPECT_TRUE(IsEqualGUID(found.guid, IID_IDirect3DHALDevice));
    EXPECT_EQ(found.ddHwDesc.dwFlags & D3DDD_TRICAPS, DWORD(D3DDD_TRICAPS));
    search.guid = IID_IDirect3DRampDevice;
    EXPECT_EQ(direct3D->FindDevice(&search, &found), DDERR_NOTFOUND);
    search.dwSize = 8;
    EXPECT_EQ(direct3D->FindDevice(&search, &found), DDERR_INVALIDPARAMS);
    direct3D->Release();
}

}  // namespace
}  // namespace brontar::testing
