// The desktop window that shows the board's picture, when BRONTAR_DISPLAY
// asks for one or a display is reachable.
#pragma once

#include <cstdint>
#include <string>

#include "machine/display/presentation.h"

namespace brontar::machine {

// Whether presented frames go to a window: BRONTAR_DISPLAY=window or
// headless; unset, a window when the video system starts on a real display.
// Decided once per process, on first use. The video system is not started
// when no display is named (DISPLAY, WAYLAND_DISPLAY). Headless for want of
// a display, the program says so once on standard error.
bool DisplayWindowWanted();

enum class DisplayDecision { Undecided, Window, HeadlessAsked, HeadlessForWantOfDisplay };

// What DisplayWindowWanted decided, without deciding.
DisplayDecision CurrentDisplayDecision();

// Shows a frame of 0x00RRGGBB pixels (width * height, no padding), opening
// the window or resizing it to the frame first. False when no window can be
// shown.
bool ShowInDisplayWindow(const uint32_t* pixels, int width, int height);

// Closes the window if it is open.
void CloseDisplayWindow();

// The desktop windows of programs' top-level windows, each known by a key
// (non-zero) the caller chooses: shows the picture with the title, opening
// the window (doubled where the picture is under a fifth of the screen's
// height) or resizing it first. False when no window can be shown.
bool ShowDesktopWindow(uint64_t key, const std::string& title, const RgbPicture& picture);
void CloseDesktopWindow(uint64_t key);
bool DesktopWindowShown(uint64_t key);

}  // namespace brontar::machine
