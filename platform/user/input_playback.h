// Plays BRONTAR_INPUT and the display window's input into the message queue.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/user/input_script.h"
#include "platform/user/message_queue.h"

namespace brontar::platform {

// Runs a script's items in order, posting each action to the input window
// when the waits before it are over.
class InputPlayer {
public:
    // Frames and milliseconds count from this moment and this frame count.
    InputPlayer(std::vector<InputItem> items, uint64_t framesAtStart, Clock::time_point start);

    // Posts every item due by now, in order, and says when the next waiting
    // item falls due by the clock (nothing when it waits for frames or the
    // script is over).
    std::optional<Clock::time_point> DeliverDue(uint64_t framesPresented, Clock::time_point now);

    bool Finished() const { return next_ >= items_.size(); }
    // The script had no item at all.
    bool Empty() const { return items_.empty(); }

private:
    std::vector<InputItem> items_;
    size_t next_ = 0;                 // the item being waited for or run next
    uint64_t framesAtStart_ = 0;
    Clock::time_point itemStart_;     // when the current item became current
};

// Reads BRONTAR_INPUT once: the script starts now (frames and milliseconds
// count from here). Called when the first top-level window is made.
void StartInputScript();

// Posts every script item that is due now, in order, and says when the next
// waiting item falls due by the clock (nothing when it waits for frames or
// the script is over).
std::optional<Clock::time_point> DeliverDueScriptItems();

// True when this process plays BRONTAR_INPUT and it has no item (unset,
// empty, or every item malformed).
bool NothingToPlay();

// The program waits for its user: headless with nothing to play, the keys
// typed at its terminal reach it from now on (machine::ListenToTerminal).
// Headless for want of a display, it says once where its keys come from.
void WaitingForUser();

// Posts what the user did at the display window or typed at the terminal;
// waits up to timeoutMs for it. False when no such input can come (nothing
// waited).
bool DeliverDisplayInput(int timeoutMs);

}  // namespace brontar::platform
