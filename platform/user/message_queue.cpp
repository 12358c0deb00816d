#include "platform/user/message_queue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// Posting may come from any thread; everything else runs on the window thread.
struct Queue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<MSG> messages;
    bool quitRequested = false;
    int quitCode = 0;
    uint64_t sequence = 0;  // posts, quit requests and manual clock moves so far
    // The manual clock, read without the mutex (changed under it, so a waiter
    // cannot miss a move between looking at the timers and sleeping).
    std::atomic<bool> manualClock = false;
    std::atomic<Clock::rep> manualTicks = 0;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

// MSG.time counts from here, when the platform library is loaded.
const Clock::time_point processStart = Clock::now();

// Counts a change every waiter must look at, and wakes them.
template <typename Change>
void ChangeAndWake(Change change) {
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        change(queue);
        ++queue.sequence;
    }
    queue.posted.notify_all();
}

// True when the window is the filter window or one of its descendants.
bool IsSelfOrDescendant(HWND window, HWND ancestor) {
    for (Window* current = LookUpWindow(window); current != nullptr; current = LookUpWindow(current->parent))
        if (current->handle == ancestor) return true;
    return false;
}

}  // namespace

bool MessageFilter::Accepts(HWND target, UINT message) const {
    if ((first != 0 || last != 0) && (message < first || message > last)) return false;
    if (window == nullptr) return true;
    if (window == reinterpret_cast<HWND>(-1)) return target == nullptr;
    return IsSelfOrDescendant(target, window);
}

Clock::time_point MessageClockNow() {
    const Queue& queue = TheQueue();
    if (queue.manualClock) return Clock::time_point(Clock::duration(queue.manualTicks));
    return Clock::now();
}

DWORD MessageTime() {
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(MessageClockNow() - processStart).count());
}

ManualMessageClock::ManualMessageClock() {
    ChangeAndWake([](Queue& queue) {
        queue.manualTicks = Clock::now().time_since_epoch().count();
        queue.manualClock = true;
    });
}

ManualMessageClock::~ManualMessageClock() {
    ChangeAndWake([](Queue& queue) { queue.manualClock = false; });
}

void ManualMessageClock::Advance(Clock::duration step) {
    ChangeAndWake([step](Queue& queue) { queue.manualTicks += step.count(); });
}

bool MessageClockIsManual() { return TheQueue().manualClock; }

void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted{window, message, wParam, lParam, MessageTime(), {0, 0}};
    ChangeAndWake([&posted](Queue& queue) { queue.messages.push_back(posted); });
}

std::optional<MSG> TakePostedMessage(const MessageFilter& filter, bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!filter.Accepts(it->hwnd, it->message)) continue;
        MSG found = *it;
        if (remove) queue.messages.erase(it);
        return found;
    }
    return std::nullopt;
}

void DropPostedMessagesFor(HWND window) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    std::erase_if(queue.messages, [window](const MSG& message) { return message.hwnd == window; });
}

void RequestQuit(int exitCode) {
    ChangeAndWake([exitCode](Queue& queue) {
        queue.quitRequested = true;
        queue.quitCode = exitCode;
    });
}

std::optional<MSG> TakeQuitMessage(bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    if (!queue.quitRequested) return std::nullopt;
    if (remove) queue.quitRequested = false;
    return MSG{nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<INT_PTR>(queue.quitCode)), 0, MessageTime(), {0, 0}};
}

uint64_t PostSequence() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    return queue.sequence;
}

void WaitForPostedMessage(uint64_t sequence, std::optional<Clock::time_point> deadline) {
    Queue& queue = TheQueue();
    std::unique_lock lock(queue.mutex);
    auto ready = [&queue, sequence] { return queue.sequence != sequence; };
    // A manual clock moves only by Advance, which counts in the sequence.
    if (deadline && !queue.manualClock)
        queue.posted.wait_until(lock, *deadline, ready);
    else
        queue.posted.wait(lock, ready);
}

}  // namespace brontar::platform
