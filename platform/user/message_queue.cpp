#include "platform/user/message_queue.h"

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
    uint64_t sequence = 0;  // posts and quit requests so far
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
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

DWORD MessageTime() {
    static const Clock::time_point start = Clock::now();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted{window, message, wParam, lParam, MessageTime(), {0, 0}};
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.messages.push_back(posted);
        ++queue.sequence;
    }
    queue.posted.notify_all();
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
    Queue& queue = TheQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.quitRequested = true;
        queue.quitCode = exitCode;
        ++queue.sequence;
    }
    queue.posted.notify_all();
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
    if (deadline)
        queue.posted.wait_until(lock, *deadline, ready);
    else
        queue.posted.wait(lock, ready);
}

}  // namespace brontar::platform
