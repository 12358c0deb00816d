// Invalid areas of windows and the WM_PAINT they cause.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/user/message_queue.h"

namespace brontar::platform {

// WM_PAINT for the first visible window the filter accepts that has an invalid area.
std::optional<MSG> TakePaintMessage(const MessageFilter& filter);

// Gives back the device contexts a window still holds (it is being destroyed).
struct Window;
void ReleaseDeviceContextsOf(Window& window);

}  // namespace brontar::platform
