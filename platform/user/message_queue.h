// The thread's queue of posted messages and its quit request.
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

// Milliseconds since the process started, the clock of MSG.time.
DWORD MessageTime();

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

// Counts posts and quit requests; a waiter notes it before looking at the queue.
uint64_t PostSequence();

// Sleeps until something is posted after the noted sequence, or the deadline passes.
void WaitForPostedMessage(uint64_t sequence, std::optional<Clock::time_point> deadline);

}  // namespace brontar::platform
