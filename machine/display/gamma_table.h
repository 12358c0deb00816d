// The board's gamma as one lookup from an RGB565 pixel to the 8-bit RGB the
// monitor shows.
#pragma once

#include <array>
#include <cstdint>

#include "machine/display/presentation.h"

namespace brontar::machine {

// The 8-bit value of a 5- or 6-bit channel, widened by bit replication so that
// the full channel maps to 255 (0x1F -> 0xFF, 0x10 -> 0x84).
uint8_t WidenChannel(unsigned value, unsigned bits);

// 255 * (in / 255) ^ (1 / gamma), rounded; a gamma that is not a positive
// finite number is taken as 1.0.
uint8_t ApplyChannelGamma(uint8_t in, float gamma);

// One entry per RGB565 value: 0x00RRGGBB after widening and gamma.
class GammaTable {
public:
    explicit GammaTable(const DisplayGamma& gamma);

    uint32_t operator[](uint16_t pixel) const { return entries_[pixel]; }
    bool Matches(const DisplayGamma& gamma) const;

private:
    DisplayGamma gamma_;
    std::array<uint32_t, 65536> entries_;
};

}  // namespace brontar::machine
