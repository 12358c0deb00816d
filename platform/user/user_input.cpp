#include "platform/user/user_input.h"

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
    HWND target = GetCapture();
    if (target == nullptr) {
        target = WindowAtPoint(root, point);
        if (target == nullptr || !EnabledWithAncestors(target)) return;
    }
    POINT client{rootWindow->rect.left + point.x, rootWindow->rect.top + point.y};
    ScreenToClient(target, &client);
    PostToQueue(target, PointerMessage(action, button), MouseKeys(), MAKELPARAM(client.x, client.y));
}

void DeliverKey(int virtualKey, bool down) {
    HeldInput& held = Held();
    if (virtualKey == VK_SHIFT) held.shift = down;
    if (virtualKey == VK_CONTROL) held.control = down;
    // Alt's own release still counts as a system key.
    const bool system = (held.alt || virtualKey == VK_MENU) && !held.control;
    if (virtualKey == VK_MENU) held.alt = down;
    HWND target = GetFocus();
    if (target == nullptr) target = InputWindow();
    if (target == nullptr) return;
    // Repeat count 1; bit 29 Alt held; bits 30 and 31 for a release.
    LPARAM flags = 1 | (held.alt ? (1L << 29) : 0) | (down ? 0 : (3L << 30));
    UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    PostToQueue(target, message, static_cast<WPARAM>(virtualKey), flags);
}

void DeliverCharacter(char character) {
    std::optional<KeyStroke> stroke = KeyOfCharacter(character);
    if (!stroke) {
        HWND target = GetFocus() != nullptr ? GetFocus() : InputWindow();
        if (target != nullptr) PostToQueue(target, WM_CHAR, static_cast<unsigned char>(character), 1);
        return;
    }
    const bool addShift = stroke->shift && !Held().shift;
    if (addShift) DeliverKey(VK_SHIFT, true);
    DeliverKey(stroke->virtualKey, true);
    DeliverKey(stroke->virtualKey, false);
    if (addShift) DeliverKey(VK_SHIFT, false);
}

}  // namespace brontar::platform
