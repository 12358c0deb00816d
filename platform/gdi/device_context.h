// Device contexts: the surface they draw into and the attributes GDI keeps
// per context. Callers hold GdiMutex() around every lookup and use.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/surface_dc.h"

namespace brontar::platform {

struct DeviceContext {
    SurfacePixels target;  // no pixels: a measuring context
    HGDIOBJ fontHandle = nullptr;
    std::shared_ptr<GdiObject> font;
    HGDIOBJ brushHandle = nullptr;
    std::shared_ptr<GdiObject> brush;
    HGDIOBJ penHandle = nullptr;
    std::shared_ptr<GdiObject> pen;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_TOP | TA_LEFT;
};

// The context behind a handle, or null.
DeviceContext* FindDeviceContext(HDC dc);

// Fills a rectangle of the context's surface with one colour, clipped to the
// surface. FALSE for an unknown context.
bool FillSolidRect(HDC dc, const RECT& rect, COLORREF color);

// Inverts every other pixel of the rectangle's one-pixel border, those whose
// x + y is even, so that drawing it twice restores the pixels. FALSE for an
// unknown context.
bool InvertDottedFrame(HDC dc, const RECT& rect);

}  // namespace brontar::platform
