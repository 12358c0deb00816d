// What the user does, as Windows turns it into messages: the pointer goes to
// the window under it (or the capture), keys to the focus. The display
// windows and BRONTAR_INPUT both come in through here.
#pragma once

#include <windows.h>

namespace brontar::platform {

enum class PointerAction { Move, Press, Release };
enum class MouseButton { Left, Right };

// A pointer action at a point in the client coordinates of a desktop root
// window (owned pop-ups over it included). Posts WM_MOUSEMOVE or the button
// message to the capture window, else to the enabled window under the point,
// in that window's client coordinates; a disabled window gets nothing.
void DeliverPointer(HWND root, PointerAction action, MouseButton button, POINT point);

// A key pressed or released: WM_KEYDOWN/WM_KEYUP to the focus window (the
// input window when nothing has the focus), WM_SYSKEYDOWN/WM_SYSKEYUP while
// Alt is held.
void DeliverKey(int virtualKey, bool down);

// A character typed: its key on the US layout (with Shift where needed);
// a character no key types arrives as WM_CHAR.
void DeliverCharacter(char character);

// The window under a point of a root's client area, as the pointer finds
// it: owned pop-ups first, then the topmost child, skipping children that
// answer WM_NCHITTEST with HTTRANSPARENT. Null outside every window.
HWND WindowAtPoint(HWND root, POINT point);

}  // namespace brontar::platform
