// Pictures of windows as the desktop would show them: the window's pixels
// with its visible children drawn over them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>

#include "machine/display/presentation.h"

namespace brontar::platform {

// The window's client area with its visible descendants on top (the first
// child topmost, as GetWindow walks them), widened to 8-bit RGB by bit
// replication. Nothing for a handle that names no window.
std::optional<machine::RgbPicture> CaptureWindowPicture(HWND window);

// Writes the window's picture into the BRONTAR_CAPTURE folder as the next
// window-NNNNNN.png; the file written, or nothing when capture is off or the
// file cannot be written.
std::optional<std::filesystem::path> SaveWindowScreenshot(HWND window);

}  // namespace brontar::platform
