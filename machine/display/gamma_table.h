// The board's gamma as one lookup from an RGB565 pixel to the 8-bit RGB the
// monitor shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "machine/display/presentation.h"

namespace brontar::machine {

// The 8-bit value of a 5- or 6-bit channel, widened by bit replication so that
// the full channel maps to 255 (0x1F -> 0xFF, 0x10 -> 0x84).
uint8_t WidenChannel(unsigned value, unsigned bits);

// 255 * (in / 255) ^ (1 / gamma), rounded; a gamma that is not a positive
// finite number is taken as 1.0.
uint8_t ApplyChannelGamma(uint8_t in, float gamma);

// The ways a row can be converted: one pixel at a time, or with byte
// shuffles of AVX2 (32 pixels a round) or of AVX-512 VBMI (64).
enum class PixelConversion { Portable, Avx2, Avx512Vbmi };

// True when this processor can convert that way.
bool ConversionSupported(PixelConversion conversion);

// The gamma of each channel after widening, as one small table per channel
// (32 red, 64 green, 32 blue values). A pixel's channels are looked up on
// their own, so whole rows convert with byte shuffles where the processor
// has them.
class GammaTable {
public:
    explicit GammaTable(const DisplayGamma& gamma);

    // 0x00RRGGBB after widening and gamma.
    uint32_t operator[](uint16_t pixel) const {
        return (uint32_t{red_[pixel >> 11]} << 16) | (uint32_t{green_[(pixel >> 5) & 0x3F]} << 8) |
               uint32_t{blue_[pixel & 0x1F]};
    }
    // out[i] = (*this)[in[i]] for count pixels, the fastest supported way.
    void ConvertRow(const uint16_t* in, uint32_t* out, size_t count) const;
    // The same a chosen way (which must be supported), for tests.
    void ConvertRow(const uint16_t* in, uint32_t* out, size_t count, PixelConversion conversion) const;
    bool Matches(const DisplayGamma& gamma) const;

private:
    DisplayGamma gamma_;
    // Red and blue fill their 32 entries twice, so a 6-bit index whose top
    // bit belongs to another channel finds the same value.
    alignas(64) std::array<uint8_t, 64> red_{};
    alignas(64) std::array<uint8_t, 64> green_{};
    alignas(64) std::array<uint8_t, 64> blue_{};
};

}  // namespace brontar::machine
