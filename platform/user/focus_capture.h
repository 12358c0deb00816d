// The keyboard focus and the mouse capture: one window each, for the process.
#pragma once

#include <windows.h>

namespace brontar::platform {

// A window (and its descendants) is being destroyed: the focus passes to its
// parent and the capture is released, without messages to the dying windows.
void ForgetFocusAndCaptureOf(HWND dying);

}  // namespace brontar::platform
