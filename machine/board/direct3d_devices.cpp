#include "machine/board/direct3d_devices.h"

#include <sstream>

#include "machine/guid_text.h"
#include "machine/plain_text.h"

namespace brontar::machine {

namespace {

// The names listed by "devices", separated by commas and blanks.
std::vector<std::string> ListedDevices(const MachineIni& ini) {
    std::vector<std::string> names;
    std::string list = ini.GetOr("direct3d", "devices", "hal");
    for (char& c : list) {
        if (c == ',') c = ' ';
    }
    std::istringstream words(list);
    for (std::string name; words >> name;) names.push_back(name);
    return names;
}

}  // namespace

Device3DCaps BoardDevice3DCaps() {
    Device3DCaps caps;
    TriangleCaps& triangles = caps.triangles;
    triangles.cullNone = triangles.cullClockwise = triangles.cullCounterClockwise = true;
    triangles.dither = true;
    triangles.subpixelAccuracy = true;
    triangles.flatShading = triangles.gouraudShading = true;
    triangles.perspectiveTextures = true;
    triangles.colorKeyedTextures = true;
    triangles.nearestFilter = triangles.bilinearFilter = true;
    triangles.decalTextures = true;
    triangles.wrapAddressing = triangles.clampAddressing = true;
    caps.floatingPointVertices = true;
    caps.executeBuffersInSystemMemory = true;
    caps.verticesInSystemMemory = true;
    caps.texturesInSystemMemory = true;
    caps.texturesInVideoMemory = true;
    caps.clipsTriangles = false;  // cut to the viewport pixel by pixel, not clipped as geometry
    caps.renderBitDepth = 16;
    caps.depthBufferBitDepth = 0;
    caps.maxExecuteBufferBytes = 1 << 20;
    caps.maxVertexCount = 65536;  // vertex indices are 16-bit
    return caps;
}

Direct3DDeviceList ListDirect3DDevices() { return ReadBoardDirect3DDevices(CurrentMachineIni()); }

Direct3DDeviceList ReadBoardDirect3DDevices(const MachineIni& ini) {
    Direct3DDeviceList list;
    for (const std::string& listed : ListedDevices(ini)) {
        const std::string section = "direct3d." + listed;
        const bool isHal = EqualsIgnoreCase(listed, "hal");
        Direct3DDeviceEntry device;
        device.caps = BoardDevice3DCaps();
        device.name = ini.GetOr(section, "name", isHal ? "Direct3D HAL" : listed);
        device.description = ini.GetOr(section, "description", isHal ? "Brontar 3D Direct3D HAL" : listed);
        const std::optional<std::string> guidText = ini.Get(section, "guid");
        if (guidText) {
            device.identity = ParseGuid(*guidText);
            if (!device.identity) {
                list.problems.push_back("[" + section + "] guid is not a GUID: " + *guidText + "; device not listed");
                continue;
            }
        } else if (!isHal) {
            list.problems.push_back("[" + section + "] has no guid; device not listed");
            continue;
        }
        list.devices.push_back(std::move(device));
    }
    return list;
}

}  // namespace brontar::machine
