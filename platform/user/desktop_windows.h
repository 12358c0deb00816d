// Top-level windows on the desktop: where a display is reachable, each
// window without an owner shows in a desktop window of its own, with the
// pop-ups it owns drawn on top (the board's window shows through the board).
#pragma once

#include <windows.h>

namespace brontar::platform {

// Brings the desktop windows up to date with the windows' pixels; cheap when
// nothing changed. Called whenever the message queue runs dry.
void RefreshDesktopWindows();

// A top-level window is gone: its desktop window closes now.
void CloseDesktopWindowOf(HWND window);

}  // namespace brontar::platform
