// Making, showing, enabling and destroying windows.
#include <windows.h>

#include <algorithm>

#include "platform/user/desktop_windows.h"
#include "platform/user/focus_capture.h"
#include "platform/user/input_playback.h"
#include "platform/user/timers.h"
#include "platform/user/window_paint.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// Where and how large a top-level window is when the caller says CW_USEDEFAULT.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

RECT InitialRect(bool child, int x, int y, int width, int height) {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : kDefaultWidth;
        height = child ? 0 : kDefaultHeight;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    return RECT{x, y, x + width, y + height};
}

void MarkDestroying(Window& window) {
    window.destroying = true;
    for (HWND child : window.children)
        if (Window* found = LookUpWindow(child)) MarkDestroying(*found);
}

// WM_DESTROY goes to a window before its children.
void SendDestroy(HWND handle) {
    CallProcedure(handle, WM_DESTROY, 0, 0);
    Window* window = LookUpWindow(handle);
    if (window == nullptr) return;
    std::vector<HWND> children = window->children;
    for (HWND child : children) SendDestroy(child);
}

// WM_NCDESTROY goes to the children first; then the window is gone.
void FinishDestroy(HWND handle) {
    Window* window = LookUpWindow(handle);
    if (window == nullptr) return;
    std::vector<HWND> children = window->children;
    for (HWND child : children) FinishDestroy(child);
    CallProcedure(handle, WM_NCDESTROY, 0, 0);
    KillTimersOf(handle);
    DropPostedMessagesFor(handle);
    ReleaseDeviceContextsOf(*window);
    if (Window* parent = LookUpWindow(window->parent)) std::erase(parent->children, handle);
    if (window->parent == nullptr) CloseDesktopWindowOf(handle);
    RemoveWindow(handle);
    NoteScreenChanged();
}

// Shows or hides a window, telling it with WM_SHOWWINDOW when that changes anything.
bool SetVisible(HWND handle, bool visible) {
    Window* window = LookUpWindow(handle);
    bool wasVisible = (window->style & WS_VISIBLE) != 0;
    if (wasVisible == visible) return wasVisible;
    if (visible)
        window->style |= WS_VISIBLE;
    else
        window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    NoteScreenChanged();
    CallProcedure(handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
    if (visible) InvalidateRect(handle, nullptr, TRUE);
    return wasVisible;
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

// Makes a window: WM_NCCREATE, then WM_CREATE, before it returns. A window
// procedure that answers FALSE to the first or -1 to the second refuses the
// window, and the answer is NULL.
extern "C" HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                                       int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                       HINSTANCE hInstance, LPVOID lpParam) {
    std::shared_ptr<const WindowClass> windowClass = FindWindowClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    bool child = (dwStyle & WS_CHILD) != 0;
    if (child && hWndParent == nullptr) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (hWndParent != nullptr && LookUpWindow(hWndParent) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    Window& window = AddWindow(windowClass);
    HWND handle = window.handle;
    window.style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
    window.exStyle = dwExStyle;
    window.instance = hInstance;
    window.rect = InitialRect(child, X, Y, nWidth, nHeight);
    if (child) {
        window.parent = hWndParent;
        window.controlId = reinterpret_cast<LONG_PTR>(hMenu);
        LookUpWindow(hWndParent)->children.push_back(handle);
    } else {
        // A child named as owner stands for its top-level window, as on Windows.
        Window* owner = LookUpWindow(hWndParent);
        while (owner != nullptr && owner->parent != nullptr) owner = LookUpWindow(owner->parent);
        window.owner = owner != nullptr ? owner->handle : nullptr;
        StartInputScript();
    }

    CREATESTRUCTA create{lpParam,
                         hInstance,
                         hMenu,
                         hWndParent,
                         static_cast<int>(window.rect.bottom - window.rect.top),
                         static_cast<int>(window.rect.right - window.rect.left),
                         static_cast<int>(window.rect.top),
                         static_cast<int>(window.rect.left),
                         static_cast<LONG>(dwStyle),
                         lpWindowName,
                         lpClassName,
                         dwExStyle};
    auto createParam = reinterpret_cast<LPARAM>(&create);
    if (CallProcedure(handle, WM_NCCREATE, 0, createParam) == FALSE) {
        MarkDestroying(*LookUpWindow(handle));
        FinishDestroy(handle);
        return nullptr;
    }
    if (LookUpWindow(handle) == nullptr) return nullptr;
    if (CallProcedure(handle, WM_CREATE, 0, createParam) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    Window* created = LookUpWindow(handle);
    if (created == nullptr || created->destroying) return nullptr;
    if (dwStyle & WS_VISIBLE) SetVisible(handle, true);
    return handle;
}

// Destroys a window, the windows it owns and its children, and forgets it.
extern "C" BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    if (window->destroying) return TRUE;
    for (HWND other : TopLevelWindows())
        if (Window* owned = LookUpWindow(other); owned != nullptr && owned->owner == hWnd) DestroyWindow(other);
    window = LookUpWindow(hWnd);
    if (window == nullptr || window->destroying) return TRUE;
    std::shared_ptr<Window> held = HoldWindow(hWnd);
    // The window disappears without being told (no WM_SHOWWINDOW), as on Windows.
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    ForgetFocusAndCaptureOf(hWnd);
    MarkDestroying(*window);
    SendDestroy(hWnd);
    FinishDestroy(hWnd);
    return TRUE;
}

extern "C" BOOL WINAPI IsWindow(HWND hWnd) { return LookUpWindow(hWnd) != nullptr ? TRUE : FALSE; }

// Shows or hides a window; answers whether it was visible before.
extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    // There is no desktop to minimise to or maximise over: every command but SW_HIDE shows.
    BOOL wasVisible = SetVisible(hWnd, nCmdShow != SW_HIDE) ? TRUE : FALSE;
    // Showing a top-level window activates it: it takes the keyboard focus
    // unless the focus is inside it already.
    const bool activates = nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                           nCmdShow != SW_SHOWMINNOACTIVE;
    window = LookUpWindow(hWnd);
    if (activates && window != nullptr && window->parent == nullptr && !(window->style & WS_DISABLED) &&
        !IsChild(hWnd, GetFocus()) && GetFocus() != hWnd)
        SetFocus(hWnd);
    return wasVisible;
}

// Visible when the window and all its ancestors are.
extern "C" BOOL WINAPI IsWindowVisible(HWND hWnd) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr) return FALSE;
    for (; window != nullptr; window = LookUpWindow(window->parent))
        if (!(window->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

// Enables or disables a window; answers whether it was disabled before.
extern "C" BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    bool wasDisabled = (window->style & WS_DISABLED) != 0;
    if (wasDisabled == !bEnable) return wasDisabled ? TRUE : FALSE;
    if (bEnable)
        window->style &= ~static_cast<DWORD>(WS_DISABLED);
    else
        window->style |= WS_DISABLED;
    CallProcedure(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

extern "C" BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window* window = LookUpWindow(hWnd);
    return window != nullptr && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}
