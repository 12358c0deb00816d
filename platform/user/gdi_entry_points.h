// The GDI entry points the window manager draws with. They are referenced
// weakly while the GDI area is not yet part of the library: a missing one is
// null, and the caller says so instead of drawing.
#pragma once

#include <windows.h>

#include "platform/gdi/surface_dc.h"

extern "C" int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) __attribute__((weak));

namespace brontar::platform {

HDC CreateSurfaceDC(const SurfacePixels& target) __attribute__((weak));
void ReleaseSurfaceDC(HDC dc) __attribute__((weak));

}  // namespace brontar::platform
