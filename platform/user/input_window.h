// Where the user's input goes: the items of BRONTAR_INPUT and the keys,
// buttons and close button of the board's display window.
#pragma once

#include <windows.h>

#include <cstdint>

namespace brontar::platform {

// Names the program's main window (DirectDraw's cooperative-level window).
// While it lives, input goes there; otherwise to the top-level window made
// most recently. Null forgets the choice.
void SetInputWindow(HWND window);

// The window input goes to now; null when there is none.
HWND InputWindow();

// The window a desktop window shows, by the key the display knows it by:
// 0 is the board's window, which shows the input window; null when gone.
HWND DesktopWindowOf(uint64_t key);

// For programs that take their input by other means (the panel's own
// script): BRONTAR_INPUT is not played in this process. Call it before the
// first window is made.
void IgnoreInputScript();

}  // namespace brontar::platform
