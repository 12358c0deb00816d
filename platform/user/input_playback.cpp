#include "platform/user/input_playback.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "machine/display/display_input.h"
#include "machine/display/presentation.h"
#include "platform/kernel/event_log.h"
#include "platform/user/input_script.h"
#include "platform/user/input_window.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

struct Playback {
    bool ignored = false;              // IgnoreInputScript was called
    bool started = false;
    std::vector<InputItem> items;
    size_t next = 0;                   // the item being waited for or run next
    uint64_t framesAtStart = 0;        // presented frames when the script started
    Clock::time_point itemStart{};     // when the current item became current
    HWND chosenWindow = nullptr;       // SetInputWindow
};

Playback& ThePlayback() {
    static Playback playback;
    return playback;
}

// The button messages of a click: down, then up, at the given client point.
void PostClick(HWND window, bool left, int x, int y) {
    LPARAM point = MAKELONG(x, y);
    PostToQueue(window, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, point);
    PostToQueue(window, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, point);
}

// The middle of a window's client area, where a scripted click lands.
POINT ClientMiddle(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return POINT{client.right / 2, client.bottom / 2};
}

std::string Describe(const InputItem& item) {
    switch (item.kind) {
        case InputItem::Kind::Key: return std::string("key ") + item.character;
        case InputItem::Kind::ClickLeft: return "click left";
        case InputItem::Kind::ClickRight: return "click right";
        default: return "close";
    }
}

void RunAction(const InputItem& item) {
    HWND window = InputWindow();
    if (window == nullptr) {
        WriteDiagnostic("BRONTAR_INPUT: no window for \"" + Describe(item) + "\"; item skipped");
        return;
    }
    switch (item.kind) {
        case InputItem::Kind::Key:
            PostToQueue(window, WM_CHAR, static_cast<unsigned char>(item.character), 1);
            break;
        case InputItem::Kind::ClickLeft:
        case InputItem::Kind::ClickRight: {
            POINT middle = ClientMiddle(window);
            PostClick(window, item.kind == InputItem::Kind::ClickLeft, middle.x, middle.y);
            break;
        }
        default: PostToQueue(window, WM_CLOSE, 0, 0); break;
    }
}

}  // namespace

void SetInputWindow(HWND window) { ThePlayback().chosenWindow = window; }

HWND InputWindow() {
    Playback& playback = ThePlayback();
    if (Window* chosen = LookUpWindow(playback.chosenWindow); chosen != nullptr && !chosen->destroying)
        return chosen->handle;
    std::vector<HWND> topLevel = TopLevelWindows();
    for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it)
        if (!LookUpWindow(*it)->destroying) return *it;
    return nullptr;
}

void IgnoreInputScript() { ThePlayback().ignored = true; }

void StartInputScript() {
    Playback& playback = ThePlayback();
    if (playback.started || playback.ignored) return;
    playback.started = true;
    const char* script = std::getenv("BRONTAR_INPUT");
    if (script != nullptr) playback.items = ParseInputScript(script);
    playback.framesAtStart = machine::PresentedFrameCount();
    playback.itemStart = Clock::now();
}

std::optional<Clock::time_point> DeliverDueScriptItems() {
    Playback& playback = ThePlayback();
    if (!playback.started || playback.ignored) return std::nullopt;
    while (playback.next < playback.items.size()) {
        const InputItem& item = playback.items[playback.next];
        if (item.kind == InputItem::Kind::WaitFrames) {
            if (machine::PresentedFrameCount() - playback.framesAtStart < item.count) return std::nullopt;
        } else if (item.kind == InputItem::Kind::WaitMs) {
            Clock::time_point due = playback.itemStart + std::chrono::milliseconds(item.count);
            if (Clock::now() < due) return due;
        } else {
            RunAction(item);
        }
        ++playback.next;
        playback.itemStart = Clock::now();
    }
    return std::nullopt;
}

bool DeliverDisplayInput(int timeoutMs) {
    if (!machine::DisplayWindowOpen()) return false;
    for (const machine::DisplayInputEvent& event : machine::TakeDisplayInput(timeoutMs)) {
        HWND window = InputWindow();
        if (window == nullptr) continue;
        switch (event.kind) {
            case machine::DisplayInputEvent::Kind::Character:
                PostToQueue(window, WM_CHAR, static_cast<unsigned char>(event.character), 1);
                break;
            case machine::DisplayInputEvent::Kind::LeftButton: PostClick(window, true, event.x, event.y); break;
            case machine::DisplayInputEvent::Kind::RightButton: PostClick(window, false, event.x, event.y); break;
            case machine::DisplayInputEvent::Kind::Close: PostToQueue(window, WM_CLOSE, 0, 0); break;
        }
    }
    return true;
}

}  // namespace brontar::platform
