// Every EDID of the data folder read as its reference decoding (the
// .edid-decode.txt beside it) reads it: name, maximum resolution, and the
// range limits, or without them the span of the listed timings.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <iterator>
#include <sstream>

#include "machine/monitor/edid.h"
#include "tests/support/temp_machine.h"

namespace brontar::machine::monitor {
namespace {

namespace fs = std::filesystem;
using brontar::testing::ReadFileText;

struct Reference {
    std::string name;
    std::optional<TimingLimits> ranges;
    TimingLimits timingSpan{1e9, 0, 1e9, 0};
    std::pair<int, int> largest{0, 0};
};

// The reference decoding's own words: the name (or manufacturer and model
// number), "Monitor ranges", and every timing line of the base block and the
// extension's detailed timings (the video data block's VICs are not EDID
// timings and are left out).
Reference ReadReference(const fs::path& path) {
    Reference reference;
    std::istringstream lines(ReadFileText(path));
    std::string manufacturer, model;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Preferred") || line.starts_with("Native") || line.find("VIC") != std::string::npos)
            continue;
        if (const size_t at = line.find("Manufacturer: "); at != std::string::npos) manufacturer = line.substr(at + 14);
        if (const size_t at = line.find("Model: "); at != std::string::npos) model = line.substr(at + 7);
        if (const size_t at = line.find("Display Product Name: '"); at != std::string::npos)
            reference.name = line.substr(at + 23, line.rfind('\'') - at - 23);
        int low[2], high[2];
        if (const size_t at = line.find("Monitor ranges ("); at != std::string::npos &&
            std::sscanf(line.c_str() + line.find("): ", at) + 3, "%d-%d Hz V, %d-%d kHz H", &low[0], &high[0],
                        &low[1], &high[1]) == 4)
            reference.ranges = TimingLimits{double(low[1]), double(high[1]), double(low[0]), double(high[0])};
        // A timing: "1024x768[i]  60.003840 Hz  4:3  48.363 kHz ..."; without
        // a known formula the kHz are missing.
        std::istringstream words(line);
        std::vector<std::string> word{std::istream_iterator<std::string>(words), {}};
        for (size_t i = 0; i + 2 < word.size(); ++i) {
            int width = 0, height = 0;
            char end = 0;
            if (word[i + 2] != "Hz" || std::sscanf(word[i].c_str(), "%dx%d%c", &width, &height, &end) < 2) continue;
            reference.largest = std::max(reference.largest, std::pair{width, height});
            if (i + 5 >= word.size() || word[i + 5] != "kHz") continue;
            const double hertz = std::stod(word[i + 1]), kilohertz = std::stod(word[i + 4]);
            TimingLimits& span = reference.timingSpan;
            span.horizontalMinKHz = std::min(span.horizontalMinKHz, kilohertz);
            span.horizontalMaxKHz = std::max(span.horizontalMaxKHz, kilohertz);
            span.verticalMinHz = std::min(span.verticalMinHz, hertz);
            span.verticalMaxHz = std::max(span.verticalMaxHz, hertz);
        }
    }
    if (reference.name.empty()) {
        char code[8];
        std::snprintf(code, sizeof code, "%04X", std::stoi(model));
        reference.name = manufacturer + code;
    }
    return reference;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    const std::string text = ReadFileText(path);
    return {text.begin(), text.end()};
}

TEST(EdidDecoding, EveryEdidMatchesItsReferenceDecoding) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(BRONTAR_MONITOR_DATA)) {
        if (entry.path().extension() != ".bin") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        fs::path decoding = entry.path();
        const Reference reference = ReadReference(decoding.replace_extension(".edid-decode.txt"));
        const MonitorDescription monitor = DescribeEdidMonitor(ReadEdid(ReadBytes(entry.path())));

        EXPECT_EQ(monitor.name, reference.name);
        const std::string largest = std::to_string(reference.largest.first) + "," +
                                    std::to_string(reference.largest.second);
        EXPECT_EQ(StringValue(monitor.classKey, "MaxResolution"), largest);
        // One mode: the page gives every resolution its limits.
        const registry::RegistryKey* modes = monitor.classKey.FindSubkey("MODES");
        ASSERT_NE(modes, nullptr);
        ASSERT_EQ(modes->Subkeys().size(), 1u);
        ASSERT_NE(modes->FindSubkey(largest), nullptr);
        const TimingLimits limits = ReadModeTiming(*StringValue(*modes->FindSubkey(largest), "Mode1"));
        if (reference.ranges) {
            EXPECT_EQ(limits.horizontalMinKHz, reference.ranges->horizontalMinKHz);
            EXPECT_EQ(limits.horizontalMaxKHz, reference.ranges->horizontalMaxKHz);
            EXPECT_EQ(limits.verticalMinHz, reference.ranges->verticalMinHz);
            EXPECT_EQ(limits.verticalMaxHz, reference.ranges->verticalMaxHz);
        } else {
            // Tenths that still take in every listed timing, and no more.
            const TimingLimits& span = reference.timingSpan;
            EXPECT_LE(limits.horizontalMinKHz, span.horizontalMinKHz);
            EXPECT_GT(limits.horizontalMinKHz, span.horizontalMinKHz - 0.1);
            EXPECT_GE(limits.horizontalMaxKHz, span.horizontalMaxKHz);
            EXPECT_LT(limits.horizontalMaxKHz, span.horizontalMaxKHz + 0.1);
            EXPECT_LE(limits.verticalMinHz, span.verticalMinHz);
            EXPECT_GT(limits.verticalMinHz, span.verticalMinHz - 0.1);
            EXPECT_GE(limits.verticalMaxHz, span.verticalMaxHz);
            EXPECT_LT(limits.verticalMaxHz, span.verticalMaxHz + 0.1);
        }
        // The device key keeps every block the monitor sent.
        const registry::RegistryValue* edid = monitor.deviceKey.FindValue("EDID");
        ASSERT_NE(edid, nullptr);
        EXPECT_EQ(edid->data, ReadBytes(entry.path()));
    }
    EXPECT_EQ(files, 7);
}

// A range-limits descriptor of revision 4 with every offset flag set: each
// limit is 255 above its byte.
TEST(EdidDecoding, RevisionFourOffsetsAddTo255) {
    std::vector<uint8_t> bytes = ReadBytes(fs::path(BRONTAR_MONITOR_DATA) / "lcd-dell-e178wfp-vga.bin");
    size_t descriptor = 0;
    for (size_t at = 54; at < 126; at += 18)
        if (bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 3] == 0xFD) descriptor = at;
    ASSERT_NE(descriptor, 0u);
    bytes[descriptor + 4] = 0x0F;
    bytes[descriptor + 5] = 10, bytes[descriptor + 6] = 20, bytes[descriptor + 7] = 30, bytes[descriptor + 8] = 40;
    uint8_t sum = 0;
    for (size_t i = 0; i < 127; ++i) sum = uint8_t(sum + bytes[i]);
    bytes[127] = uint8_t(-sum);
    const TimingLimits limits = ReadEdid(bytes).Limits();
    EXPECT_EQ(limits.verticalMinHz, 265);
    EXPECT_EQ(limits.verticalMaxHz, 275);
    EXPECT_EQ(limits.horizontalMinKHz, 285);
    EXPECT_EQ(limits.horizontalMaxKHz, 295);
}

}  // namespace
}  // namespace brontar::machine::monitor
