// What the user does, as Windows turns it into messages: the pointer goes to
// the window under it (or the capture), keys to the focus. The display
// windows and BRONTAR_INPUT both come in through here.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/user/message_queue.h"

namespace brontar::platform {

enum class PointerAction { Move, Press, Release };
enum class MouseButton { Left, Right };

// The user's actions wait in an input queue behind the posted messages, and
// find their window when the program takes them, as on Windows.

// A pointer action at a point in the client coordinates of a desktop root
// window (owned pop-ups over it included): WM_MOUSEMOVE or the button
// message for the capture window, else for the enabled window under the
// point, in that window's client coordinates; a disabled window gets nothing.
void DeliverPointer(HWND root, PointerAction action, MouseButton button, POINT point);

// A key pressed or released: WM_KEYDOWN/WM_KEYUP for the focus window (the
// input window when nothing has the focus), WM_SYSKEYDOWN/WM_SYSKEYUP while
// Alt is held.
void DeliverKey(int virtualKey, bool down);

// A character typed: its key on the US layout (with Shift where needed);
// a character no key types arrives as WM_CHAR.
void DeliverCharacter(char character);

// The close button of a root's desktop window: WM_CLOSE to the root.
void DeliverClose(HWND root);

// The next input as the message it becomes now, taken out when asked;
// nothing when none waits or the filter refuses it.
std::optional<MSG> TakeInputMessage(const MessageFilter& filter, bool remove);

// Drops the input not yet taken and forgets held keys and buttons (tests).
void ForgetPendingInput();

// The window under a point of a root's client area, as the pointer finds
// it: owned pop-ups first, then the topmost child, skipping children that
// answer WM_NCHITTEST with HTTRANSPARENT. Null outside every window.
HWND WindowAtPoint(HWND root, POINT point);

}  // namespace brontar::platform
