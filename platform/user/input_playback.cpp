#include "platform/user/input_playback.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "machine/display/display_input.h"
#include "machine/display/display_window.h"
#include "machine/display/headless_notice.h"
#include "machine/display/presentation.h"
#include "machine/display/terminal_keys.h"
#include "platform/automation.h"
#include "platform/kernel/event_log.h"
#include "platform/user/input_window.h"
#include "platform/user/user_input.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

struct Playback {
    bool ignored = false;                 // IgnoreInputScript was called
    std::optional<InputPlayer> player;    // BRONTAR_INPUT, once started
    bool keysSourceChosen = false;        // the terminal's keys were taken, or found out of reach
    HWND chosenWindow = nullptr;          // SetInputWindow
    std::set<HWND> boardWindows;          // every window SetInputWindow named (handles are never reused)
};

Playback& ThePlayback() {
    static Playback playback;
    return playback;
}

// A click: the pointer moves there, then the button goes down and up.
void Click(HWND root, MouseButton button, POINT point) {
    DeliverPointer(root, PointerAction::Move, button, point);
    DeliverPointer(root, PointerAction::Press, button, point);
    DeliverPointer(root, PointerAction::Release, button, point);
}

// The middle of a window's client area, where a scripted click lands.
POINT ClientMiddle(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return POINT{client.right / 2, client.bottom / 2};
}

void PlayNamedKey(const InputItem& item) {
    const std::pair<bool, int> modifiers[] = {{item.control, VK_CONTROL}, {item.alt, VK_MENU}, {item.shift, VK_SHIFT}};
    for (const auto& [held, key] : modifiers)
        if (held) DeliverKey(key, true);
    DeliverKey(item.virtualKey, true);
    DeliverKey(item.virtualKey, false);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        if (it->first) DeliverKey(it->second, false);
}

void RunAction(const InputItem& item) {
    HWND window = InputWindow();
    if (window == nullptr) {
        WriteDiagnostic("BRONTAR_INPUT: no window for an item; item skipped");
        return;
    }
    const POINT at{item.x, item.y};
    switch (item.kind) {
        case InputItem::Kind::Key: DeliverCharacter(item.character); break;
        case InputItem::Kind::NamedKey: PlayNamedKey(item); break;
        case InputItem::Kind::ClickLeft: Click(window, MouseButton::Left, ClientMiddle(window)); break;
        case InputItem::Kind::ClickRight: Click(window, MouseButton::Right, ClientMiddle(window)); break;
        case InputItem::Kind::Click: Click(window, MouseButton::Left, at); break;
        case InputItem::Kind::Press: DeliverPointer(window, PointerAction::Press, MouseButton::Left, at); break;
        case InputItem::Kind::Release: DeliverPointer(window, PointerAction::Release, MouseButton::Left, at); break;
        case InputItem::Kind::Move: DeliverPointer(window, PointerAction::Move, MouseButton::Left, at); break;
        default: DeliverClose(window); break;
    }
}

}  // namespace

void SetInputWindow(HWND window) {
    ThePlayback().chosenWindow = window;
    if (window != nullptr) ThePlayback().boardWindows.insert(window);
}

bool ShowsThroughBoard(HWND window) { return ThePlayback().boardWindows.count(window) != 0; }

HWND InputWindow() {
    Playback& playback = ThePlayback();
    if (Window* chosen = LookUpWindow(playback.chosenWindow); chosen != nullptr && !chosen->destroying)
        return chosen->handle;
    std::vector<HWND> topLevel = TopLevelWindows();
    for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it)
        if (Window* window = LookUpWindow(*it); !window->destroying && window->owner == nullptr) return *it;
    return nullptr;
}

HWND DesktopWindowOf(uint64_t key) {
    if (key == 0) return InputWindow();
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(key));
    return LookUpWindow(window) != nullptr ? window : nullptr;
}

bool UserMayAct(HWND root) {
    const Playback& playback = ThePlayback();
    if (playback.player && !playback.ignored && !playback.player->Finished()) return true;
    return machine::DesktopWindowShown(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(root)));
}

void IgnoreInputScript() { ThePlayback().ignored = true; }

bool HeadlessWithNothingToPlay() {
    return NothingToPlay() && machine::CurrentDisplayDecision() == machine::DisplayDecision::HeadlessForWantOfDisplay;
}

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
                            machine::PresentedFrameCount(), MessageClockNow());
}

std::optional<Clock::time_point> DeliverDueScriptItems() {
    Playback& playback = ThePlayback();
    if (!playback.player || playback.ignored) return std::nullopt;
    return playback.player->DeliverDue(machine::PresentedFrameCount(), MessageClockNow());
}

bool NothingToPlay() {
    const Playback& playback = ThePlayback();
    return !playback.ignored && playback.player && playback.player->Empty();
}

void WaitingForUser() {
    Playback& playback = ThePlayback();
    if (playback.keysSourceChosen || !NothingToPlay()) return;
    const machine::DisplayDecision display = machine::CurrentDisplayDecision();
    if (display != machine::DisplayDecision::HeadlessAsked &&
        display != machine::DisplayDecision::HeadlessForWantOfDisplay)
        return;
    playback.keysSourceChosen = true;
    const bool terminalKeys = machine::ListenToTerminal();
    if (display == machine::DisplayDecision::HeadlessForWantOfDisplay)
        machine::SayToUser(machine::WaitingForKeysNotice(machine::RunningProgramName(), terminalKeys, getpid()));
}

bool DeliverDisplayInput(int timeoutMs) {
    if (!machine::DisplayInputOpen()) return false;
    using Kind = machine::DisplayInputEvent::Kind;
    for (const machine::DisplayInputEvent& event : machine::TakeDisplayInput(timeoutMs)) {
        HWND root = DesktopWindowOf(event.window);
        if (root == nullptr) continue;
        const MouseButton button = event.rightButton ? MouseButton::Right : MouseButton::Left;
        switch (event.kind) {
            case Kind::KeyDown: DeliverKey(event.key, true); break;
            case Kind::KeyUp: DeliverKey(event.key, false); break;
            case Kind::PointerMove: DeliverPointer(root, PointerAction::Move, button, POINT{event.x, event.y}); break;
            case Kind::ButtonDown: DeliverPointer(root, PointerAction::Press, button, POINT{event.x, event.y}); break;
            case Kind::ButtonUp: DeliverPointer(root, PointerAction::Release, button, POINT{event.x, event.y}); break;
            case Kind::Close: DeliverClose(root); break;
            case Kind::Character: DeliverCharacter(event.character); break;
        }
    }
    return true;
}

}  // namespace brontar::platform
