// A font realised at one pixel size: FreeType face, cell metrics as GDI
// reports them, and monochrome glyph bitmaps cached per ANSI character.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/font_files.h"

struct FT_FaceRec_;

namespace brontar::platform {

// Cell metrics in pixels, the numbers TEXTMETRIC reports.
struct FontMetrics {
    int32_t height = 0;  // ascent + descent: the cell
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;  // cell minus em
    int32_t externalLeading = 0;
    int32_t aveCharWidth = 0;
    int32_t maxCharWidth = 0;
    int32_t weight = FW_NORMAL;  // of the face actually used
    bool italic = false;
    bool fixedPitch = false;
    int32_t underlineTop = 0;  // rows below the baseline
    int32_t underlineThickness = 1;
    int32_t strikeoutTop = 0;  // rows above the baseline (the stroke's top)
    int32_t strikeoutThickness = 1;
};

// One character's monochrome bitmap: 1 bit a pixel, most significant bit
// leftmost, rows of `pitch` bytes.
struct GlyphBitmap {
    int32_t advance = 0;  // pen movement in pixels
    int32_t left = 0;     // from the pen to the bitmap's first column
    int32_t top = 0;      // from the baseline up to the bitmap's first row
    int32_t width = 0;
    int32_t rows = 0;
    int32_t pitch = 0;
    std::vector<uint8_t> bits;
};

class FontInstance {
public:
    // Opens the file (an empty path gives a font that measures but draws
    // nothing) at the requested GDI height and width.
    FontInstance(const std::string& path, int32_t requestedHeight, int32_t requestedWidth);
    ~FontInstance();
    FontInstance(const FontInstance&) = delete;
    FontInstance& operator=(const FontInstance&) = delete;

    const FontMetrics& Metrics() const { return metrics_; }
    // The glyph of one ANSI (code page 1252) character, rendered on first use.
    const GlyphBitmap& Glyph(uint8_t ansiChar);
    bool HasOutlines() const { return face_ != nullptr; }

private:
    void RenderGlyph(uint8_t ansiChar, GlyphBitmap& glyph);

    FT_FaceRec_* face_ = nullptr;
    FontMetrics metrics_;
    std::array<std::unique_ptr<GlyphBitmap>, 256> glyphs_;
};

// The instance for a logical font: the face mapped from the Windows face
// name, pitch and family, weight and italic; shared between fonts that ask
// for the same file and size.
std::shared_ptr<FontInstance> RealiseFont(const LOGFONTA& logFont);

// The family standing in for a logical font's face: by name when known,
// else by the family bits and the pitch, as the font mapper falls back.
FontFamily MappedFamily(const LOGFONTA& logFont);

// The Windows face name a program sees for a logical font ("Arial" for an
// unknown sans-serif face).
std::string ReportedFaceName(const LOGFONTA& logFont);

}  // namespace brontar::platform
