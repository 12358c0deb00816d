// Text in the selected font: extents, metrics and ExtTextOutA. Extents add
// the whole-pixel advances of the characters, with no kerning, as GDI did.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/gdi/device_context.h"
#include "platform/gdi/raster.h"
#include "platform/kernel/debug_notes.h"

namespace brontar::platform {
namespace {

// Sum of the advances, or of the caller's spacing (one entry a character) when given.
int64_t RunWidth(FontInstance& font, const std::u32string& characters, const INT* spacing) {
    int64_t width = 0;
    for (size_t i = 0; i < characters.size(); ++i) {
        width += spacing != nullptr ? spacing[i] : font.Glyph(characters[i]).advance;
    }
    return width;
}

// The extent of a text, the width saturated to a LONG.
BOOL MeasureText(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    if (size == nullptr || count < 0 || (text == nullptr && count > 0)) return FALSE;
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    if (context == nullptr) return FALSE;
    FontInstance& font = *context->font->font;
    const std::u32string characters = DecodeAnsiText(std::string_view(text, static_cast<size_t>(count)), AnsiIsUtf8());
    int64_t width = RunWidth(font, characters, nullptr);
    size->cx = static_cast<LONG>(std::min<int64_t>(width, LONG_MAX));
    size->cy = font.Metrics().height;
    return TRUE;
}

// The family bits GDI reports for the face standing in.
BYTE FamilyBits(const LOGFONTA& logFont) {
    switch (MappedFamily(logFont)) {
    case FontFamily::Serif: return FF_ROMAN;
    case FontFamily::Mono: return FF_MODERN;
    case FontFamily::Sans: break;
    }
    return FF_SWISS;
}

// Draws one run: backgrounds, glyphs, then underline and strike-out.
void DrawRun(DeviceContext& context, int64_t x, int64_t y, UINT options, const RECT* rect, const char* text,
             size_t count, const INT* spacing) {
    const SurfacePixels& surface = context.target;
    const PixelBox surfaceBox = SurfaceBox(surface);
    const uint16_t background = ToRgb565(context.backgroundColor);
    PixelBox clip = surfaceBox;
    if (rect != nullptr && (options & ETO_CLIPPED)) clip = Intersect(clip, BoxOf(*rect));
    if (rect != nullptr && (options & ETO_OPAQUE)) FillBox(surface, clip, BoxOf(*rect), background);
    if (count == 0 || clip.Empty()) return;

    FontInstance& font = *context.font->font;
    const FontMetrics& metrics = font.Metrics();
    const std::u32string characters = DecodeAnsiText(std::string_view(text, count), AnsiIsUtf8());
    const int64_t width = RunWidth(font, characters, spacing);
    if ((context.textAlign & TA_CENTER) == TA_CENTER) x -= width / 2;
    else if (context.textAlign & TA_RIGHT) x -= width;
    if ((context.textAlign & TA_BASELINE) == TA_BASELINE) y -= metrics.ascent;
    else if (context.textAlign & TA_BOTTOM) y -= metrics.height;
    const int64_t baseline = y + metrics.ascent;

    if (context.backgroundMode == OPAQUE) {
        FillBox(surface, clip, PixelBox{x, y, x + width, y + metrics.height}, background);
    }
    const uint16_t foreground = ToRgb565(context.textColor);
    int64_t pen = x;
    for (size_t i = 0; i < characters.size() && pen < clip.right + metrics.maxCharWidth; ++i) {
        const GlyphBitmap& glyph = font.Glyph(characters[i]);
        DrawGlyph(surface, clip, pen, baseline, glyph, foreground);
        pen += spacing != nullptr ? spacing[i] : glyph.advance;
    }
    const LOGFONTA& logFont = context.font->logFont;
    if (logFont.lfUnderline) {
        int64_t top = baseline + metrics.underlineTop;
        FillBox(surface, clip, PixelBox{x, top, x + width, top + metrics.underlineThickness}, foreground);
    }
    if (logFont.lfStrikeOut) {
        int64_t top = baseline - metrics.strikeoutTop;
        FillBox(surface, clip, PixelBox{x, top, x + width, top + metrics.strikeoutThickness}, foreground);
    }
}

}  // namespace
}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" {

// Width and height of the first c characters in the selected font.
BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz) {
    return MeasureText(hdc, lpString, c, lpsz);
}

// The same measure as GetTextExtentPointA: the two calls differed only for
// fonts with an overhang, which none of these faces has.
BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    return MeasureText(hdc, lpString, c, psizl);
}

// The cell metrics of the selected font.
BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    if (lptm == nullptr) return FALSE;
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    if (context == nullptr) return FALSE;
    const FontMetrics& m = context->font->font->Metrics();
    const LOGFONTA& logFont = context->font->logFont;
    *lptm = TEXTMETRICA{};
    lptm->tmHeight = m.height;
    lptm->tmAscent = m.ascent;
    lptm->tmDescent = m.descent;
    lptm->tmInternalLeading = m.internalLeading;
    lptm->tmExternalLeading = m.externalLeading;
    lptm->tmAveCharWidth = m.aveCharWidth;
    lptm->tmMaxCharWidth = m.maxCharWidth;
    lptm->tmWeight = m.weight;
    lptm->tmDigitizedAspectX = 96;
    lptm->tmDigitizedAspectY = 96;
    // The character range of an ANSI TrueType face.
    lptm->tmFirstChar = 30;
    lptm->tmLastChar = 255;
    lptm->tmDefaultChar = 31;
    lptm->tmBreakChar = 32;
    lptm->tmItalic = static_cast<BYTE>(m.italic || logFont.lfItalic ? 255 : 0);
    lptm->tmUnderlined = static_cast<BYTE>(logFont.lfUnderline ? 255 : 0);
    lptm->tmStruckOut = static_cast<BYTE>(logFont.lfStrikeOut ? 255 : 0);
    // TMPF_FIXED_PITCH set means variable pitch, as GDI defines it.
    lptm->tmPitchAndFamily = static_cast<BYTE>(FamilyBits(logFont) | TMPF_TRUETYPE | TMPF_VECTOR |
                                               (m.fixedPitch ? 0 : TMPF_FIXED_PITCH));
    lptm->tmCharSet = logFont.lfCharSet == DEFAULT_CHARSET ? BYTE{ANSI_CHARSET} : logFont.lfCharSet;
    return TRUE;
}

// The face name of the selected font, cut to c characters with the
// terminator; answers the characters copied including it.
int WINAPI GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    if (context == nullptr) return 0;
    std::string name = ReportedFaceName(context->font->logFont);
    if (lpName == nullptr) return static_cast<int>(name.size()) + 1;
    if (c <= 0) return 0;
    size_t copied = std::min(name.size(), static_cast<size_t>(c) - 1);
    std::memcpy(lpName, name.data(), copied);
    lpName[copied] = '\0';
    return static_cast<int>(copied) + 1;
}

// Draws c characters with the cell's top-left at x, y (by default). ETO_OPAQUE
// fills the rectangle with the background colour, ETO_CLIPPED keeps all
// drawing inside it; drawing never leaves the surface. lpDx, when given,
// spaces the characters.
BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                        const INT* lpDx) {
    if (lpString == nullptr && c > 0) return FALSE;
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    if (context == nullptr) return FALSE;
    if (options & ~static_cast<UINT>(ETO_OPAQUE | ETO_CLIPPED)) {
        DebugNote(DebugChannel::Gdi, "GDI: ExtTextOutA options " + std::to_string(options) +
                                         " beyond ETO_OPAQUE and ETO_CLIPPED are not implemented; ignored");
    }
    DrawRun(*context, x, y, options, lprect, lpString, c, lpDx);
    return TRUE;
}

// ExtTextOutA without a rectangle.
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    if (c < 0) return FALSE;
    return ExtTextOutA(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

}  // extern "C"
