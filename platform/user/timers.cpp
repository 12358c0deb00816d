#include "platform/user/timers.h"

#include <algorithm>
#include <vector>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

struct Timer {
    HWND window = nullptr;           // null for a thread timer
    UINT_PTR id = 0;
    Clock::duration period{};
    Clock::time_point due{};
    TIMERPROC procedure = nullptr;   // given to DispatchMessageA in lParam
};

struct TimerTable {
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimerId = 1;
};

TimerTable& Timers() {
    static TimerTable table;
    return table;
}

}  // namespace

std::optional<MSG> TakeDueTimer(const MessageFilter& filter, bool remove) {
    Clock::time_point now = MessageClockNow();
    for (Timer& timer : Timers().timers) {
        if (timer.due > now || !filter.Accepts(timer.window, WM_TIMER)) continue;
        MSG message{timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), MessageTime(), {0, 0}};
        if (remove) {
            // Periods missed while the program was busy fold into this one message.
            auto missed = (now - timer.due) / timer.period;
            timer.due += timer.period * (missed + 1);
        }
        return message;
    }
    return std::nullopt;
}

std::optional<Clock::time_point> NextTimerDue(const MessageFilter& filter) {
    std::optional<Clock::time_point> next;
    for (const Timer& timer : Timers().timers)
        if (filter.Accepts(timer.window, WM_TIMER) && (!next || timer.due < *next)) next = timer.due;
    return next;
}

void KillTimersOf(HWND window) {
    std::erase_if(Timers().timers, [window](const Timer& timer) { return timer.window == window; });
}

}  // namespace brontar::platform

using namespace brontar::platform;

// Starts or restarts a periodic timer; the id, or 0 on failure.
extern "C" UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (hWnd != nullptr && LookUpWindow(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    TimerTable& table = Timers();
    // A thread timer always gets a fresh id, whatever the caller asked for.
    UINT_PTR id = hWnd != nullptr ? nIDEvent : table.nextThreadTimerId++;
    Clock::duration period = std::chrono::milliseconds(std::max<UINT>(uElapse, USER_TIMER_MINIMUM));
    Timer timer{hWnd, id, period, MessageClockNow() + period, lpTimerFunc};
    auto existing = std::find_if(table.timers.begin(), table.timers.end(), [&](const Timer& t) {
        return t.window == hWnd && t.id == id;
    });
    if (existing != table.timers.end())
        *existing = timer;
    else
        table.timers.push_back(timer);
    // Any non-zero answer means success for a window timer; the id is the useful one.
    return id != 0 ? id : 1;
}

// Stops a timer; FALSE when it does not run.
extern "C" BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto& timers = Timers().timers;
    auto count = std::erase_if(timers, [&](const Timer& t) { return t.window == hWnd && t.id == uIDEvent; });
    return count > 0 ? TRUE : FALSE;
}
