#include "machine/display/gamma_table.h"

#include <cmath>

namespace brontar::machine {

uint8_t WidenChannel(unsigned value, unsigned bits) {
    // Repeat the channel's top bits below it, so 0 stays 0 and the maximum becomes 255.
    return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

uint8_t ApplyChannelGamma(uint8_t in, float gamma) {
    if (!std::isfinite(gamma) || gamma <= 0.0f) gamma = 1.0f;
    double out = 255.0 * std::pow(in / 255.0, 1.0 / gamma);
    return static_cast<uint8_t>(std::lround(std::fmin(out, 255.0)));
}

GammaTable::GammaTable(const DisplayGamma& gamma) : gamma_(gamma) {
    std::array<uint8_t, 32> red{}, blue{};
    std::array<uint8_t, 64> green{};
    for (unsigned v = 0; v < 32; ++v) {
        red[v] = ApplyChannelGamma(WidenChannel(v, 5), gamma.red);
        blue[v] = ApplyChannelGamma(WidenChannel(v, 5), gamma.blue);
    }
    for (unsigned v = 0; v < 64; ++v) green[v] = ApplyChannelGamma(WidenChannel(v, 6), gamma.green);
    for (uint32_t pixel = 0; pixel < 65536; ++pixel) {
        entries_[pixel] = (uint32_t{red[pixel >> 11]} << 16) | (uint32_t{green[(pixel >> 5) & 0x3F]} << 8) |
                          uint32_t{blue[pixel & 0x1F]};
    }
}

bool GammaTable::Matches(const DisplayGamma& gamma) const {
    return gamma.red == gamma_.red && gamma.green == gamma_.green && gamma.blue == gamma_.blue;
}

}  // namespace brontar::machine
