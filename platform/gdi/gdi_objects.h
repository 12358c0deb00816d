// GDI's object table: fonts, brushes and pens behind their handles, and the
// stock objects. Callers hold GdiMutex() around every lookup and use.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "platform/gdi/font_instance.h"

namespace brontar::platform {

// One font, brush or pen.
struct GdiObject {
    DWORD type = 0;      // OBJ_FONT, OBJ_BRUSH or OBJ_PEN
    bool stock = false;  // never deleted
    LOGFONTA logFont{};  // fonts: as asked for
    std::shared_ptr<FontInstance> font;
    COLORREF color = 0;   // brushes and pens
    bool hollow = false;  // NULL_BRUSH, NULL_PEN: draws nothing
};

// The one lock of GDI's tables and device contexts.
std::mutex& GdiMutex();

// The object behind a handle (stock objects included), or null.
std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle);

// Handle of a stock object; the objects are made on first use.
HGDIOBJ StockObjectHandle(int index);

// A solid brush that DeleteObject leaves alone, as the system's colour
// brushes are. Takes GdiMutex() itself.
HBRUSH CreatePermanentBrush(COLORREF color);

}  // namespace brontar::platform
