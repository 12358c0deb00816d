// The thread's queue of posted messages and its quit request, and the clock
// the message loop runs on.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>

namespace brontar::platform {

using Clock = std::chrono::steady_clock;

// Which messages a GetMessageA or PeekMessageA call asks for.
struct MessageFilter {
    HWND window = nullptr;  // null: any; (HWND)-1: thread messages only; else the window and its children
    UINT first = 0;         // both 0: every message
    UINT last = 0;

    bool Accepts(HWND target, UINT message) const;
};

// The message loop's clock: MSG.time, timers and the timed waits of an input
// script read it. It is the process's steady clock unless a test drives it.
Clock::time_point MessageClockNow();

// Milliseconds of the message clock since the process started, the clock of MSG.time.
DWORD MessageTime();

// For tests: while one exists the message clock stands still, from the moment
// it was made, and moves only when advanced, so timers fall due exactly when
// a test says. One at a time.
class ManualMessageClock {
public:
    ManualMessageClock();
    ~ManualMessageClock();  // back to the process's clock
    ManualMessageClock(const ManualMessageClock&) = delete;
    ManualMessageClock& operator=(const ManualMessageClock&) = delete;

    // Moves the clock on, from any thread; wakes a GetMessageA or WaitMessage
    // that waits, so it looks again at the timers.
    void Advance(Clock::duration step);
};

// True while a ManualMessageClock exists: waits that cannot be woken by its
// moves look at the clock again every few milliseconds.
bool MessageClockIsManual();

// Appends a posted message; wakes a waiting GetMessageA.
void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The first posted message the filter accepts, removed when asked.
std::optional<MSG> TakePostedMessage(const MessageFilter& filter, bool remove);

// Drops the posted messages of a window that is being destroyed.
void DropPostedMessagesFor(HWND window);

// Records a quit request; a later request replaces the code of an earlier one.
void RequestQuit(int exitCode);

// The quit message once a request is pending, clearing the request when asked.
std::optional<MSG> TakeQuitMessage(bool remove);

// Counts posts, quit requests and moves of a manual clock; a waiter notes it
// before looking at the queue.
uint64_t PostSequence();

// Sleeps until something is posted after the noted sequence, or the deadline
// (on the message clock) passes.
void WaitForPostedMessage(uint64_t sequence, std::optional<Clock::time_point> deadline);

}  // namespace brontar::platform
