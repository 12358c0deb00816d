// The message loop: retrieving, dispatching, posting and sending messages.
#include <windows.h>

#include <algorithm>

#include "machine/display/display_input.h"
#include "platform/user/desktop_windows.h"
#include "platform/user/input_playback.h"
#include "platform/user/keyboard.h"
#include "platform/user/message_queue.h"
#include "platform/user/timers.h"
#include "platform/user/user_input.h"
#include "platform/user/window_paint.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// While user input can come its events are looked at this often.
constexpr int kDisplayPollMs = 5;

// The next message in the order Windows hands them out: posted messages, the
// user's input, the quit request, paint, then timers.
std::optional<MSG> NextMessage(const MessageFilter& filter, bool remove) {
    if (auto posted = TakePostedMessage(filter, remove)) return posted;
    if (auto input = TakeInputMessage(filter, remove)) return input;
    // The quit message ignores the window filter but not the message range.
    bool rangeTakesQuit = (filter.first == 0 && filter.last == 0) || (filter.first <= WM_QUIT && WM_QUIT <= filter.last);
    if (rangeTakesQuit)
        if (auto quit = TakeQuitMessage(remove)) return quit;
    if (auto paint = TakePaintMessage(filter)) return paint;
    return TakeDueTimer(filter, remove);
}

// Brings in the input that is due now.
std::optional<Clock::time_point> DeliverInputNow() {
    StartInputScript();
    std::optional<Clock::time_point> next = DeliverDueScriptItems();
    DeliverDisplayInput(0);
    return next;
}

// Sleeps until something may have arrived: a post, the deadline, or (while the
// display window is open or the terminal's keys are taken) the user's next
// action.
void WaitForInput(uint64_t sequence, std::optional<Clock::time_point> deadline) {
    RefreshDesktopWindows();
    WaitingForUser();
    if (!machine::DisplayInputOpen()) {
        WaitForPostedMessage(sequence, deadline);
        return;
    }
    int timeoutMs = kDisplayPollMs;
    if (deadline) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - MessageClockNow()).count();
        timeoutMs = static_cast<int>(std::clamp<long long>(left, 0, kDisplayPollMs));
    }
    DeliverDisplayInput(timeoutMs);
}

bool IsFilterWindowValid(HWND window) {
    return window == nullptr || window == reinterpret_cast<HWND>(-1) || LookUpWindow(window) != nullptr;
}

std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

// Waits for the next message; 0 for WM_QUIT, -1 for a bad window filter.
extern "C" BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (lpMsg == nullptr || !IsFilterWindowValid(hWnd)) {
        SetLastError(lpMsg == nullptr ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    MessageFilter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    for (;;) {
        uint64_t sequence = PostSequence();
        std::optional<Clock::time_point> scriptDue = DeliverInputNow();
        if (auto message = NextMessage(filter, true)) {
            NoteRetrievedMessage(*message);
            *lpMsg = *message;
            return message->message == WM_QUIT ? 0 : 1;
        }
        WaitForInput(sequence, Earlier(scriptDue, NextTimerDue(filter)));
    }
}

// The next message if there is one, without waiting.
extern "C" BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                   UINT wRemoveMsg) {
    if (lpMsg == nullptr || !IsFilterWindowValid(hWnd)) return FALSE;
    DeliverInputNow();
    auto message = NextMessage(MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax}, (wRemoveMsg & PM_REMOVE) != 0);
    if (!message) {
        RefreshDesktopWindows();
        return FALSE;
    }
    if (wRemoveMsg & PM_REMOVE) NoteRetrievedMessage(*message);
    *lpMsg = *message;
    return TRUE;
}

// Sleeps until a message is waiting, without taking it.
extern "C" BOOL WINAPI WaitMessage(void) {
    MessageFilter filter{};
    for (;;) {
        uint64_t sequence = PostSequence();
        std::optional<Clock::time_point> scriptDue = DeliverInputNow();
        if (NextMessage(filter, false)) return TRUE;
        WaitForInput(sequence, Earlier(scriptDue, NextTimerDue(filter)));
    }
}

// Hands a retrieved message to its window procedure (or a timer's procedure).
extern "C" LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr) return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, MessageTime());
        return 0;
    }
    if (lpMsg->hwnd == nullptr) return 0;
    if (LookUpWindow(lpMsg->hwnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

// Queues a message behind those posted before it; a null window posts to the thread.
extern "C" BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != nullptr && LookUpWindow(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PostToQueue(hWnd, Msg, wParam, lParam);
    return TRUE;
}

// Runs the window procedure now, on this thread, and answers its result.
extern "C" LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (LookUpWindowOrFail(hWnd) == nullptr) return 0;
    return CallProcedure(hWnd, Msg, wParam, lParam);
}

// The loop ends with this code once the posted messages are handled.
extern "C" VOID WINAPI PostQuitMessage(int nExitCode) { RequestQuit(nExitCode); }
