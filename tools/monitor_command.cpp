// brontar monitor: what the settings page knows of the attached monitor.
#include <iostream>
#include <string>

#include "machine/machine_folder.h"
#include "propsheet/monitor_info.h"
#include "tools/command.h"

namespace brontar::tools {

namespace {

// The resolutions of the board's full-screen modes.
constexpr int kResolutions[][2] = {{512, 384}, {640, 400}, {640, 480}, {800, 600}};

std::string Range(long minimum, long maximum, const char* unit) {
    if (minimum == 0 && maximum == 0) return std::string("unknown ") + unit;
    return std::to_string(minimum) + "-" + std::to_string(maximum) + " " + unit;
}

std::string Limits(long horizontalMin, long horizontalMax, long verticalMin, long verticalMax) {
    return "horizontal " + Range(horizontalMin, horizontalMax, "kHz") + ", vertical " +
           Range(verticalMin, verticalMax, "Hz");
}

std::string Bound(long value) { return value == MONITOR_NO_BOUND ? "none" : std::to_string(value); }

}  // namespace

int RunMonitorCommand(const Arguments& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << "usage: brontar monitor\n\n"
                     "Prints what the settings page knows of the attached monitor, read as\n"
                     "the page reads it (through qorhlp16.dll and the registry's display class\n"
                     "data): description, class key, maximum resolution, default limits, and\n"
                     "the limits for each of the board's resolutions (0: unknown).\n";
        return 0;
    }
    if (!args.empty()) {
        std::cerr << "brontar monitor: unexpected argument '" << args[0] << "'\n";
        return 2;
    }
    try {
        machine::EnsureMachineFolder();
    } catch (const machine::MachineError& error) {
        std::cerr << "brontar monitor: " << error.what() << '\n';
        return 1;
    }
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
    for (const auto& [width, height] : kResolutions) {
        ModeLimits limits{static_cast<WORD>(width), static_cast<WORD>(height), 0, 0, 0, 0};
        GetModeLimits(&limits);
        const std::string name = std::to_string(width) + "x" + std::to_string(height) + ":";
        std::cout << name << std::string(20 - name.size(), ' ')
                  << Limits(limits.wHorizontalMin, limits.wHorizontalMax, limits.wVerticalMin, limits.wVerticalMax)
                  << '\n';
    }
    return 0;
}

}  // namespace brontar::tools
