// Pictures of windows as the desktop would show them: the window's pixels
// with its visible children drawn over them. SaveWindowScreenshot, which
// writes them as files, is in platform/automation.h.
#pragma once

#include <windows.h>

#include <optional>

#include "machine/display/presentation.h"

namespace brontar::platform {

// The window's client area with its visible descendants on top (the first
// child topmost, as GetWindow walks them), widened to 8-bit RGB by bit
// replication. Nothing for a handle that names no window.
std::optional<machine::RgbPicture> CaptureWindowPicture(HWND window);

}  // namespace brontar::platform
