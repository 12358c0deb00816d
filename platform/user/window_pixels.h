// The pixels a window's device contexts draw into, for whoever shows or
// records windows (screenshots).
#pragma once

#include <windows.h>

#include <vector>

#include "platform/gdi/surface_dc.h"

namespace brontar::platform {

// The window's RGB565 client-area store, sized to its client area; false for
// a handle that names no window.
bool GetWindowPixels(HWND window, SurfacePixels* out);

// A window that paints only parts of its area (a group box: its frame and
// caption) names them, client coordinates; what lies below shows through
// the rest. An empty list shows the whole store again.
void SetWindowShownParts(HWND window, std::vector<RECT> parts);
// The parts named, or an empty list for a window that shows all of itself.
std::vector<RECT> WindowShownParts(HWND window);

}  // namespace brontar::platform
