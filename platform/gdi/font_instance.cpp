// FreeType behind GDI fonts. Sizes follow the Windows font mapper: a positive
// height is the cell (win ascent + win descent of the OS/2 table), a negative
// one the em. Glyphs are hinted and rendered in monochrome, as GDI drew them
// without anti-aliasing; advances are whole pixels and kerning is not applied.
#include "platform/gdi/font_instance.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/gdi/font_files.h"
#include "platform/kernel/debug_notes.h"
#include "platform/kernel/event_log.h"
#include "platform/kernel/module_table.h"

namespace brontar::platform {
namespace {

constexpr int32_t kDefaultEmHeight = 16;  // lfHeight 0: 12 points at 96 dpi
constexpr int32_t kMaxPixelHeight = 1024; // bounds glyph bitmaps and their cache
constexpr uint16_t kJapaneseLanguage = 0x0411;

// The font-unit numbers the sizes are derived from.
struct FaceUnits {
    int32_t unitsPerEm = 2048;
    int32_t winAscent = 1854;
    int32_t winDescent = 434;
    int32_t lineGap = 67;  // hhea line gap beyond the win box
    int32_t avgCharWidth = 1176;
    int32_t maxAdvance = 4096;
    int32_t weight = FW_NORMAL;
    bool italic = false;
    bool fixedPitch = false;
    int32_t underlinePosition = -217;  // centre of the stroke, below the baseline
    int32_t underlineThickness = 150;
    int32_t strikeoutPosition = 530;  // bottom of the stroke, above the baseline
    int32_t strikeoutSize = 102;
};

// a * b / c rounded to nearest, in 64 bits.
int32_t ScaleRounded(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    int64_t product = a * b;
    int64_t half = c / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library created = nullptr;
        if (FT_Init_FreeType(&created) != 0) {
            WriteDiagnostic("GDI: FreeType could not be initialised; text is measured but not drawn");
            return static_cast<FT_Library>(nullptr);
        }
        return created;
    }();
    return library;
}

// Serialises FreeType: the library object is shared by every face.
std::mutex& FreeTypeMutex() {
    static std::mutex& mutex = *new std::mutex;  // fonts may be released at exit
    return mutex;
}

FaceUnits ReadFaceUnits(FT_Face face) {
    FaceUnits units;
    units.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    units.winAscent = face->ascender;
    units.winDescent = -face->descender;
    units.maxAdvance = face->max_advance_width;
    units.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    units.weight = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? FW_BOLD : FW_NORMAL;
    units.fixedPitch = FT_IS_FIXED_WIDTH(face);
    units.underlinePosition = face->underline_position;
    units.underlineThickness = face->underline_thickness;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 != nullptr) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            units.winAscent = os2->usWinAscent;
            units.winDescent = os2->usWinDescent;
        }
        units.avgCharWidth = os2->xAvgCharWidth;
        if (os2->usWeightClass != 0) units.weight = os2->usWeightClass;
        units.strikeoutPosition = os2->yStrikeoutPosition;
        units.strikeoutSize = os2->yStrikeoutSize;
    }
    if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA)); hhea != nullptr) {
        int32_t hheaBox = hhea->Ascender - hhea->Descender;
        units.lineGap = std::max<int32_t>(0, hhea->Line_Gap - ((units.winAscent + units.winDescent) - hheaBox));
    }
    if (units.avgCharWidth <= 0) units.avgCharWidth = units.unitsPerEm / 2;
    return units;
}

// Clamps a requested height to what the cache can hold, saying so.
int32_t BoundHeight(int32_t height) {
    int64_t magnitude = height < 0 ? -static_cast<int64_t>(height) : height;
    if (magnitude <= kMaxPixelHeight) return height;
    DebugNote(DebugChannel::Gdi, "GDI: font height " + std::to_string(height) + " limited to " +
                                     std::to_string(kMaxPixelHeight) + " pixels");
    return height < 0 ? -kMaxPixelHeight : kMaxPixelHeight;
}

// Windows code page 1252 to Unicode; 0x80 to 0x9F hold the typographic extras.
uint32_t AnsiToUnicode(uint8_t c) {
    static constexpr uint16_t kHighControls[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c;
}

// Pixel sizes and cell metrics for a requested height and width.
struct Sizing {
    int32_t emPixels = 0;
    int32_t emPixelsX = 0;
    FontMetrics metrics;
};

// The cell of the dialog's raster face: 13 pixels at 8 points, an ascent of
// 11 that is also its em, and a descent of 2.
constexpr int32_t kDialogFaceAscent = 11;
constexpr int32_t kDialogFaceDescent = 2;

Sizing SizeFor(const FaceUnits& u, int32_t requestedHeight, int32_t requestedWidth, bool dialogFaceCell) {
    Sizing s;
    FontMetrics& m = s.metrics;
    int32_t box = u.winAscent + u.winDescent;
    int32_t height = requestedHeight == 0 ? -kDefaultEmHeight : BoundHeight(requestedHeight);
    if (dialogFaceCell) {
        if (height > 0) {
            m.ascent = std::max(1, ScaleRounded(height, kDialogFaceAscent, kDialogFaceAscent + kDialogFaceDescent));
            m.descent = height - m.ascent;
        } else {
            m.ascent = -height;
            m.descent = ScaleRounded(-height, kDialogFaceDescent, kDialogFaceAscent);
        }
        s.emPixels = m.ascent;
    } else if (height > 0) {
        s.emPixels = std::max(1, ScaleRounded(height, u.unitsPerEm, box));
        m.ascent = ScaleRounded(height, u.winAscent, box);
        m.descent = height - m.ascent;
    } else {
        s.emPixels = -height;
        m.ascent = ScaleRounded(s.emPixels, u.winAscent, u.unitsPerEm);
        m.descent = ScaleRounded(s.emPixels, u.winDescent, u.unitsPerEm);
    }
    m.height = m.ascent + m.descent;
    m.internalLeading = m.height - s.emPixels;
    int64_t width = std::min<int64_t>(requestedWidth < 0 ? -static_cast<int64_t>(requestedWidth) : requestedWidth,
                                      kMaxPixelHeight);
    s.emPixelsX = width == 0 ? s.emPixels
                             : std::clamp(ScaleRounded(width, u.unitsPerEm, u.avgCharWidth), 1, kMaxPixelHeight);
    m.externalLeading = ScaleRounded(u.lineGap, s.emPixels, u.unitsPerEm);
    m.aveCharWidth = std::max(1, ScaleRounded(u.avgCharWidth, s.emPixelsX, u.unitsPerEm));
    m.maxCharWidth = std::max(m.aveCharWidth, ScaleRounded(u.maxAdvance, s.emPixelsX, u.unitsPerEm));
    m.weight = u.weight;
    m.italic = u.italic;
    m.fixedPitch = u.fixedPitch;
    m.underlineThickness = std::max(1, ScaleRounded(u.underlineThickness, s.emPixels, u.unitsPerEm));
    m.underlineTop = std::max(1, ScaleRounded(-u.underlinePosition, s.emPixels, u.unitsPerEm) -
                                     m.underlineThickness / 2);
    m.underlineTop = std::min(m.underlineTop, std::max(0, m.descent - m.underlineThickness));
    m.strikeoutThickness = std::max(1, ScaleRounded(u.strikeoutSize, s.emPixels, u.unitsPerEm));
    m.strikeoutTop = ScaleRounded(u.strikeoutPosition, s.emPixels, u.unitsPerEm) + m.strikeoutThickness;
    return s;
}

// Face name (lower case) to the family standing in for it.
const std::map<std::string, FontFamily, std::less<>>& KnownFaces() {
    static const std::map<std::string, FontFamily, std::less<>> faces = {
        {"arial", FontFamily::Sans},          {"ms sans serif", FontFamily::Sans},
        {"ms shell dlg", FontFamily::Sans},   {"ms shell dlg 2", FontFamily::Sans},
        {"microsoft sans serif", FontFamily::Sans}, {"helv", FontFamily::Sans},
        {"helvetica", FontFamily::Sans},      {"system", FontFamily::Sans},
        {"small fonts", FontFamily::Sans},    {"tahoma", FontFamily::Sans},
        {"times new roman", FontFamily::Serif}, {"times", FontFamily::Serif},
        {"tms rmn", FontFamily::Serif},       {"ms serif", FontFamily::Serif},
        {"courier new", FontFamily::Mono},    {"courier", FontFamily::Mono},
        {"fixedsys", FontFamily::Mono},       {"terminal", FontFamily::Mono},
        {"lucida console", FontFamily::Mono},
    };
    return faces;
}

// The raster face of dialogs and its other names: drawn from the sans-serif
// outlines in the raster face's cell.
const std::set<std::string, std::less<>>& DialogFaces() {
    static const std::set<std::string, std::less<>> faces = {"ms sans serif", "ms shell dlg", "helv"};
    return faces;
}

std::string LowerFaceName(const LOGFONTA& logFont) {
    std::string name(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name;
}

}  // namespace

FontFamily MappedFamily(const LOGFONTA& logFont) {
    if (auto it = KnownFaces().find(LowerFaceName(logFont)); it != KnownFaces().end()) return it->second;
    int family = logFont.lfPitchAndFamily & 0xF0;
    if (family == FF_ROMAN) return FontFamily::Serif;
    if (family == FF_MODERN || (logFont.lfPitchAndFamily & 0x03) == FIXED_PITCH) return FontFamily::Mono;
    return FontFamily::Sans;
}

namespace {

// The file for the style, falling back to the family's regular face and then
// to the sans-serif regular face; empty (said once per file) when none exists.
std::string FontPathFor(const LOGFONTA& logFont) {
    FontFamily family = MappedFamily(logFont);
    bool bold = logFont.lfWeight >= FW_SEMIBOLD;
    bool italic = logFont.lfItalic != 0;
    std::string wanted = FontFileName(family, bold, italic);
    for (const std::string& name : {wanted, FontFileName(family, false, false),
                                    FontFileName(FontFamily::Sans, false, false)}) {
        if (std::string path = FindFontFile(name); !path.empty()) return path;
    }
    WriteDiagnosticOnce(wanted, "GDI: font file " + wanted +
                                    " not found in the font folders (install fonts-liberation); text is measured "
                                    "but not drawn");
    return {};
}

}  // namespace

FontInstance::FontInstance(const std::string& path, int32_t requestedHeight, int32_t requestedWidth,
                           bool dialogFaceCell) {
    FaceUnits units;
    if (!path.empty()) {
        std::lock_guard lock(FreeTypeMutex());
        FT_Library library = Library();
        if (library != nullptr && FT_New_Face(library, path.c_str(), 0, &face_) != 0) {
            WriteDiagnostic("GDI: font file " + path + " could not be read; text is measured but not drawn");
            face_ = nullptr;
        }
        if (face_ != nullptr) units = ReadFaceUnits(face_);
    }
    Sizing sizing = SizeFor(units, requestedHeight, requestedWidth, dialogFaceCell);
    metrics_ = sizing.metrics;
    emPixels_ = sizing.emPixels;
    emPixelsX_ = sizing.emPixelsX;
    if (face_ != nullptr) {
        std::lock_guard lock(FreeTypeMutex());
        if (FT_Set_Pixel_Sizes(face_, sizing.emPixelsX, sizing.emPixels) != 0) {
            WriteDiagnostic("GDI: font file " + path + " cannot be sized; text is measured but not drawn");
            FT_Done_Face(face_);
            face_ = nullptr;
        }
    }
}

FontInstance::~FontInstance() {
    std::lock_guard lock(FreeTypeMutex());
    if (face_ != nullptr) FT_Done_Face(face_);
    if (fallback_ != nullptr) FT_Done_Face(fallback_);
}

const GlyphBitmap& FontInstance::Glyph(uint32_t codePoint) {
    std::unique_ptr<GlyphBitmap>& slot = codePoint < glyphs_.size() ? glyphs_[codePoint] : otherGlyphs_[codePoint];
    if (slot == nullptr) {
        slot = std::make_unique<GlyphBitmap>();
        slot->advance = metrics_.aveCharWidth;  // what a face-less font measures
        if (face_ != nullptr) RenderGlyph(codePoint, *slot);
    }
    return *slot;
}

// The fallback face at the font's pixel size; null when there is none.
// Called with the FreeType lock held.
FT_Face FontInstance::FallbackFace() {
    if (fallbackTried_) return fallback_;
    fallbackTried_ = true;
    std::string path = FallbackFontPath();
    if (path.empty() || FT_New_Face(Library(), path.c_str(), 0, &fallback_) != 0) {
        fallback_ = nullptr;
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(fallback_, emPixelsX_, emPixels_) != 0) {
        FT_Done_Face(fallback_);
        fallback_ = nullptr;
    }
    return fallback_;
}

// Loads, hints and renders one glyph in monochrome; characters neither the
// face nor the fallback has draw the face's missing-glyph box, as GDI drew
// the default character.
void FontInstance::RenderGlyph(uint32_t codePoint, GlyphBitmap& glyph) {
    std::lock_guard lock(FreeTypeMutex());
    FT_Face face = face_;
    FT_UInt index = FT_Get_Char_Index(face_, codePoint);
    if (index == 0 && codePoint >= 0x80) {
        if (FT_Face fallback = FallbackFace(); fallback != nullptr) {
            if (FT_UInt fallbackIndex = FT_Get_Char_Index(fallback, codePoint); fallbackIndex != 0) {
                face = fallback;
                index = fallbackIndex;
            }
        }
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
        WriteDiagnostic("GDI: character U+" + std::to_string(codePoint) + " could not be rendered; drawn as blank");
        return;
    }
    FT_GlyphSlot slot = face->glyph;
    glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.buffer == nullptr) return;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int32_t>(bitmap.width);
    glyph.rows = static_cast<int32_t>(bitmap.rows);
    glyph.pitch = (glyph.width + 7) / 8;
    glyph.bits.resize(static_cast<size_t>(glyph.pitch) * glyph.rows);
    for (int32_t row = 0; row < glyph.rows; ++row) {
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::memcpy(glyph.bits.data() + static_cast<size_t>(row) * glyph.pitch, source, glyph.pitch);
    }
}

bool AnsiIsUtf8() { return UserLanguage() == kJapaneseLanguage; }

std::u32string DecodeAnsiText(std::string_view text, bool utf8) {
    std::u32string characters;
    characters.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        size_t length = !utf8 || lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
        uint32_t value = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length > 1 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && value >= kSmallest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        if (valid) {
            characters.push_back(value);
            i += length;
        } else {
            characters.push_back(AnsiToUnicode(lead));
            ++i;
        }
    }
    return characters;
}

std::string FallbackFontPath() {
    for (const char* name : {"VL-Gothic-Regular.ttf", "ipag.ttf"})
        if (std::string path = FindFontFile(name); !path.empty()) return path;
    return {};
}

std::shared_ptr<FontInstance> RealiseFont(const LOGFONTA& logFont) {
    std::string path = FontPathFor(logFont);
    const bool dialogFaceCell = DialogFaces().contains(LowerFaceName(logFont));
    std::string key = path + "|" + std::to_string(logFont.lfHeight) + "|" + std::to_string(logFont.lfWidth) + "|" +
                      (dialogFaceCell ? "dialog" : "");
    static std::mutex cacheMutex;
    static std::map<std::string, std::weak_ptr<FontInstance>> cache;
    std::lock_guard lock(cacheMutex);
    if (auto found = cache[key].lock(); found != nullptr) return found;
    auto created = std::make_shared<FontInstance>(path, logFont.lfHeight, logFont.lfWidth, dialogFaceCell);
    std::erase_if(cache, [](const auto& entry) { return entry.second.expired(); });
    cache[key] = created;
    return created;
}

std::string ReportedFaceName(const LOGFONTA& logFont) {
    if (KnownFaces().contains(LowerFaceName(logFont))) {
        return std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    }
    switch (MappedFamily(logFont)) {
    case FontFamily::Serif:
        return "Times New Roman";
    case FontFamily::Mono:
        return "Courier New";
    case FontFamily::Sans:
        break;
    }
    return "Arial";
}

}  // namespace brontar::platform
