// The message queue: posting order, the quit request, timers, sending.
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/user/message_queue.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using namespace std::chrono_literals;

using MessageLoopTest = WindowTest;

// Retrieves the next message without waiting; fails the test when there is none.
MSG Next() {
    MSG message{};
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    return message;
}

TEST_F(MessageLoopTest, PostedMessagesArriveInTheOrderPosted) {
    HWND a = Make();
    HWND b = Make();
    ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 11, 0));
    ASSERT_TRUE(PostMessageA(b, WM_USER + 2, 22, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 33, 0));  // a thread message
    ASSERT_TRUE(PostMessageA(a, WM_USER + 4, 44, 0));
    MSG message;
    for (auto [window, number, wParam] : {std::tuple{a, WM_USER + 1, 11}, {b, WM_USER + 2, 22},
                                          {nullptr, WM_USER + 3, 33}, {a, WM_USER + 4, 44}}) {
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        EXPECT_EQ(message.hwnd, window);
        EXPECT_EQ(message.message, static_cast<UINT>(number));
        EXPECT_EQ(message.wParam, static_cast<WPARAM>(wParam));
    }
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, QuitArrivesAfterPostedMessagesWithTheLatestCode) {
    HWND window = Make();
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostQuitMessage(-1);  // a failure report
    PostMessageA(window, WM_USER + 2, 0, 0);
    PostQuitMessage(0);  // the destroy handling that follows it
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
    // Only one quit message per request: the queue is empty afterwards.
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageLoopTest, QuitCodeIsCarriedWhole) {
    PostQuitMessage(0);
    PostQuitMessage(-1);
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(static_cast<int>(message.wParam), -1);
}

TEST_F(MessageLoopTest, PeekWithoutRemovingLeavesTheMessage) {
    HWND window = Make();
    PostMessageA(window, WM_USER + 7, 0, 0);
    PostQuitMessage(5);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_USER + 7));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_QUIT));
}

TEST_F(MessageLoopTest, FiltersSelectByWindowAndRange) {
    HWND a = Make();
    HWND b = Make();
    PostMessageA(a, WM_USER + 1, 0, 0);
    PostMessageA(b, WM_USER + 2, 0, 0);
    PostMessageA(b, WM_CHAR, 'x', 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('x'));
    EXPECT_FALSE(PeekMessageA(&message, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(Next().hwnd, a);
}

TEST_F(MessageLoopTest, QuitIgnoresTheWindowFilterButNotTheRange) {
    HWND window = Make();
    PostQuitMessage(2);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(MessageLoopTest, BadWindowFilterAndBadTargetFail) {
    HWND gone = Make();
    DestroyWindow(gone);
    MSG message;
    EXPECT_EQ(GetMessageA(&message, gone, 0, 0), -1);
    EXPECT_FALSE(PostMessageA(gone, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SendMessageA(gone, WM_USER, 0, 0), 0);
}

TEST_F(MessageLoopTest, SendMessageRunsTheProcedureAtOnce) {
    HWND window = Make();
    Hook() = [](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 9) return static_cast<LRESULT>(wParam * 2);
        return std::nullopt;
    };
    Recorded().clear();
    EXPECT_EQ(SendMessageA(window, WM_USER + 9, 21, 0), 42);
    ASSERT_EQ(RecordedNumbers(), std::vector<UINT>{WM_USER + 9});
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));  // nothing was queued
}

TEST_F(MessageLoopTest, DispatchHandsTheMessageToItsWindow) {
    HWND window = Make();
    Recorded().clear();
    MSG message{window, WM_USER + 3, 1, 2, 0, {0, 0}};
    DispatchMessageA(&message);
    ASSERT_EQ(Recorded().size(), 1u);
    EXPECT_EQ(Recorded()[0].window, window);
    EXPECT_EQ(Recorded()[0].lParam, 2);
}

// Timers run on a clock the test moves by hand, so they fall due exactly.
class TimerTest : public WindowTest {
protected:
    platform::ManualMessageClock clock_;
};

// True when no message at all is waiting.
bool QueueEmpty() {
    MSG message;
    return !PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
}

TEST_F(TimerTest, TimerWaitsForAnEmptyQueue) {
    HWND window = Make();
    ASSERT_NE(SetTimer(window, 1, 20, nullptr), 0u);
    clock_.Advance(19ms);
    EXPECT_TRUE(QueueEmpty());  // not early
    clock_.Advance(1ms);        // the timer is due now
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_USER + 2));
    MSG timer = Next();
    EXPECT_EQ(timer.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(timer.wParam, 1u);
    EXPECT_EQ(timer.hwnd, window);
    EXPECT_TRUE(QueueEmpty());
    KillTimer(window, 1);
}

TEST_F(TimerTest, QuitComesBeforeADueTimer) {
    HWND window = Make();
    SetTimer(window, 1, 10, nullptr);
    clock_.Advance(10ms);
    PostQuitMessage(4);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_TIMER));
    KillTimer(window, 1);
}

TEST_F(TimerTest, MissedPeriodsMakeOneTimerMessage) {
    HWND window = Make();
    SetTimer(window, 7, 10, nullptr);
    clock_.Advance(55ms);  // five periods pass unread
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_TIMER));
    EXPECT_TRUE(QueueEmpty());
    // The next period still ends on the timer's own beat, at 60 ms.
    clock_.Advance(4ms);
    EXPECT_TRUE(QueueEmpty());
    clock_.Advance(1ms);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_TIMER));
    KillTimer(window, 7);
}

TEST_F(TimerTest, TimerComesOncePerPeriod) {
    HWND window = Make();
    SetTimer(window, 1, 25, nullptr);
    DWORD start = platform::MessageTime();
    MSG message;
    for (DWORD period = 1; period <= 4; ++period) {
        clock_.Advance(24ms);
        EXPECT_TRUE(QueueEmpty()) << "early in period " << period;
        clock_.Advance(1ms);
        ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
        ASSERT_EQ(message.message, static_cast<UINT>(WM_TIMER));
        EXPECT_EQ(message.time - start, 25 * period);
        EXPECT_TRUE(QueueEmpty());
    }
    KillTimer(window, 1);
}

TEST_F(TimerTest, WaitingForATimerSleepsUntilTheClockReachesIt) {
    HWND window = Make();
    SetTimer(window, 1, 150, nullptr);
    std::atomic<bool> due = false;
    std::thread mover([this, &due] {
        std::this_thread::sleep_for(50ms);
        clock_.Advance(149ms);  // wakes the waiter, which finds nothing due yet
        std::this_thread::sleep_for(50ms);
        due = true;
        clock_.Advance(1ms);
    });
    std::clock_t before = std::clock();
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_TRUE(due);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    // A spinning wait would burn the whole 100 ms of processor time.
    EXPECT_LT(std::clock() - before, CLOCKS_PER_SEC / 20);
    mover.join();
    KillTimer(window, 1);
}

TEST_F(TimerTest, KilledTimerStopsAndLosesItsPendingMessage) {
    HWND window = Make();
    SetTimer(window, 1, 10, nullptr);
    clock_.Advance(10ms);  // due, not yet taken
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    EXPECT_TRUE(QueueEmpty());
    clock_.Advance(20ms);
    EXPECT_TRUE(QueueEmpty());
}

TEST_F(TimerTest, DestroyedWindowLosesItsTimersAndMessages) {
    HWND window = Make();
    SetTimer(window, 1, 10, nullptr);
    PostMessageA(window, WM_USER, 0, 0);
    clock_.Advance(10ms);
    DestroyWindow(window);
    EXPECT_TRUE(QueueEmpty());
    clock_.Advance(20ms);
    EXPECT_TRUE(QueueEmpty());
}

int timerProcedureCalls = 0;
VOID CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++timerProcedureCalls; }

TEST_F(TimerTest, ThreadTimerRunsItsProcedureOnDispatch) {
    UINT_PTR id = SetTimer(nullptr, 0, 10, CountTimer);
    ASSERT_NE(id, 0u);
    clock_.Advance(10ms);
    MSG message = Next();
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(message.hwnd, nullptr);
    timerProcedureCalls = 0;
    DispatchMessageA(&message);
    EXPECT_EQ(timerProcedureCalls, 1);
    KillTimer(nullptr, id);
}

TEST_F(MessageLoopTest, GetMessageWakesForAPostFromAnotherThread) {
    HWND window = Make();
    std::thread poster([window] {
        std::this_thread::sleep_for(20ms);
        PostMessageA(window, WM_USER + 5, 0, 0);
    });
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 5));
    poster.join();
}

}  // namespace
}  // namespace brontar::testing
