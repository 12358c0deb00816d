#include "machine/board/display_drivers.h"

#include <charconv>
#include <limits>

#include "machine/guid_text.h"
#include "machine/plain_text.h"

namespace brontar::machine {

namespace {

constexpr std::string_view kDefaultDrivers = "display,ddcorv";
constexpr std::string_view kPrimarySection = "display";
constexpr std::string_view kBoardIdentity = "{0B4E1A2C-7D3F-4E65-9A81-C3D5E7F90B12}";
constexpr std::string_view kBoardModes = "512x384x16,640x400x16,640x480x16,800x600x16";
constexpr std::string_view kPrimaryModes = "640x480x8,640x480x16,800x600x16,1024x768x16";
// The board carries 4 MB: half for the frame buffer, half for textures.
constexpr long long kBoardVideoMemory = 4 * 1024 * 1024;
constexpr long long kBoardFrameBuffer = 2 * 1024 * 1024;
constexpr long long kPrimaryVideoMemory = 2 * 1024 * 1024;

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view item = Trim(text.substr(0, comma));
        if (!item.empty()) items.push_back(item);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return items;
}

// The values a driver section falls back to: the primary display's for the
// section "display", the board's for every other one.
struct DriverDefaults {
    std::string_view description;
    std::string_view identity;
    std::string_view modes;
    std::string_view desktop;
    long long videoMemory;
    long long frameBuffer;
    bool presents;
};

DriverDefaults DefaultsFor(std::string_view section) {
    if (EqualsIgnoreCase(section, kPrimarySection))
        return {"Primary Display Driver", "", kPrimaryModes, "1024x768x16", kPrimaryVideoMemory, kPrimaryVideoMemory,
                false};
    return {"Brontar 3D", kBoardIdentity, kBoardModes, "640x480x16", kBoardVideoMemory, kBoardFrameBuffer, true};
}

std::vector<DisplayMode> ReadModes(std::string_view text, const std::string& where, DisplayDriverList& list) {
    std::vector<DisplayMode> modes;
    for (std::string_view item : SplitCommas(text)) {
        if (auto mode = ParseDisplayMode(item))
            modes.push_back(*mode);
        else
            list.problems.push_back(where + ": ignored display mode \"" + std::string(item) + "\"");
    }
    return modes;
}

// A byte count between 0 and 4 GB - 1; the fallback otherwise.
uint32_t ReadBytes(const MachineIni& ini, const std::string& section, std::string_view key, long long fallback,
                   DisplayDriverList& list) {
    const long long value = ini.GetInt(section, key, fallback);
    if (value < 0 || value > std::numeric_limits<uint32_t>::max()) {
        list.problems.push_back("[" + section + "] " + std::string(key) + ": out of range, default used");
        return static_cast<uint32_t>(fallback);
    }
    return static_cast<uint32_t>(value);
}

// Nothing when the identity is given but malformed: a driver that cannot be
// told apart must not stand in for another.
std::optional<DisplayDriverInfo> ReadDriver(const MachineIni& ini, std::string_view sectionName,
                                            DisplayDriverList& list) {
    const DriverDefaults defaults = DefaultsFor(sectionName);
    const std::string section = "directdraw." + std::string(sectionName);
    const std::string where = "[" + section + "]";
    DisplayDriverInfo driver;
    driver.section = std::string(sectionName);
    driver.name = ini.GetOr(section, "name", sectionName);
    driver.description = ini.GetOr(section, "description", defaults.description);

    const std::string identity = std::string(Trim(ini.GetOr(section, "identity", defaults.identity)));
    if (!identity.empty() && !EqualsIgnoreCase(identity, "none")) {
        driver.identity = ParseGuid(identity);
        if (!driver.identity) {
            list.problems.push_back(where + " identity: not a GUID, driver left out");
            return std::nullopt;
        }
    }

    const std::string modes = ini.GetOr(section, "modes", defaults.modes);
    driver.modes = ReadModes(modes, where + " modes", list);
    const std::string desktop = ini.GetOr(section, "desktop", defaults.desktop);
    auto desktopMode = ParseDisplayMode(desktop);
    if (!desktopMode) {
        list.problems.push_back(where + " desktop: not a display mode, default used");
        desktopMode = ParseDisplayMode(defaults.desktop);
    }
    driver.desktopMode = *desktopMode;

    const uint32_t total = ReadBytes(ini, section, "videomemory", defaults.videoMemory, list);
    uint32_t frameBuffer = ReadBytes(ini, section, "framebuffer", std::min(defaults.frameBuffer, (long long)total), list);
    if (frameBuffer > total) {
        list.problems.push_back(where + " framebuffer: larger than videomemory, all of it used");
        frameBuffer = total;
    }
    driver.frameBufferBytes = frameBuffer;
    driver.textureBytes = total - frameBuffer;
    driver.presents = ini.GetBool(section, "presents", defaults.presents);
    return driver;
}

}  // namespace

DriverIdentity BoardDriverIdentity() { return *ParseGuid(kBoardIdentity); }

DisplayDriverList ReadDisplayDrivers(const MachineIni& ini) {
    DisplayDriverList list;
    const std::string drivers = ini.GetOr("directdraw", "drivers", kDefaultDrivers);
    for (std::string_view section : SplitCommas(drivers)) {
        if (auto driver = ReadDriver(ini, section, list)) list.drivers.push_back(std::move(*driver));
    }
    return list;
}

}  // namespace brontar::machine
