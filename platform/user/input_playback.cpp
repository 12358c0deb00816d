#include "platform/user/input_playback.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "machine/display/display_input.h"
#include "machine/display/presentation.h"
#include "platform/kernel/event_log.h"
#include "platform/user/input_window.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

struct Playback {
    bool ignored = false;                 // IgnoreInputScript was called
    std::optional<InputPlayer> player;    // BRONTAR_INPUT, once started
    HWND chosenWindow = nullptr;          // SetInputWindow
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

InputPlayer::InputPlayer(std::vector<InputItem> items, uint64_t framesAtStart, Clock::time_point start)
    : items_(std::move(items)), framesAtStart_(framesAtStart), itemStart_(start) {}

std::optional<Clock::time_point> InputPlayer::DeliverDue(uint64_t framesPresented, Clock::time_point now) {
    while (next_ < items_.size()) {
        const InputItem& item = items_[next_];
        if (item.kind == InputItem::Kind::WaitFrames) {
            if (framesPresented - framesAtStart_ < item.count) return std::nullopt;
            itemStart_ = now;
        } else if (item.kind == InputItem::Kind::WaitMs) {
            Clock::time_point due = itemStart_ + std::chrono::milliseconds(item.count);
            if (now < due) return due;
            // Actions take no time, so the next wait counts from when this one
            // ended, not from when its end was noticed.
            itemStart_ = due;
        } else {
            RunAction(item);
        }
        ++next_;
    }
    return std::nullopt;
}

void StartInputScript() {
    Playback& playback = ThePlayback();
    if (playback.player || playback.ignored) return;
    const char* script = std::getenv("BRONTAR_INPUT");
    playback.player.emplace(script != nullptr ? ParseInputScript(script) : std::vector<InputItem>{},
                            machine::PresentedFrameCount(), Clock::now());
}

std::optional<Clock::time_point> DeliverDueScriptItems() {
    Playback& playback = ThePlayback();
    if (!playback.player || playback.ignored) return std::nullopt;
    return playback.player->DeliverDue(machine::PresentedFrameCount(), Clock::now());
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
