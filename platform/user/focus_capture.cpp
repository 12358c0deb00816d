// SetFocus, SetCapture and their notifications.
#include "platform/user/focus_capture.h"

#include "platform/user/window_store.h"

namespace brontar::platform {
namespace {

struct InputOwners {
    HWND focus = nullptr;
    HWND capture = nullptr;
};

InputOwners& Owners() {
    static InputOwners owners;
    return owners;
}

bool IsSelfOrDescendant(HWND window, HWND ancestor) {
    for (Window* current = LookUpWindow(window); current != nullptr; current = LookUpWindow(current->parent))
        if (current->handle == ancestor) return true;
    return false;
}

// A window takes the focus only while it and its ancestors are enabled.
bool CanTakeFocus(HWND handle) {
    for (Window* window = LookUpWindow(handle); window != nullptr; window = LookUpWindow(window->parent))
        if ((window->style & WS_DISABLED) || window->destroying) return false;
    return true;
}

}  // namespace

void ForgetFocusAndCaptureOf(HWND dying) {
    InputOwners& owners = Owners();
    if (owners.focus != nullptr && IsSelfOrDescendant(owners.focus, dying)) {
        Window* window = LookUpWindow(dying);
        owners.focus = window != nullptr && window->parent != nullptr && !LookUpWindow(window->parent)->destroying
                           ? window->parent
                           : nullptr;
    }
    if (owners.capture != nullptr && IsSelfOrDescendant(owners.capture, dying)) owners.capture = nullptr;
}

}  // namespace brontar::platform

using namespace brontar::platform;

// The previous focus window, or NULL (also when the window cannot take the
// focus: a bad handle, or it or an ancestor is disabled). The old window
// hears WM_KILLFOCUS, then the new one WM_SETFOCUS, each naming the other.
extern "C" HWND WINAPI SetFocus(HWND hWnd) {
    InputOwners& owners = Owners();
    HWND previous = owners.focus;
    if (hWnd != nullptr) {
        if (LookUpWindowOrFail(hWnd) == nullptr || !CanTakeFocus(hWnd)) return nullptr;
        if (hWnd == previous) return previous;
    }
    owners.focus = hWnd;
    if (previous != nullptr && LookUpWindow(previous) != nullptr)
        CallProcedure(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    // A WM_KILLFOCUS handler may have moved the focus on already.
    if (hWnd != nullptr && owners.focus == hWnd)
        CallProcedure(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

extern "C" HWND WINAPI GetFocus(void) { return Owners().focus; }

// Every mouse message goes to this window until the capture is released.
// The window that loses the capture hears WM_CAPTURECHANGED naming the new one.
extern "C" HWND WINAPI SetCapture(HWND hWnd) {
    InputOwners& owners = Owners();
    HWND previous = owners.capture;
    if (hWnd == nullptr || LookUpWindowOrFail(hWnd) == nullptr) return previous;
    owners.capture = hWnd;
    if (previous != nullptr && previous != hWnd && LookUpWindow(previous) != nullptr)
        CallProcedure(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    return previous;
}

extern "C" BOOL WINAPI ReleaseCapture(void) {
    InputOwners& owners = Owners();
    HWND previous = owners.capture;
    owners.capture = nullptr;
    if (previous != nullptr && LookUpWindow(previous) != nullptr) CallProcedure(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

extern "C" HWND WINAPI GetCapture(void) { return Owners().capture; }
