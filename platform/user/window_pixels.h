// The pixels a window's device contexts draw into, for whoever shows or
// records windows (screenshots).
#pragma once

#include <windows.h>

#include "platform/gdi/surface_dc.h"

namespace brontar::platform {

// The window's RGB565 client-area store, sized to its client area; false for
// a handle that names no window.
bool GetWindowPixels(HWND window, SurfacePixels* out);

}  // namespace brontar::platform
