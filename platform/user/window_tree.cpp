// Walking the window tree: parents, children by id, siblings.
#include <windows.h>

#include <algorithm>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// The windows that share a parent with this one, first made first.
std::vector<HWND> Siblings(const Window& window) {
    if (Window* parent = LookUpWindow(window.parent)) return parent->children;
    return TopLevelWindows();
}

HWND SiblingAt(const std::vector<HWND>& siblings, HWND of, int step) {
    auto position = std::find(siblings.begin(), siblings.end(), of);
    if (position == siblings.end()) return nullptr;
    auto index = (position - siblings.begin()) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(siblings.size())) return nullptr;
    return siblings[static_cast<size_t>(index)];
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

// The child window with the control id; NULL when there is none.
extern "C" HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Window* dialog = LookUpWindowOrFail(hDlg);
    if (dialog == nullptr) return nullptr;
    for (HWND child : dialog->children)
        if (LookUpWindow(child)->controlId == nIDDlgItem) return child;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

extern "C" int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window* window = LookUpWindow(hWnd);
    return window != nullptr && window->parent != nullptr ? static_cast<int>(window->controlId) : 0;
}

// A child's parent, or a pop-up window's owner, as on Windows.
extern "C" HWND WINAPI GetParent(HWND hWnd) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return nullptr;
    if (window->parent != nullptr) return window->parent;
    return (window->style & WS_POPUP) ? window->owner : nullptr;
}

extern "C" HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return nullptr;
    switch (uCmd) {
        case GW_CHILD: return window->children.empty() ? nullptr : window->children.front();
        case GW_OWNER: return window->owner;
        case GW_HWNDNEXT: return SiblingAt(Siblings(*window), hWnd, 1);
        case GW_HWNDPREV: return SiblingAt(Siblings(*window), hWnd, -1);
        case GW_HWNDFIRST: return Siblings(*window).front();
        case GW_HWNDLAST: return Siblings(*window).back();
        default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

// True when the window is a descendant of the parent (not the parent itself).
extern "C" BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || hWndParent == nullptr) return FALSE;
    for (window = LookUpWindow(window->parent); window != nullptr; window = LookUpWindow(window->parent))
        if (window->handle == hWndParent) return TRUE;
    return FALSE;
}
