// The EDID a monitor sends: 128-byte blocks, the base block first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "machine/monitor/monitor_description.h"

namespace brontar::machine::monitor {

// One timing the monitor lists (established, standard or detailed).
struct EdidTiming {
    int width = 0;
    int height = 0;  // the frame's height, also when interlaced
    double horizontalKHz = 0;
    double verticalHz = 0;  // the field rate when interlaced
    bool interlaced = false;
};

struct Edid {
    std::string manufacturerId;  // three letters, "DEL"
    uint16_t productCode = 0;
    std::string productName;  // the name descriptor; empty without one
    std::optional<TimingLimits> rangeLimits;  // the range-limits descriptor
    std::vector<EdidTiming> timings;          // in the order the blocks list them
    std::vector<uint8_t> bytes;               // every block

    // "DEL71A5": manufacturer id and product code, as Plug and Play names it.
    std::string PnpId() const;
    // The range-limits descriptor, else the span of the listed timings.
    TimingLimits Limits() const;
    // The widest listed timing (of equal widths the tallest), the width being
    // what the page compares.
    std::pair<int, int> LargestResolution() const;
};

// Reads the blocks: header, version 1, checksum of every block, the extension
// blocks the base block announces (CTA-861 detailed timings are read). Throws
// MonitorImportError naming what is wrong.
Edid ReadEdid(std::span<const uint8_t> bytes);

// The monitor as setup installs it: one MODES entry at the largest resolution
// with the limits, and the EDID in the device key.
MonitorDescription DescribeEdidMonitor(const Edid& edid);

}  // namespace brontar::machine::monitor
