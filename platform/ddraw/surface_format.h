// The pixel formats and mode descriptions DirectDraw reports.
#pragma once

#include <ddraw.h>

#include "machine/board/driver.h"

namespace brontar::platform {

// The format of a mode's pixels: RGB565 at 16 bits, 8:8:8 at 24 and 32,
// palette indices at 8.
void FillPixelFormat(int bitsPerPixel, DDPIXELFORMAT* format);

// True for the only surface format of this platform: 16-bit RGB with the
// masks F800, 07E0, 001F and no alpha.
bool IsRgb565(const DDPIXELFORMAT& format);

// A description of a display mode: width, height, pitch and pixel format.
void FillModeDescription(const machine::DisplayMode& mode, DDSURFACEDESC* description);

}  // namespace brontar::platform
