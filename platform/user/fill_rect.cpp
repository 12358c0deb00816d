// FillRect: a rectangle of a device context painted with a brush.
#include <windows.h>

#include <atomic>

#include "platform/gdi/device_context.h"
#include "platform/kernel/event_log.h"

using namespace brontar::platform;

extern "C" {

// Fills the rectangle (right and bottom edges excluded) with a solid brush;
// a hollow brush paints nothing. 0 for an unknown context or brush.
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    if (lprc == nullptr) return 0;
    COLORREF color = 0;
    {
        std::lock_guard lock(GdiMutex());
        std::shared_ptr<GdiObject> brush = FindGdiObject(hbr);
        if (brush == nullptr || brush->type != OBJ_BRUSH) {
            // System-colour brushes, (HBRUSH)(COLOR_x + 1), are small numbers.
            static std::atomic<bool> reported{false};
            if (reinterpret_cast<uintptr_t>(hbr) <= 31 && !reported.exchange(true)) {
                WriteDiagnostic("FillRect: system-colour brushes (COLOR_x + 1) are not implemented; nothing filled");
            }
            return 0;
        }
        if (brush->hollow) return FindDeviceContext(hDC) != nullptr ? 1 : 0;
        color = brush->color;
    }
    return FillSolidRect(hDC, *lprc, color) ? 1 : 0;
}

}  // extern "C"
