#include "platform/d3d/device_list.h"

#include "machine/board/driver.h"
#include "platform/ddraw/driver_host.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

// A flag when the driver says the device has the feature.
DWORD FlagIf(bool has, DWORD flag) { return has ? flag : 0; }

DWORD BitDepthFlag(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
    }
}

D3DPRIMCAPS DescribeTriangles(const machine::TriangleCaps& triangles) {
    D3DPRIMCAPS caps{};
    caps.dwSize = sizeof(caps);
    caps.dwMiscCaps = FlagIf(triangles.cullNone, D3DPMISCCAPS_CULLNONE) |
                      FlagIf(triangles.cullClockwise, D3DPMISCCAPS_CULLCW) |
                      FlagIf(triangles.cullCounterClockwise, D3DPMISCCAPS_CULLCCW);
    caps.dwRasterCaps = FlagIf(triangles.dither, D3DPRASTERCAPS_DITHER) |
                        FlagIf(triangles.subpixelAccuracy, D3DPRASTERCAPS_SUBPIXEL);
    caps.dwShadeCaps = FlagIf(triangles.flatShading, D3DPSHADECAPS_COLORFLATRGB) |
                       FlagIf(triangles.gouraudShading, D3DPSHADECAPS_COLORGOURAUDRGB);
    caps.dwTextureCaps = FlagIf(triangles.perspectiveTextures, D3DPTEXTURECAPS_PERSPECTIVE) |
                         FlagIf(triangles.colorKeyedTextures, D3DPTEXTURECAPS_TRANSPARENCY);
    caps.dwTextureFilterCaps = FlagIf(triangles.nearestFilter, D3DPTFILTERCAPS_NEAREST) |
                               FlagIf(triangles.bilinearFilter, D3DPTFILTERCAPS_LINEAR);
    caps.dwTextureBlendCaps = FlagIf(triangles.decalTextures, D3DPTBLENDCAPS_DECAL);
    caps.dwTextureAddressCaps = FlagIf(triangles.wrapAddressing, D3DPTADDRESSCAPS_WRAP) |
                                FlagIf(triangles.clampAddressing, D3DPTADDRESSCAPS_CLAMP);
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

// The hardware description of a device the driver describes.
D3DDEVICEDESC DescribeDevice(const machine::Device3DCaps& device) {
    D3DDEVICEDESC desc = EmptyDescription();
    desc.dwFlags = D3DDD_COLORMODEL | D3DDD_DEVCAPS | D3DDD_TRANSFORMCAPS | D3DDD_LIGHTINGCAPS | D3DDD_BCLIPPING |
                   D3DDD_LINECAPS | D3DDD_TRICAPS | D3DDD_DEVICERENDERBITDEPTH | D3DDD_DEVICEZBUFFERBITDEPTH |
                   D3DDD_MAXBUFFERSIZE | D3DDD_MAXVERTEXCOUNT;
    desc.dcmColorModel = D3DCOLOR_RGB;
    desc.dwDevCaps = FlagIf(device.floatingPointVertices, D3DDEVCAPS_FLOATTLVERTEX) |
                     FlagIf(device.executeBuffersInSystemMemory, D3DDEVCAPS_EXECUTESYSTEMMEMORY) |
                     FlagIf(device.verticesInSystemMemory, D3DDEVCAPS_TLVERTEXSYSTEMMEMORY) |
                     FlagIf(device.texturesInSystemMemory, D3DDEVCAPS_TEXTURESYSTEMMEMORY) |
                     FlagIf(device.texturesInVideoMemory, D3DDEVCAPS_TEXTUREVIDEOMEMORY);
    desc.bClipping = device.clipsTriangles ? TRUE : FALSE;
    desc.dpcTriCaps = DescribeTriangles(device.triangles);
    desc.dwDeviceRenderBitDepth = BitDepthFlag(device.renderBitDepth);
    desc.dwDeviceZBufferBitDepth = BitDepthFlag(device.depthBufferBitDepth);
    desc.dwMaxBufferSize = device.maxExecuteBufferBytes;
    desc.dwMaxVertexCount = device.maxVertexCount;
    return desc;
}

}  // namespace

std::vector<Direct3DDeviceInfo> ReadDirect3DDevices() {
    const machine::Direct3DDeviceList list = machine::ListDirect3DDevices();
    for (const std::string& problem : list.problems) WriteDiagnostic("machine.ini " + problem);
    std::vector<Direct3DDeviceInfo> devices;
    for (const machine::Direct3DDeviceEntry& entry : list.devices) {
        Direct3DDeviceInfo device;
        device.guid = entry.identity ? ToGuid(*entry.identity) : IID_IDirect3DHALDevice;
        device.name = entry.name;
        device.description = entry.description;
        device.hardware = DescribeDevice(entry.caps);
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
