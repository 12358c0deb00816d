// Device contexts over surface memory: how DirectDraw's GetDC lets GDI draw
// into a 16-bit RGB565 surface.
#pragma once

#include <windows.h>

#include <cstdint>

namespace brontar::platform {

// A block of RGB565 pixels owned by someone else (a surface).
struct SurfacePixels {
    uint16_t* pixels = nullptr;  // first row
    int32_t width = 0;           // in pixels
    int32_t height = 0;          // in rows
    int32_t pitchBytes = 0;      // bytes from one row to the next
};

// A device context that draws into the pixels until released. The pixels
// must stay valid until ReleaseSurfaceDC. A context starts as on Windows:
// the system font, black text on an opaque white background.
HDC CreateSurfaceDC(const SurfacePixels& target);
// Ends any context made here (surface or measuring); unknown handles are ignored.
void ReleaseSurfaceDC(HDC dc);

// A device context with no pixels: selects fonts and measures text like any
// other (the screen's context when there is no screen to draw on); drawing
// into it succeeds and changes nothing. End it with ReleaseSurfaceDC.
HDC CreateMeasuringDC();

}  // namespace brontar::platform
