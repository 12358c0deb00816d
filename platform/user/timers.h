// Timers: WM_TIMER is made when a timer is due and the queue holds nothing
// else, and several missed periods make one message, as on Windows.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/user/message_queue.h"

namespace brontar::platform {

// The WM_TIMER of the first due timer the filter accepts; when removing, the
// timer counts its next period from the period that fell due.
std::optional<MSG> TakeDueTimer(const MessageFilter& filter, bool remove);

// When the next timer the filter accepts falls due; nothing when none runs.
std::optional<Clock::time_point> NextTimerDue(const MessageFilter& filter);

// Stops every timer of a window that is being destroyed.
void KillTimersOf(HWND window);

}  // namespace brontar::platform
