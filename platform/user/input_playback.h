// Plays BRONTAR_INPUT and the display window's input into the message queue.
#pragma once

#include <optional>

#include "platform/user/message_queue.h"

namespace brontar::platform {

// Reads BRONTAR_INPUT once: the script starts now (frames and milliseconds
// count from here). Called when the first top-level window is made.
void StartInputScript();

// Posts every script item that is due now, in order, and says when the next
// waiting item falls due by the clock (nothing when it waits for frames or
// the script is over).
std::optional<Clock::time_point> DeliverDueScriptItems();

// Posts what the user did at the display window; waits up to timeoutMs for
// it. False when no display window is open (nothing waited).
bool DeliverDisplayInput(int timeoutMs);

}  // namespace brontar::platform
