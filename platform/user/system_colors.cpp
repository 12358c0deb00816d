// The system colours of the Windows 95 standard scheme and their brushes.
#include <windows.h>

#include <array>

#include "platform/gdi/gdi_objects.h"

namespace {

constexpr int kColorCount = COLOR_INFOBK + 1;

constexpr std::array<COLORREF, kColorCount> kStandardScheme = {
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
};

}  // namespace

extern "C" {

// The colour of a display element; 0 (black) for an index Windows 95 does not know.
DWORD WINAPI GetSysColor(int nIndex) {
    return nIndex >= 0 && nIndex < kColorCount ? kStandardScheme[static_cast<size_t>(nIndex)] : 0;
}

// The system's own solid brush of a colour: made once, never deleted; NULL
// for an unknown index.
HBRUSH WINAPI GetSysColorBrush(int nIndex) {
    if (nIndex < 0 || nIndex >= kColorCount) return nullptr;
    static std::array<HBRUSH, kColorCount> brushes{};
    HBRUSH& brush = brushes[static_cast<size_t>(nIndex)];
    if (brush == nullptr) brush = brontar::platform::CreatePermanentBrush(GetSysColor(nIndex));
    return brush;
}

}  // extern "C"
