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

// Every flag and limit of the board's HAL device, as programs choose a
// device by them; the hardware side describes the board, the software side
// emulates nothing.
TEST(DeviceEnumeration, HalDeviceDescriptionIsExactlyTheBoards) {
    TempMachine machine;
    auto* direct3D = new platform::Direct3DObject(nullptr);
    D3DFINDDEVICESEARCH search{};
    search.dwSize = sizeof(search);
    D3DFINDDEVICERESULT found{};
    found.dwSize = sizeof(found);
    ASSERT_EQ(direct3D->FindDevice(&search, &found), D3D_OK);
    direct3D->Release();

    const D3DDEVICEDESC& hal = found.ddHwDesc;
    EXPECT_EQ(hal.dwSize, sizeof(D3DDEVICEDESC));
    EXPECT_EQ(hal.dwFlags, DWORD(D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_LIGHTINGCAPS |
                                 D3DDD_BCLIPPING | D3DDD_LINECAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH |
                                 D3DDD_DEVICEZBUFFERBITDEPTH | D3DDD_MAXBUFFERSIZE | D3DDD_MAXVERTEXCOUNT));
    EXPECT_EQ(hal.dcmColorModel, D3DCOLOR_RGB);
    EXPECT_EQ(hal.dwDevCaps, DWORD(D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY |
                                   D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY |
                                   D3DDEVCAPS_TEXTUREVIDEOMEMORY));
    EXPECT_EQ(hal.bClipping, FALSE);
    EXPECT_EQ(hal.dwDeviceRenderBitDepth, DWORD(DDBD_16));
    EXPECT_EQ(hal.dwDeviceZBufferBitDepth, 0u);
    EXPECT_EQ(hal.dwMaxBufferSize, 1u << 20);
    EXPECT_EQ(hal.dwMaxVertexCount, 65536u);
    EXPECT_EQ(hal.dtcTransformCaps.dwSize, sizeof(D3DTRANSFORMCAPS));
    EXPECT_EQ(hal.dtcTransformCaps.dwCaps, 0u);
    EXPECT_EQ(hal.dlcLightingCaps.dwSize, sizeof(D3DLIGHTINGCAPS));
    EXPECT_EQ(hal.dlcLightingCaps.dwCaps, 0u);
    EXPECT_EQ(hal.dpcLineCaps.dwSize, sizeof(D3DPRIMCAPS));
    EXPECT_EQ(hal.dpcLineCaps.dwRasterCaps, 0u);

    const D3DPRIMCAPS& triangles = hal.dpcTriCaps;
    EXPECT_EQ(triangles.dwSize, sizeof(D3DPRIMCAPS));
    EXPECT_EQ(triangles.dwMiscCaps, DWORD(D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW));
    EXPECT_EQ(triangles.dwRasterCaps, DWORD(D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_SUBPIXEL));
    EXPECT_EQ(triangles.dwZCmpCaps, 0u);
    EXPECT_EQ(triangles.dwSrcBlendCaps, 0u);
    EXPECT_EQ(triangles.dwDestBlendCaps, 0u);
    EXPECT_EQ(triangles.dwAlphaCmpCaps, 0u);
    EXPECT_EQ(triangles.dwShadeCaps, DWORD(D3DPSHADECAPS_COLORFLATRGB | D3DPSHADECAPS_COLORGOURAUDRGB));
    EXPECT_EQ(triangles.dwTextureCaps, DWORD(D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_TRANSPARENCY));
    EXPECT_EQ(triangles.dwTextureFilterCaps, DWORD(D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR));
    EXPECT_EQ(triangles.dwTextureBlendCaps, DWORD(D3DPTBLENDCAPS_DECAL));
    EXPECT_EQ(triangles.dwTextureAddressCaps, DWORD(D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP));
    EXPECT_EQ(triangles.dwStippleWidth, 0u);

    const D3DDEVICEDESC& emulation = found.ddSwDesc;
    EXPECT_EQ(emulation.dwSize, sizeof(D3DDEVICEDESC));
    EXPECT_EQ(emulation.dwFlags, 0u);
    EXPECT_EQ(emulation.dwDevCaps, 0u);
    EXPECT_EQ(emulation.dpcTriCaps.dwSize, sizeof(D3DPRIMCAPS));
    EXPECT_EQ(emulation.dpcTriCaps.dwShadeCaps, 0u);
    EXPECT_EQ(emulation.dwMaxBufferSize, 0u);
}

}  // namespace
}  // namespace brontar::testing
