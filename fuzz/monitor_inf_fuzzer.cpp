// Monitor INF files on any bytes: parsing, listing and installing every
// model either refuse the file or give class data the page can read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "machine/monitor/monitor_inf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace monitor = brontar::machine::monitor;
    try {
        const monitor::MonitorInf inf =
            monitor::MonitorInf::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const monitor::InfModel& model : inf.Models()) {
            try {
                monitor::CheckClassData(inf.Install(model, "fuzz.inf").classKey);
            } catch (const monitor::MonitorImportError&) {
            }
        }
    } catch (const monitor::MonitorImportError&) {
    }
    return 0;
}
