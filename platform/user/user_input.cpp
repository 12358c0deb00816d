#include "platform/user/user_input.h"

#include <deque>

#include "platform/user/input_window.h"
#include "platform/user/keyboard.h"
#include "platform/user/message_queue.h"
#include "platform/user/window_store.h"

namespace brontar::platform {
namespace {

// What the user holds down now (the messages may not be retrieved yet).
struct HeldInput {
    bool left = false;
    bool right = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

HeldInput& Held() {
    static HeldInput held;
    return held;
}

// What the user did, not yet a message: the window it goes to is found when
// the program takes it (the focus and the capture may change before then).
struct RawInput {
    HWND root;       // pointer: the desktop root it happened on; keys: null
    POINT screen;    // pointer: the point on the screen
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::deque<RawInput>& Inputs() {
    static std::deque<RawInput> inputs;
    return inputs;
}

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The deepest visible child under a screen point, topmost (first) child first.
HWND DeepestAt(HWND handle, POINT screen) {
    Window* window = LookUpWindow(handle);
    if (window == nullptr) return nullptr;
    std::vector<HWND> children = window->children;
    for (HWND child : children) {
        Window* found = LookUpWindow(child);
        if (found == nullptr || !(found->style & WS_VISIBLE) || !Contains(ScreenRect(child), screen)) continue;
        // A disabled window takes the pointer without being asked, and drops it.
        if (found->style & WS_DISABLED) return child;
        if (SendMessageA(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT) continue;
        return DeepestAt(child, screen);
    }
    return handle;
}

bool EnabledWithAncestors(HWND handle) {
    for (Window* window = LookUpWindow(handle); window != nullptr; window = LookUpWindow(window->parent))
        if (window->style & WS_DISABLED) return false;
    return true;
}

WPARAM MouseKeys() {
    const HeldInput& held = Held();
    return (held.left ? MK_LBUTTON : 0) | (held.right ? MK_RBUTTON : 0) | (held.shift ? MK_SHIFT : 0) |
           (held.control ? MK_CONTROL : 0);
}

UINT PointerMessage(PointerAction action, MouseButton button) {
    if (action == PointerAction::Move) return WM_MOUSEMOVE;
    if (button == MouseButton::Left) return action == PointerAction::Press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    return action == PointerAction::Press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
}

}  // namespace

HWND WindowAtPoint(HWND root, POINT point) {
    Window* rootWindow = LookUpWindow(root);
    if (rootWindow == nullptr) return nullptr;
    POINT screen{rootWindow->rect.left + point.x, rootWindow->rect.top + point.y};
    for (HWND popup : OwnedPopupsTopFirst(root))
        if (Contains(ScreenRect(popup), screen)) return DeepestAt(popup, screen);
    if (!Contains(ScreenRect(root), screen)) return nullptr;
    return DeepestAt(root, screen);
}

void DeliverPointer(HWND root, PointerAction action, MouseButton button, POINT point) {
    HeldInput& held = Held();
    if (action != PointerAction::Move) (button == MouseButton::Left ? held.left : held.right) = action == PointerAction::Press;
    Window* rootWindow = LookUpWindow(root);
    if (rootWindow == nullptr) return;
    const POINT screen{rootWindow->rect.left + point.x, rootWindow->rect.top + point.y};
    Inputs().push_back(RawInput{root, screen, PointerMessage(action, button), MouseKeys(), 0});
}

void DeliverKey(int virtualKey, bool down) {
    HeldInput& held = Held();
    if (virtualKey == VK_SHIFT) held.shift = down;
    if (virtualKey == VK_CONTROL) held.control = down;
    // Alt's own release still counts as a system key.
    const bool system = (held.alt || virtualKey == VK_MENU) && !held.control;
    if (virtualKey == VK_MENU) held.alt = down;
    // Repeat count 1; bit 29 Alt held; bits 30 and 31 for a release.
    LPARAM flags = 1 | (held.alt ? (1L << 29) : 0) | (down ? 0 : (3L << 30));
    UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    Inputs().push_back(RawInput{nullptr, POINT{}, message, static_cast<WPARAM>(virtualKey), flags});
}

void DeliverCharacter(char character) {
    std::optional<KeyStroke> stroke = KeyOfCharacter(character);
    if (!stroke) {
        Inputs().push_back(RawInput{nullptr, POINT{}, WM_CHAR, static_cast<unsigned char>(character), 1});
        return;
    }
    const bool addShift = stroke->shift && !Held().shift;
    if (addShift) DeliverKey(VK_SHIFT, true);
    DeliverKey(stroke->virtualKey, true);
    DeliverKey(stroke->virtualKey, false);
    if (addShift) DeliverKey(VK_SHIFT, false);
}

void DeliverClose(HWND root) { Inputs().push_back(RawInput{root, POINT{}, WM_CLOSE, 0, 0}); }

std::optional<MSG> TakeInputMessage(const MessageFilter& filter, bool remove) {
    std::deque<RawInput>& inputs = Inputs();
    while (!inputs.empty()) {
        const RawInput input = inputs.front();
        MSG message{nullptr, input.message, input.wParam, input.lParam, MessageTime(), input.screen};
        if (input.message == WM_CLOSE) {
            message.hwnd = LookUpWindow(input.root) != nullptr ? input.root : nullptr;
        } else if (input.root == nullptr) {
            message.hwnd = GetFocus() != nullptr ? GetFocus() : InputWindow();
        } else {
            message.hwnd = GetCapture();
            if (message.hwnd == nullptr && LookUpWindow(input.root) != nullptr) {
                Window* rootWindow = LookUpWindow(input.root);
                HWND under = WindowAtPoint(input.root, POINT{input.screen.x - rootWindow->rect.left,
                                                               input.screen.y - rootWindow->rect.top});
                message.hwnd = under != nullptr && EnabledWithAncestors(under) ? under : nullptr;
            }
            if (message.hwnd != nullptr) {
                POINT client = input.screen;
                ScreenToClient(message.hwnd, &client);
                message.lParam = MAKELPARAM(client.x, client.y);
            }
        }
        // Input for no window (a disabled one, nothing under the pointer) is dropped.
        if (message.hwnd == nullptr) {
            inputs.pop_front();
            continue;
        }
        if (!filter.Accepts(message.hwnd, message.message)) return std::nullopt;
        if (remove) inputs.pop_front();
        return message;
    }
    return std::nullopt;
}

void ForgetPendingInput() {
    Inputs().clear();
    Held() = HeldInput{};
}

}  // namespace brontar::platform
