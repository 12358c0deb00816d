// FillRect and FrameRect: a rectangle of a device context painted with a brush.
#include <windows.h>

#include "platform/gdi/device_context.h"

using namespace brontar::platform;

namespace {

// The colour a brush paints: system-colour brushes, (HBRUSH)(COLOR_x + 1),
// are small numbers. False for an unknown or hollow brush.
bool BrushColor(HBRUSH brush, COLORREF* color, bool* hollow) {
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_INFOBK + 1) brush = GetSysColorBrush(static_cast<int>(value) - 1);
    std::lock_guard lock(GdiMutex());
    std::shared_ptr<GdiObject> object = FindGdiObject(brush);
    if (object == nullptr || object->type != OBJ_BRUSH) return false;
    *color = object->color;
    *hollow = object->hollow;
    return true;
}

}  // namespace

extern "C" {

// Fills the rectangle (right and bottom edges excluded) with a solid brush;
// a hollow brush paints nothing. 0 for an unknown context or brush.
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    COLORREF color = 0;
    bool hollow = false;
    if (lprc == nullptr || !BrushColor(hbr, &color, &hollow)) return 0;
    if (hollow) {
        std::lock_guard lock(GdiMutex());
        return FindDeviceContext(hDC) != nullptr ? 1 : 0;
    }
    return FillSolidRect(hDC, *lprc, color) ? 1 : 0;
}

// Draws a one-pixel border just inside the rectangle with the brush.
int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (lprc == nullptr || lprc->left >= lprc->right || lprc->top >= lprc->bottom) return lprc != nullptr;
    const RECT& r = *lprc;
    const RECT sides[] = {{r.left, r.top, r.right, r.top + 1},
                          {r.left, r.bottom - 1, r.right, r.bottom},
                          {r.left, r.top, r.left + 1, r.bottom},
                          {r.right - 1, r.top, r.right, r.bottom}};
    for (const RECT& side : sides)
        if (!FillRect(hDC, &side, hbr)) return 0;
    return 1;
}

}  // extern "C"
