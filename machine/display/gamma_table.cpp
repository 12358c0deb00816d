#include "machine/display/gamma_table.h"

#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BRONTAR_GAMMA_X86 1
#endif

#include "machine/vector_units.h"

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
    for (unsigned v = 0; v < 64; ++v) {
        red_[v] = ApplyChannelGamma(WidenChannel(v & 0x1F, 5), gamma.red);
        blue_[v] = ApplyChannelGamma(WidenChannel(v & 0x1F, 5), gamma.blue);
    }
    for (unsigned v = 0; v < 64; ++v) green_[v] = ApplyChannelGamma(WidenChannel(v, 6), gamma.green);
}

bool GammaTable::Matches(const DisplayGamma& gamma) const {
    return gamma.red == gamma_.red && gamma.green == gamma_.green && gamma.blue == gamma_.blue;
}

namespace {

#ifdef BRONTAR_GAMMA_X86

// A byte shuffle looks up 16 entries per 128-bit lane; a 32-entry table is
// two of them, a 64-entry table four, chosen by the index's bits 4 and 5.
// A blend picks by the top bit of each byte, so the index shifted left
// (in 16-bit lanes: bits shifted across bytes land below bit 7) is the mask.
struct ShuffleTables {
    __m256i part[4];
};

[[gnu::target("avx2")]] ShuffleTables LoadTables(const uint8_t* table, int parts) {
    ShuffleTables tables{};
    for (int i = 0; i < parts; ++i)
        tables.part[i] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i)));
    return tables;
}

[[gnu::target("avx2")]] inline __m256i Lookup32(const ShuffleTables& t, __m256i index) {
    const __m256i low = _mm256_shuffle_epi8(t.part[0], index);
    const __m256i high = _mm256_shuffle_epi8(t.part[1], index);
    return _mm256_blendv_epi8(low, high, _mm256_slli_epi16(index, 3));
}

[[gnu::target("avx2")]] inline __m256i Lookup64(const ShuffleTables& t, __m256i index) {
    const __m256i bit4 = _mm256_slli_epi16(index, 3);
    const __m256i low = _mm256_blendv_epi8(_mm256_shuffle_epi8(t.part[0], index),
                                           _mm256_shuffle_epi8(t.part[1], index), bit4);
    const __m256i high = _mm256_blendv_epi8(_mm256_shuffle_epi8(t.part[2], index),
                                            _mm256_shuffle_epi8(t.part[3], index), bit4);
    return _mm256_blendv_epi8(low, high, _mm256_slli_epi16(index, 2));
}

// 32 pixels a round: their high and low bytes are packed apart, the three
// channels cut out as bytes and looked up, then interleaved back into
// 0x00RRGGBB. Returns how many pixels it converted (a multiple of 32).
[[gnu::target("avx2")]] size_t ConvertRowAvx2(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                                              const uint16_t* in, uint32_t* out, size_t count) {
    const ShuffleTables redTables = LoadTables(red, 2), greenTables = LoadTables(green, 4),
                        blueTables = LoadTables(blue, 2);
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i five = _mm256_set1_epi8(0x1F), three = _mm256_set1_epi8(0x07);
    const __m256i zero = _mm256_setzero_si256();
    size_t done = 0;
    for (; done + 32 <= count; done += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + done + 16));
        // Per lane: a's 8 pixels then b's 8; the permutes at the end undo it.
        const __m256i low = _mm256_packus_epi16(_mm256_and_si256(a, lowByte), _mm256_and_si256(b, lowByte));
        const __m256i high = _mm256_packus_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
        const __m256i r = _mm256_and_si256(_mm256_srli_epi16(high, 3), five);
        const __m256i g = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(high, three), 3),
                                          _mm256_and_si256(_mm256_srli_epi16(low, 5), three));
        const __m256i bl = _mm256_and_si256(low, five);
        const __m256i R = Lookup32(redTables, r), G = Lookup64(greenTables, g), B = Lookup32(blueTables, bl);
        const __m256i bgLow = _mm256_unpacklo_epi8(B, G), bgHigh = _mm256_unpackhi_epi8(B, G);
        const __m256i r0Low = _mm256_unpacklo_epi8(R, zero), r0High = _mm256_unpackhi_epi8(R, zero);
        // Lane 0 holds a0-7 and b0-7, lane 1 a8-15 and b8-15.
        const __m256i q0 = _mm256_unpacklo_epi16(bgLow, r0Low);    // a0-3 | a8-11
        const __m256i q1 = _mm256_unpackhi_epi16(bgLow, r0Low);    // a4-7 | a12-15
        const __m256i q2 = _mm256_unpacklo_epi16(bgHigh, r0High);  // b0-3 | b8-11
        const __m256i q3 = _mm256_unpackhi_epi16(bgHigh, r0High);  // b4-7 | b12-15
        __m256i* target = reinterpret_cast<__m256i*>(out + done);
        _mm256_storeu_si256(target + 0, _mm256_permute2x128_si256(q0, q1, 0x20));
        _mm256_storeu_si256(target + 1, _mm256_permute2x128_si256(q0, q1, 0x31));
        _mm256_storeu_si256(target + 2, _mm256_permute2x128_si256(q2, q3, 0x20));
        _mm256_storeu_si256(target + 3, _mm256_permute2x128_si256(q2, q3, 0x31));
    }
    return done;
}

// Byte positions of 64 pixels' bytes, in the order that makes the unpacks
// below leave the pixels in order: unpacking takes bytes 0-7 (then 8-15) of
// each 128-bit lane, then their words 0-3 (then 4-7), so output vector
// k = 2h + l, lane L, element e is pixel 16k + 4L + e and comes from byte
// 16L + 8h + 4l + e. Pixel j's low byte lies at 2j of the two loads.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] __m512i PixelOrder() {
    alignas(64) uint8_t order[64];
    for (int position = 0; position < 64; ++position) {
        const int lane = position >> 4, h = (position >> 3) & 1, l = (position >> 2) & 1, e = position & 3;
        order[position] = uint8_t(2 * (16 * (2 * h + l) + 4 * lane + e));
    }
    return _mm512_load_si512(order);
}

// 64 pixels a round: each channel's bytes gathered from the two loads in
// one permute (red from the pixels shifted by 11, green by 5, blue as they
// are; a 64-entry lookup uses an index's low six bits only), looked up in
// one permute each, then interleaved into 0x00RRGGBB.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] size_t ConvertRowAvx512(const uint8_t* red, const uint8_t* green,
                                                                        const uint8_t* blue, const uint16_t* in,
                                                                        uint32_t* out, size_t count) {
    const __m512i redTable = _mm512_loadu_si512(red), greenTable = _mm512_loadu_si512(green),
                  blueTable = _mm512_loadu_si512(blue);
    const __m512i order = PixelOrder(), zero = _mm512_setzero_si512();
    size_t done = 0;
    for (; done + 64 <= count; done += 64) {
        const __m512i a = _mm512_loadu_si512(in + done), b = _mm512_loadu_si512(in + done + 32);
        const __m512i r = _mm512_permutex2var_epi8(_mm512_srli_epi16(a, 11), order, _mm512_srli_epi16(b, 11));
        const __m512i g = _mm512_permutex2var_epi8(_mm512_srli_epi16(a, 5), order, _mm512_srli_epi16(b, 5));
        const __m512i bl = _mm512_permutex2var_epi8(a, order, b);
        // The zero-masked form with every lane on: GCC 12's plain one warns of an undefined source.
        constexpr __mmask64 kAll = ~__mmask64{0};
        const __m512i R = _mm512_maskz_permutexvar_epi8(kAll, r, redTable),
                      G = _mm512_maskz_permutexvar_epi8(kAll, g, greenTable),
                      B = _mm512_maskz_permutexvar_epi8(kAll, bl, blueTable);
        const __m512i bgLow = _mm512_unpacklo_epi8(B, G), bgHigh = _mm512_unpackhi_epi8(B, G);
        const __m512i r0Low = _mm512_unpacklo_epi8(R, zero), r0High = _mm512_unpackhi_epi8(R, zero);
        uint32_t* target = out + done;
        _mm512_storeu_si512(target + 0, _mm512_unpacklo_epi16(bgLow, r0Low));
        _mm512_storeu_si512(target + 16, _mm512_unpackhi_epi16(bgLow, r0Low));
        _mm512_storeu_si512(target + 32, _mm512_unpacklo_epi16(bgHigh, r0High));
        _mm512_storeu_si512(target + 48, _mm512_unpackhi_epi16(bgHigh, r0High));
    }
    return done;
}

#endif

}  // namespace

bool ConversionSupported(PixelConversion conversion) {
#ifdef BRONTAR_GAMMA_X86
    if (conversion == PixelConversion::Avx2) return ProcessorHas(VectorUnit::Avx2);
    if (conversion == PixelConversion::Avx512Vbmi) return ProcessorHas(VectorUnit::Avx512Vbmi);
#endif
    return conversion == PixelConversion::Portable;
}

void GammaTable::ConvertRow(const uint16_t* in, uint32_t* out, size_t count) const {
    static const PixelConversion best = ConversionSupported(PixelConversion::Avx512Vbmi) ? PixelConversion::Avx512Vbmi
                                        : ConversionSupported(PixelConversion::Avx2)     ? PixelConversion::Avx2
                                                                                         : PixelConversion::Portable;
    ConvertRow(in, out, count, best);
}

// The wider ways leave the row's end to the narrower ones.
void GammaTable::ConvertRow(const uint16_t* in, uint32_t* out, size_t count, PixelConversion conversion) const {
    size_t done = 0;
#ifdef BRONTAR_GAMMA_X86
    if (conversion == PixelConversion::Avx512Vbmi)
        done = ConvertRowAvx512(red_.data(), green_.data(), blue_.data(), in, out, count);
    if (conversion != PixelConversion::Portable)
        done += ConvertRowAvx2(red_.data(), green_.data(), blue_.data(), in + done, out + done, count - done);
#endif
    for (; done < count; ++done) out[done] = (*this)[in[done]];
}

}  // namespace brontar::machine
