#include "machine/monitor/monitor_description.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "machine/plain_text.h"

namespace brontar::machine::monitor {

namespace {

// Beyond these no monitor has ever scanned; a larger number is a broken file.
constexpr double kMaxHorizontalKHz = 1000;
constexpr double kMaxVerticalHz = 1000;
constexpr int kMaxResolutionSide = 16384;

std::optional<double> ReadNumber(std::string_view text) {
    text = Trim(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "min-max" or one number for both.
void ReadRange(std::string_view field, const char* what, double& minimum, double& maximum) {
    const size_t dash = field.find('-', field.find_first_not_of(" \t") + 1);
    const auto low = ReadNumber(field.substr(0, dash));
    const auto high = dash == std::string_view::npos ? low : ReadNumber(field.substr(dash + 1));
    if (!low || !high)
        throw MonitorImportError(std::string("the ") + what + " range '" + std::string(field) + "' is not a range");
    minimum = *low;
    maximum = *high;
}

std::string Tenths(double value, bool roundUp) {
    const double tenths = roundUp ? std::ceil(value * 10 - 1e-6) : std::floor(value * 10 + 1e-6);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10);
    return text;
}

}  // namespace

std::string FormatModeTiming(const TimingLimits& limits) {
    return Tenths(limits.horizontalMinKHz, false) + "-" + Tenths(limits.horizontalMaxKHz, true) + "," +
           Tenths(limits.verticalMinHz, false) + "-" + Tenths(limits.verticalMaxHz, true) + ",+,+";
}

void CheckLimits(const TimingLimits& limits) {
    const auto check = [](double minimum, double maximum, double ceiling, const char* what, const char* unit) {
        const auto number = [&](double value) { return Tenths(value, false) + " " + unit; };
        if (minimum <= 0 || maximum <= 0)
            throw MonitorImportError(std::string("the ") + what + " range reaches 0 " + unit + " or below");
        if (minimum > maximum)
            throw MonitorImportError(std::string("the ") + what + " range is reversed (" + number(minimum) +
                                     " to " + number(maximum) + ")");
        if (maximum > ceiling)
            throw MonitorImportError(std::string("the ") + what + " frequency " + number(maximum) +
                                     " is beyond any monitor");
    };
    check(limits.horizontalMinKHz, limits.horizontalMaxKHz, kMaxHorizontalKHz, "horizontal", "kHz");
    check(limits.verticalMinHz, limits.verticalMaxHz, kMaxVerticalHz, "vertical", "Hz");
}

TimingLimits ReadModeTiming(std::string_view text) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        throw MonitorImportError("the timing text '" + std::string(text) + "' has no vertical range");
    const size_t end = text.find(',', comma + 1);
    TimingLimits limits;
    ReadRange(text.substr(0, comma), "horizontal", limits.horizontalMinKHz, limits.horizontalMaxKHz);
    ReadRange(text.substr(comma + 1, end == std::string_view::npos ? end : end - comma - 1), "vertical",
              limits.verticalMinHz, limits.verticalMaxHz);
    CheckLimits(limits);
    return limits;
}

std::optional<std::pair<int, int>> ReadResolution(std::string_view text) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto side = [](std::string_view digits) -> std::optional<int> {
        digits = Trim(digits);
        int value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 1 ||
            value > kMaxResolutionSide)
            return std::nullopt;
        return value;
    };
    const auto width = side(text.substr(0, comma));
    const auto height = side(text.substr(comma + 1));
    if (!width || !height) return std::nullopt;
    return std::pair{*width, *height};
}

std::optional<std::string> StringValue(const registry::RegistryKey& key, std::string_view name) {
    const registry::RegistryValue* value = key.FindValue(name);
    if (value == nullptr || value->type != registry::kTypeString) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

void CheckClassData(const registry::RegistryKey& classKey) {
    if (classKey.FindValue("MaxResolution") != nullptr) {
        const auto text = StringValue(classKey, "MaxResolution");
        if (!text || !ReadResolution(*text))
            throw MonitorImportError("MaxResolution '" + text.value_or("(not text)") + "' is not WIDTH,HEIGHT");
    }
    const registry::RegistryKey* modes = classKey.FindSubkey("MODES");
    if (modes == nullptr || modes->Subkeys().empty()) throw MonitorImportError("no modes (MODES\\W,H with Mode1)");
    for (const auto& [folded, mode] : modes->Subkeys()) {
        if (!ReadResolution(mode->Name()))
            throw MonitorImportError("the mode 'MODES\\" + mode->Name() + "' is not named WIDTH,HEIGHT");
        const auto timing = StringValue(*mode, "Mode1");
        if (!timing) throw MonitorImportError("the mode 'MODES\\" + mode->Name() + "' has no Mode1 text");
        try {
            ReadModeTiming(*timing);
        } catch (const MonitorImportError& error) {
            throw MonitorImportError("MODES\\" + mode->Name() + ": " + error.what());
        }
    }
}

}  // namespace brontar::machine::monitor
