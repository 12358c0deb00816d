// EDIDs on any bytes: the reader reads only within them and either refuses
// them or describes a monitor whose class data the page can read.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "machine/monitor/edid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace monitor = brontar::machine::monitor;
    try {
        const monitor::Edid edid = monitor::ReadEdid(std::span(data, size));
        monitor::CheckClassData(monitor::DescribeEdidMonitor(edid).classKey);
    } catch (const monitor::MonitorImportError&) {
    }
    return 0;
}
