// brontar monitor: what the settings page knows of the attached monitor, and
// installing monitors from their EDID or their INF file.
#include <glob.h>

#include <charconv>
#include <iostream>
#include <string>

#include "machine/default_machine.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/monitor/edid.h"
#include "machine/monitor/installed_monitors.h"
#include "machine/monitor/monitor_inf.h"
#include "machine/plain_text.h"
#include "propsheet/monitor_info.h"
#include "settings/settings_key.h"
#include "tools/command.h"

namespace brontar::tools {

namespace {

namespace fs = std::filesystem;
namespace monitor = machine::monitor;

// The MODES entries the page's monitor lookup handles.
constexpr size_t kPageModeEntries = 10;

// Far above any EDID (256 blocks of 128 bytes) or monitor INF.
constexpr std::streamsize kMaxFileBytes = 4 << 20;

constexpr const char* kUsage =
    "usage: brontar monitor\n"
    "       brontar monitor import FILE [MODEL]\n"
    "       brontar monitor import --this-display\n"
    "       brontar monitor list\n"
    "       brontar monitor use N\n\n"
    "Without arguments, prints what the settings page knows of the attached\n"
    "monitor, read as the page reads it (through qorhlp16.dll and the registry's\n"
    "display class data): description, class key, maximum resolution, default\n"
    "limits, the limits for each of the board's resolutions (0: unknown) and\n"
    "where the data came from.\n\n"
    "import FILE reads a monitor's EDID (128-byte blocks) or a monitor INF file.\n"
    "An EDID is installed at once; an INF lists its models, and with MODEL (a\n"
    "model's name or hardware id) installs that one. Installing writes the\n"
    "monitor's device and display class keys as setup does and makes it the\n"
    "machine's monitor; monitors installed before stay. --this-display reads\n"
    "the EDID of a monitor attached to this computer (/sys/class/drm/*/edid).\n\n"
    "list shows the installed monitors (* the attached one); use N attaches\n"
    "the Nth.\n";

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Range(long minimum, long maximum, const char* unit) {
    if (minimum == 0 && maximum == 0) return std::string("unknown ") + unit;
    return std::to_string(minimum) + "-" + std::to_string(maximum) + " " + unit;
}

std::string Limits(long horizontalMin, long horizontalMax, long verticalMin, long verticalMax) {
    return "horizontal " + Range(horizontalMin, horizontalMax, "kHz") + ", vertical " +
           Range(verticalMin, verticalMax, "Hz");
}

std::string Bound(long value) { return value == MONITOR_NO_BOUND ? "none" : std::to_string(value); }

int PrintAttachedMonitor(const fs::path& folder) {
    MonitorInfo info{};
    if (!LoadMonitorInfo(&info)) {
        std::cerr << "brontar monitor: the monitor is not identified (no qorhlp16.dll, no device key or no "
                     "\"Driver\" value)\n";
        return 1;
    }
    std::cout << "description:        " << info.szDescription << '\n'
              << "class key:          " << info.szClassKey << '\n'
              << "maximum resolution: " << Bound(info.lMaxWidth) << " x " << Bound(info.lMaxHeight) << '\n'
              << "default limits:     "
              << Limits(info.lHorizontalMin, info.lHorizontalMax, info.lVerticalMin, info.lVerticalMax) << '\n';
    for (const auto& [width, height] : BoardModes) {
        ModeLimits limits{static_cast<WORD>(width), static_cast<WORD>(height), 0, 0, 0, 0};
        GetModeLimits(&limits);
        const std::string name = std::to_string(width) + "x" + std::to_string(height) + ":";
        std::cout << name << std::string(20 - name.size(), ' ')
                  << Limits(limits.wHorizontalMin, limits.wHorizontalMax, limits.wVerticalMin, limits.wVerticalMax)
                  << '\n';
    }
    const std::string deviceKey = machine::CurrentMachineIni().GetOr("monitor", "devicekey", machine::kDefaultMonitorDeviceKey);
    std::cout << "source:             " << monitor::MonitorSource(folder, deviceKey) << '\n';
    return 0;
}

// The file's bytes; MonitorImportError when it cannot be read or is too large.
// Only a regular file is read: a FIFO or a device is refused, not waited on.
std::string ReadInput(const fs::path& path) {
    std::string bytes;
    try {
        bytes = machine::ReadInputFile(path);
    } catch (const machine::MachineError&) {
        throw monitor::MonitorImportError("cannot be read");
    }
    if (bytes.size() > static_cast<size_t>(kMaxFileBytes))
        throw monitor::MonitorImportError("larger than any EDID or monitor INF");
    return bytes;
}

// An EDID starts with its header; other binary bytes are a damaged one. Text
// (or UTF-16 with its mark) is taken for an INF.
bool LooksLikeEdid(std::string_view bytes) {
    if (bytes.starts_with(std::string_view("\0\xFF\xFF", 3))) return true;
    if (bytes.starts_with("\xFF\xFE")) return false;
    for (const char c : bytes.substr(0, bytes.find('\x1A')))
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') return true;
    return bytes.empty();
}

void Install(const fs::path& folder, const monitor::MonitorDescription& description) {
    const std::string deviceKey = monitor::InstallMonitor(folder, description);
    std::cout << "installed " << description.name << " as HKEY_LOCAL_MACHINE\\" << deviceKey
              << "; it is now the machine's monitor\n";
    for (const auto& [folded, mode] : description.classKey.FindSubkey("MODES")->Subkeys())
        std::cout << "  MODES\\" << mode->Name() << "  Mode1 = " << *monitor::StringValue(*mode, "Mode1") << '\n';
    if (const auto maximum = monitor::StringValue(description.classKey, "MaxResolution"))
        std::cout << "  MaxResolution = " << *maximum << '\n';
    // What the page cannot read, as on Windows 95, said at once.
    if (description.name.size() >= sizeof MonitorInfo{}.szDescription)
        std::cout << "  note: the page reads descriptions of up to " << sizeof MonitorInfo{}.szDescription - 1
                  << " bytes; it shows this one as empty\n";
    if (const size_t modes = description.classKey.FindSubkey("MODES")->Subkeys().size(); modes > kPageModeEntries)
        std::cout << "  note: the page reads at most " << kPageModeEntries << " MODES entries; with " << modes
                  << " it knows no limits\n";
}

int ImportEdid(const fs::path& folder, std::string_view bytes) {
    const monitor::Edid edid =
        monitor::ReadEdid(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    Install(folder, monitor::DescribeEdidMonitor(edid));
    return 0;
}

int ImportInf(const fs::path& folder, const fs::path& file, std::string_view bytes, const std::string* model) {
    const monitor::MonitorInf inf = monitor::MonitorInf::Parse(bytes);
    const std::vector<monitor::InfModel> models = inf.Models();
    if (models.empty()) throw monitor::MonitorImportError("no models in its [Manufacturer] sections");
    if (model == nullptr) {
        std::cout << file.string() << ": " << models.size() << (models.size() == 1 ? " model" : " models")
                  << " (install one with: brontar monitor import FILE MODEL)\n";
        for (const monitor::InfModel& entry : models)
            std::cout << "  " << entry.description << "  [" << entry.manufacturer
                      << (entry.hardwareId.empty() ? "" : ", " + entry.hardwareId) << "]\n";
        return 0;
    }
    for (const monitor::InfModel& entry : models)
        if (machine::EqualsIgnoreCase(entry.description, *model) ||
            (!entry.hardwareId.empty() && machine::EqualsIgnoreCase(entry.hardwareId, *model))) {
            int skipped = 0;
            const monitor::MonitorDescription description = inf.Install(entry, file.filename().string(), &skipped);
            Install(folder, description);
            if (skipped > 0)
                std::cout << "  (" << skipped << " registry lines outside the monitor's keys left out)\n";
            return 0;
        }
    throw monitor::MonitorImportError("no model '" + *model + "' (run without MODEL for the list)");
}

// The EDID of the first connected display, with the file it came from.
std::optional<std::pair<fs::path, std::string>> ThisDisplaysEdid() {
    glob_t found{};
    std::optional<std::pair<fs::path, std::string>> edid;
    if (::glob("/sys/class/drm/*/edid", 0, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc && !edid; ++i) {
            const fs::path path = found.gl_pathv[i];
            std::string bytes;
            try {
                bytes = ReadInput(path);
            } catch (const monitor::MonitorImportError&) {
                continue;
            }
            if (!bytes.empty()) edid = std::pair{path, std::move(bytes)};  // empty: nothing on that connector
        }
    ::globfree(&found);
    return edid;
}

int RunImport(const fs::path& folder, const Arguments& args) {
    if (args.size() < 2 || args.size() > 3) throw UsageError("import takes FILE [MODEL] or --this-display");
    fs::path file = args[1];
    std::string bytes;
    try {
        if (args[1] == "--this-display") {
            if (args.size() != 2) throw UsageError("--this-display takes no MODEL");
            auto edid = ThisDisplaysEdid();
            if (!edid) {
                std::cerr << "brontar monitor: this computer shows no monitor's EDID (no connected display under "
                             "/sys/class/drm); nothing changed\n";
                return 1;
            }
            file = edid->first;
            return ImportEdid(folder, edid->second);
        }
        bytes = ReadInput(file);
        if (LooksLikeEdid(bytes)) {
            if (args.size() == 3) throw UsageError("an EDID describes one monitor: no MODEL");
            return ImportEdid(folder, bytes);
        }
        return ImportInf(folder, file, bytes, args.size() == 3 ? &args[2] : nullptr);
    } catch (const monitor::MonitorImportError& error) {
        std::cerr << "brontar monitor: " << file.string() << ": " << error.what() << "; nothing changed\n";
        return 1;
    }
}

int RunList(const fs::path& folder) {
    const auto monitors = monitor::ListInstalledMonitors(folder);
    if (monitors.empty()) std::cout << "no monitors installed\n";
    for (size_t i = 0; i < monitors.size(); ++i)
        std::cout << (monitors[i].attached ? "* " : "  ") << i + 1 << "  " << monitors[i].description << ", from " << monitors[i].source
                  << ", HKEY_LOCAL_MACHINE\\" << monitors[i].deviceKey << '\n';
    return 0;
}

int RunUse(const fs::path& folder, const Arguments& args) {
    if (args.size() != 2) throw UsageError("use takes the number that 'brontar monitor list' shows");
    const auto monitors = monitor::ListInstalledMonitors(folder);
    size_t number = 0;
    const auto [end, error] = std::from_chars(args[1].data(), args[1].data() + args[1].size(), number);
    if (error != std::errc() || end != args[1].data() + args[1].size() || number < 1 || number > monitors.size()) {
        std::cerr << "brontar monitor: no monitor number '" << args[1] << "' ('brontar monitor list' shows "
                  << monitors.size() << ")\n";
        return 1;
    }
    monitor::AttachMonitor(folder, monitors[number - 1].deviceKey);
    std::cout << "the machine's monitor is now " << monitors[number - 1].description << '\n';
    return 0;
}

}  // namespace

int RunMonitorCommand(const Arguments& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    try {
        const fs::path folder = machine::EnsureMachineFolder();
        if (args.empty()) return PrintAttachedMonitor(folder);
        if (args[0] == "import") return RunImport(folder, args);
        if (args[0] == "list" && args.size() == 1) return RunList(folder);
        if (args[0] == "use") return RunUse(folder, args);
        throw UsageError("unexpected argument '" + args[0] + "'");
    } catch (const UsageError& error) {
        std::cerr << "brontar monitor: " << error.what() << "\n\n" << kUsage;
        return 2;
    } catch (const machine::MachineError& error) {
        std::cerr << "brontar monitor: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace brontar::tools
