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

// True for a window DirectDraw's cooperative level named: the board's
// display shows it, not a desktop window of its own, even after DirectDraw
// let it go.
bool ShowsThroughBoard(HWND window);

// The window a desktop window shows, by the key the display knows it by:
// 0 is the board's window, which shows the input window; null when gone.
HWND DesktopWindowOf(uint64_t key);

// True while a user may still act on a root window: a desktop window shows
// it, or BRONTAR_INPUT has items left to play.
bool UserMayAct(HWND root);

}  // namespace brontar::platform
