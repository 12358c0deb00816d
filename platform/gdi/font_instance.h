// A font realised at one pixel size: FreeType face, cell metrics as GDI
// reports them, and monochrome glyph bitmaps cached per character.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
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
    // nothing) at the requested GDI height and width; with dialogFaceCell the
    // cell is that of the dialog's raster face (13 pixels for an em of 11).
    FontInstance(const std::string& path, int32_t requestedHeight, int32_t requestedWidth, bool dialogFaceCell);
    ~FontInstance();
    FontInstance(const FontInstance&) = delete;
    FontInstance& operator=(const FontInstance&) = delete;

    const FontMetrics& Metrics() const { return metrics_; }
    // The glyph of one Unicode character, rendered on first use; from the
    // fallback face when the font's own face lacks it.
    const GlyphBitmap& Glyph(uint32_t codePoint);
    bool HasOutlines() const { return face_ != nullptr; }

private:
    void RenderGlyph(uint32_t codePoint, GlyphBitmap& glyph);
    FT_FaceRec_* FallbackFace();

    FT_FaceRec_* face_ = nullptr;
    FT_FaceRec_* fallback_ = nullptr;  // opened on the first character the face lacks
    bool fallbackTried_ = false;
    int32_t emPixels_ = 0;
    int32_t emPixelsX_ = 0;
    FontMetrics metrics_;
    std::array<std::unique_ptr<GlyphBitmap>, 256> glyphs_;  // U+0000 to U+00FF
    std::map<uint32_t, std::unique_ptr<GlyphBitmap>> otherGlyphs_;
};

// True when the ANSI code page of the process is UTF-8: the user's language
// is Japanese (LC_ALL, LC_MESSAGES or LANG start with "ja"), whose texts
// arrive as UTF-8; else it is code page 1252.
bool AnsiIsUtf8();

// The characters of an ANSI text in the process's code page; a byte that
// does not form UTF-8 is taken as code page 1252.
std::u32string DecodeAnsiText(std::string_view text, bool utf8);

// The file of the face that supplies characters the Liberation faces lack
// (Japanese): VL Gothic, else IPA Gothic; empty when neither is installed.
std::string FallbackFontPath();

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
