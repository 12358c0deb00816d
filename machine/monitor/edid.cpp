#include "machine/monitor/edid.h"

#include <cmath>
#include <cstdio>

namespace brontar::machine::monitor {

namespace {

constexpr size_t kBlockSize = 128;
constexpr uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr uint8_t kCtaTag = 0x02;

struct KnownTiming {
    int width, height;
    int nominalHz;  // as a standard timing names it
    double horizontalKHz, verticalHz;
    bool interlaced;
};

// The established timings, in the bit order of bytes 35 to 37 (most
// significant bit first).
constexpr KnownTiming kEstablished[17] = {
    {720, 400, 70, 31.467, 70.082, false},   {720, 400, 88, 39.444, 87.850, false},
    {640, 480, 60, 31.469, 59.940, false},   {640, 480, 67, 35.000, 66.667, false},
    {640, 480, 72, 37.861, 72.809, false},   {640, 480, 75, 37.500, 75.000, false},
    {800, 600, 56, 35.156, 56.250, false},   {800, 600, 60, 37.879, 60.317, false},
    {800, 600, 72, 48.077, 72.188, false},   {800, 600, 75, 46.875, 75.000, false},
    {832, 624, 75, 49.726, 74.551, false},   {1024, 768, 87, 35.522, 86.958, true},
    {1024, 768, 60, 48.363, 60.004, false},  {1024, 768, 70, 56.476, 70.069, false},
    {1024, 768, 75, 60.023, 75.029, false},  {1280, 1024, 75, 79.976, 75.025, false},
    {1152, 870, 75, 68.681, 75.062, false},
};

// The VESA display monitor timings a standard timing can name; others are
// worked out with the generalised timing formula.
constexpr KnownTiming kMonitorTimings[] = {
    {640, 480, 60, 31.469, 59.940, false},    {640, 480, 72, 37.861, 72.809, false},
    {640, 480, 75, 37.500, 75.000, false},    {640, 480, 85, 43.269, 85.008, false},
    {800, 600, 56, 35.156, 56.250, false},    {800, 600, 60, 37.879, 60.317, false},
    {800, 600, 72, 48.077, 72.188, false},    {800, 600, 75, 46.875, 75.000, false},
    {800, 600, 85, 53.674, 85.061, false},    {1024, 768, 60, 48.363, 60.004, false},
    {1024, 768, 70, 56.476, 70.069, false},   {1024, 768, 75, 60.023, 75.029, false},
    {1024, 768, 85, 68.677, 84.997, false},   {1152, 864, 75, 67.500, 75.000, false},
    {1280, 720, 60, 45.000, 60.000, false},   {1280, 800, 60, 49.702, 59.810, false},
    {1280, 800, 75, 62.795, 74.934, false},   {1280, 800, 85, 71.554, 84.880, false},
    {1280, 960, 60, 60.000, 60.000, false},   {1280, 960, 85, 85.938, 85.002, false},
    {1280, 1024, 60, 63.981, 60.020, false},  {1280, 1024, 75, 79.976, 75.025, false},
    {1280, 1024, 85, 91.146, 85.024, false},  {1400, 1050, 60, 65.317, 59.978, false},
    {1400, 1050, 75, 82.278, 74.867, false},  {1400, 1050, 85, 93.881, 84.960, false},
    {1440, 900, 60, 55.935, 59.887, false},   {1440, 900, 75, 70.635, 74.984, false},
    {1440, 900, 85, 80.430, 84.842, false},   {1600, 1200, 60, 75.000, 60.000, false},
    {1600, 1200, 65, 81.250, 65.000, false},  {1600, 1200, 70, 87.500, 70.000, false},
    {1600, 1200, 75, 93.750, 75.000, false},  {1600, 1200, 85, 106.250, 85.000, false},
    {1680, 1050, 60, 65.290, 59.954, false},  {1680, 1050, 75, 82.306, 74.892, false},
    {1680, 1050, 85, 93.859, 84.941, false},  {1792, 1344, 60, 83.640, 60.000, false},
    {1792, 1344, 75, 106.270, 74.997, false}, {1856, 1392, 60, 86.333, 59.995, false},
    {1856, 1392, 75, 112.500, 75.000, false}, {1920, 1080, 60, 67.500, 60.000, false},
    {1920, 1200, 60, 74.556, 59.885, false},  {1920, 1200, 75, 94.038, 74.930, false},
    {1920, 1200, 85, 107.184, 84.932, false}, {1920, 1440, 60, 90.000, 60.000, false},
    {1920, 1440, 75, 112.500, 75.000, false},
};

EdidTiming FromKnown(const KnownTiming& known) {
    return {known.width, known.height, known.horizontalKHz, known.verticalHz, known.interlaced};
}

// The generalised timing formula's line rate for a progressive mode, with its
// default blanking parameters (550 us of sync and back porch, one line of
// front porch).
double GtfHorizontalKHz(int height, double refreshHz) {
    constexpr double kSyncAndBackPorchUs = 550;
    const double periodEstimate = (1e6 / refreshHz - kSyncAndBackPorchUs) / (height + 1);
    const double syncAndBackPorchLines = std::round(kSyncAndBackPorchUs / periodEstimate);
    const double totalLines = height + syncAndBackPorchLines + 1;
    const double rateEstimate = 1e6 / periodEstimate / totalLines;
    const double period = periodEstimate / (refreshHz / rateEstimate);
    return 1000 / period;
}

void AddStandardTiming(uint8_t first, uint8_t second, int revision, std::vector<EdidTiming>& timings) {
    if (first == 0x00 || (first == 0x01 && second == 0x01)) return;  // unused slot
    const int width = (first + 31) * 8;
    const int refresh = (second & 0x3F) + 60;
    int height = 0;
    switch (second >> 6) {
        case 0: height = revision >= 3 ? width * 10 / 16 : width; break;
        case 1: height = width * 3 / 4; break;
        case 2: height = width * 4 / 5; break;
        default: height = width * 9 / 16; break;
    }
    for (const KnownTiming& known : kMonitorTimings)
        if (known.width == width && known.height == height && known.nominalHz == refresh) {
            timings.push_back(FromKnown(known));
            return;
        }
    timings.push_back({width, height, GtfHorizontalKHz(height, refresh), double(refresh), false});
}

// An 18-byte detailed timing descriptor; a pixel clock below 10 MHz or an
// empty frame is the filler some monitors leave there, not a timing.
void AddDetailedTiming(const uint8_t* d, std::vector<EdidTiming>& timings) {
    const int clock10kHz = d[0] | (d[1] << 8);
    const int width = d[2] | ((d[4] >> 4) << 8);
    const int horizontalBlank = d[3] | ((d[4] & 0x0F) << 8);
    const int lines = d[5] | ((d[7] >> 4) << 8);
    const int verticalBlank = d[6] | ((d[7] & 0x0F) << 8);
    const bool interlaced = (d[17] & 0x80) != 0;
    if (clock10kHz < 1000 || width == 0 || lines == 0) return;
    const double horizontalKHz = clock10kHz * 10.0 / (width + horizontalBlank);
    const double fieldLines = lines + verticalBlank + (interlaced ? 0.5 : 0.0);
    timings.push_back({width, interlaced ? lines * 2 : lines, horizontalKHz, horizontalKHz * 1000 / fieldLines,
                       interlaced});
}

// The range-limits descriptor; the offset flags of revision 4 add 255.
TimingLimits ReadRangeLimits(const uint8_t* d, int revision) {
    const uint8_t offsets = revision >= 4 ? d[4] : 0;
    const auto plus = [](bool set) { return set ? 255 : 0; };
    TimingLimits limits;
    limits.verticalMinHz = d[5] + plus((offsets & 0x03) == 0x03);
    limits.verticalMaxHz = d[6] + plus((offsets & 0x02) != 0);
    limits.horizontalMinKHz = d[7] + plus((offsets & 0x0C) == 0x0C);
    limits.horizontalMaxKHz = d[8] + plus((offsets & 0x08) != 0);
    return limits;
}

// Descriptor text: up to 13 characters ended by a line feed, padded with blanks.
std::string DescriptorText(const uint8_t* d) {
    std::string text;
    for (int i = 5; i < 18 && d[i] != 0x0A; ++i) text += d[i] >= 0x20 && d[i] < 0x7F ? char(d[i]) : '?';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void ReadBaseBlock(const uint8_t* block, Edid& edid) {
    const int revision = block[19];
    const uint16_t id = uint16_t(block[8] << 8 | block[9]);
    for (int shift : {10, 5, 0}) {
        const int letter = (id >> shift) & 0x1F;
        edid.manufacturerId += letter >= 1 && letter <= 26 ? char('A' + letter - 1) : '?';
    }
    edid.productCode = uint16_t(block[10] | block[11] << 8);

    const uint32_t established = uint32_t(block[35]) << 16 | uint32_t(block[36]) << 8 | block[37];
    for (int i = 0; i < 17; ++i)
        if (established & (0x800000u >> i)) edid.timings.push_back(FromKnown(kEstablished[i]));
    for (int i = 0; i < 8; ++i) AddStandardTiming(block[38 + 2 * i], block[39 + 2 * i], revision, edid.timings);

    for (int i = 0; i < 4; ++i) {
        const uint8_t* d = block + 54 + 18 * i;
        if (d[0] != 0 || d[1] != 0) {
            AddDetailedTiming(d, edid.timings);
            continue;
        }
        switch (d[3]) {
            case 0xFC: edid.productName += DescriptorText(d); break;  // a long name spans descriptors
            case 0xFD: edid.rangeLimits = ReadRangeLimits(d, revision); break;
            case 0xFA:
                for (int j = 0; j < 6; ++j) AddStandardTiming(d[5 + 2 * j], d[6 + 2 * j], revision, edid.timings);
                break;
            default: break;
        }
    }
}

void ReadCtaBlock(const uint8_t* block, Edid& edid) {
    const size_t start = block[2];
    if (start < 4 || start >= kBlockSize) return;
    for (size_t offset = start; offset + 18 <= kBlockSize - 1; offset += 18) {
        if (block[offset] == 0 && block[offset + 1] == 0) break;
        AddDetailedTiming(block + offset, edid.timings);
    }
}

}  // namespace

std::string Edid::PnpId() const {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", productCode);
    return manufacturerId + code;
}

TimingLimits Edid::Limits() const {
    if (rangeLimits) return *rangeLimits;
    TimingLimits limits{1e9, 0, 1e9, 0};
    for (const EdidTiming& timing : timings) {
        limits.horizontalMinKHz = std::min(limits.horizontalMinKHz, timing.horizontalKHz);
        limits.horizontalMaxKHz = std::max(limits.horizontalMaxKHz, timing.horizontalKHz);
        limits.verticalMinHz = std::min(limits.verticalMinHz, timing.verticalHz);
        limits.verticalMaxHz = std::max(limits.verticalMaxHz, timing.verticalHz);
    }
    return limits;
}

std::pair<int, int> Edid::LargestResolution() const {
    std::pair<int, int> largest{0, 0};
    for (const EdidTiming& timing : timings) largest = std::max(largest, std::pair{timing.width, timing.height});
    return largest;
}

Edid ReadEdid(std::span<const uint8_t> bytes) {
    if (bytes.size() < kBlockSize)
        throw MonitorImportError("truncated: " + std::to_string(bytes.size()) +
                                 " bytes, an EDID has at least 128");
    if (!std::equal(std::begin(kHeader), std::end(kHeader), bytes.begin()))
        throw MonitorImportError("not an EDID: the header is not 00 FF FF FF FF FF FF 00");
    if (bytes[18] != 1)
        throw MonitorImportError("EDID version " + std::to_string(bytes[18]) + " is not version 1");
    const size_t blocks = 1 + size_t(bytes[126]);
    if (bytes.size() < blocks * kBlockSize)
        throw MonitorImportError("truncated: " + std::to_string(bytes.size()) + " bytes, the EDID announces " +
                                 std::to_string(blocks - 1) + " extension blocks (" +
                                 std::to_string(blocks * kBlockSize) + " bytes)");
    if (bytes.size() % kBlockSize != 0)
        throw MonitorImportError(std::to_string(bytes.size()) + " bytes is not a whole number of 128-byte blocks");
    for (size_t block = 0; block < blocks; ++block) {
        uint8_t sum = 0;
        for (size_t i = 0; i < kBlockSize; ++i) sum = uint8_t(sum + bytes[block * kBlockSize + i]);
        if (sum != 0)
            throw MonitorImportError("the checksum of block " + std::to_string(block) + " is wrong (its bytes add up to " +
                                     std::to_string(sum) + ", not 0 modulo 256)");
    }

    Edid edid;
    edid.bytes.assign(bytes.begin(), bytes.begin() + blocks * kBlockSize);
    ReadBaseBlock(bytes.data(), edid);
    for (size_t block = 1; block < blocks; ++block)
        if (bytes[block * kBlockSize] == kCtaTag) ReadCtaBlock(bytes.data() + block * kBlockSize, edid);
    if (!edid.rangeLimits && edid.timings.empty())
        throw MonitorImportError("the EDID has neither range limits nor timings");
    try {
        CheckLimits(edid.Limits());
    } catch (const MonitorImportError& error) {
        throw MonitorImportError(std::string(edid.rangeLimits ? "range limits: " : "timings: ") + error.what());
    }
    if (edid.timings.empty()) throw MonitorImportError("the EDID lists no resolution");
    return edid;
}

MonitorDescription DescribeEdidMonitor(const Edid& edid) {
    namespace reg = registry;
    MonitorDescription monitor;
    monitor.name = edid.productName.empty() ? edid.PnpId() : edid.productName;
    monitor.manufacturer = edid.manufacturerId;
    monitor.hardwareId = "MONITOR\\" + edid.PnpId();
    const auto [width, height] = edid.LargestResolution();
    const std::string resolution = std::to_string(width) + "," + std::to_string(height);
    monitor.classKey.SetValue("MaxResolution", reg::kTypeString, reg::StringBytes(resolution));
    monitor.classKey.CreateSubkey("MODES").CreateSubkey(resolution).SetValue(
        "Mode1", reg::kTypeString, reg::StringBytes(FormatModeTiming(edid.Limits())));
    monitor.deviceKey.SetValue("EDID", reg::kTypeBinary, edid.bytes);
    return monitor;
}

}  // namespace brontar::machine::monitor
