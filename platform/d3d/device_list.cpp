#include "platform/d3d/device_list.h"

#include <cstring>

#include "machine/board/direct3d_devices.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

constexpr DWORD kRenderDepth16 = 0x00000400;  // DDBD_16: the board renders to 16-bit surfaces
constexpr DWORD kMaxVertexCount = 65536;      // vertex indices are 16-bit

D3DPRIMCAPS TriangleCaps() {
    D3DPRIMCAPS caps{};
    caps.dwSize = sizeof(caps);
    caps.dwMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    caps.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_SUBPIXEL;
    caps.dwShadeCaps = D3DPSHADECAPS_COLORFLATRGB | D3DPSHADECAPS_COLORGOURAUDRGB;
    caps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_TRANSPARENCY;
    caps.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR;
    caps.dwTextureBlendCaps = D3DPTBLENDCAPS_DECAL;
    caps.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP;
    return caps;
}

// The software side of a hardware device: nothing is emulated.
D3DDEVICEDESC EmptyDescription() {
    D3DDEVICEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dtcTransformCaps.dwSize = sizeof(desc.dtcTransformCaps);
    desc.dlcLightingCaps.dwSize = sizeof(desc.dlcLightingCaps);
    desc.dpcLineCaps.dwSize = sizeof(desc.dpcLineCaps);
    desc.dpcTriCaps.dwSize = sizeof(desc.dpcTriCaps);
    return desc;
}

GUID ToGuid(const machine::DriverIdentity& identity) {
    GUID guid;
    std::memcpy(&guid, identity.data(), sizeof(guid));
    return guid;
}

}  // namespace

D3DDEVICEDESC BoardDeviceDescription() {
    D3DDEVICEDESC desc = EmptyDescription();
    desc.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_LIGHTINGCAPS | D3DDD_BCLIPPING |
                   D3DDD_LINECAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH | D3DDD_DEVICEZBUFFERBITDEPTH |
                   D3DDD_MAXBUFFERSIZE | D3DDD_MAXVERTEXCOUNT;
    desc.dcmColorModel = D3DCOLOR_RGB;
    desc.dwDevCaps = D3DDEVCAPS_FLOATTLVERTEX | D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                     D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY;
    desc.bClipping = FALSE;
    desc.dpcTriCaps = TriangleCaps();
    desc.dwDeviceRenderBitDepth = kRenderDepth16;
    desc.dwDeviceZBufferBitDepth = 0;
    desc.dwMaxBufferSize = kMaxExecuteBufferSize;
    desc.dwMaxVertexCount = kMaxVertexCount;
    return desc;
}

std::vector<Direct3DDeviceInfo> ReadDirect3DDevices() {
    const machine::Direct3DDeviceList list = machine::ReadBoardDirect3DDevices(machine::CurrentMachineIni());
    for (const std::string& problem : list.problems) WriteDiagnostic("machine.ini " + problem);
    std::vector<Direct3DDeviceInfo> devices;
    for (const machine::Direct3DDeviceEntry& entry : list.devices) {
        Direct3DDeviceInfo device;
        device.guid = entry.identity ? ToGuid(*entry.identity) : IID_IDirect3DHALDevice;
        device.name = entry.name;
        device.description = entry.description;
        device.hardware = BoardDeviceDescription();
        device.software = EmptyDescription();
        devices.push_back(std::move(device));
    }
    return devices;
}

bool FindDirect3DDevice(REFGUID guid, Direct3DDeviceInfo* out) {
    for (Direct3DDeviceInfo& device : ReadDirect3DDevices()) {
        if (IsEqualGUID(device.guid, guid)) {
            *out = std::move(device);
            return true;
        }
    }
    return false;
}

}  // namespace brontar::platform
