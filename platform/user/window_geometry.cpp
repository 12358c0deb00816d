// Window positions and sizes. Windows here have no frame: the client area is
// the whole window, so client and window rectangles differ only in origin.
#include <windows.h>

#include <algorithm>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// The screen position of a window's client origin.
POINT ClientOrigin(const Window& window) {
    POINT origin{window.rect.left, window.rect.top};
    for (Window* parent = LookUpWindow(window.parent); parent != nullptr; parent = LookUpWindow(parent->parent)) {
        origin.x += parent->rect.left;
        origin.y += parent->rect.top;
    }
    return origin;
}

// Moves a window within its siblings: HWND_TOP first, HWND_BOTTOM last, else after the given one.
void Reorder(Window& window, HWND insertAfter) {
    Window* parent = LookUpWindow(window.parent);
    if (parent == nullptr) return;  // top-level windows keep their order: there is no desktop to stack them on
    auto& siblings = parent->children;
    if (insertAfter != HWND_BOTTOM && insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
        insertAfter != HWND_NOTOPMOST && std::find(siblings.begin(), siblings.end(), insertAfter) == siblings.end())
        return;
    std::erase(siblings, window.handle);
    if (insertAfter == HWND_BOTTOM)
        siblings.push_back(window.handle);
    else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
        siblings.insert(siblings.begin(), window.handle);
    else
        siblings.insert(std::find(siblings.begin(), siblings.end(), insertAfter) + 1, window.handle);
}

// Places a window and tells it with WM_MOVE and WM_SIZE what changed.
void Place(HWND handle, RECT placed, bool repaint) {
    Window* window = LookUpWindow(handle);
    bool moved = placed.left != window->rect.left || placed.top != window->rect.top;
    bool resized = placed.right - placed.left != window->rect.right - window->rect.left ||
                   placed.bottom - placed.top != window->rect.bottom - window->rect.top;
    window->rect = placed;
    if (moved || resized) NoteScreenChanged();
    LONG width = placed.right - placed.left;
    LONG height = placed.bottom - placed.top;
    if (moved) CallProcedure(handle, WM_MOVE, 0, MAKELONG(placed.left, placed.top));
    if (resized) CallProcedure(handle, WM_SIZE, 0, MAKELONG(width, height));
    if (repaint && (moved || resized)) InvalidateRect(handle, nullptr, TRUE);
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *lpRect = ClientRect(*window);
    return TRUE;
}

// The window's rectangle in screen coordinates.
extern "C" BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    POINT origin = ClientOrigin(*window);
    *lpRect = RECT{origin.x, origin.y, origin.x + (window->rect.right - window->rect.left),
                   origin.y + (window->rect.bottom - window->rect.top)};
    return TRUE;
}

extern "C" BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    if (LookUpWindowOrFail(hWnd) == nullptr) return FALSE;
    Place(hWnd, RECT{X, Y, X + std::max(nWidth, 0), Y + std::max(nHeight, 0)}, bRepaint != FALSE);
    return TRUE;
}

extern "C" BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    RECT placed = window->rect;
    if (!(uFlags & SWP_NOMOVE)) {
        placed = RECT{X, Y, X + (placed.right - placed.left), Y + (placed.bottom - placed.top)};
    }
    if (!(uFlags & SWP_NOSIZE)) {
        placed.right = placed.left + std::max(cx, 0);
        placed.bottom = placed.top + std::max(cy, 0);
    }
    if (!(uFlags & SWP_NOZORDER)) Reorder(*window, hWndInsertAfter);
    Place(hWnd, placed, !(uFlags & SWP_NOREDRAW));
    if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, SW_SHOWNA);
    if (uFlags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
    return TRUE;
}

// Converts points from one window's client coordinates to another's (NULL:
// the screen). Answers the horizontal shift in the low word, the vertical in the high.
extern "C" int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    POINT from{0, 0}, to{0, 0};
    if (hWndFrom != nullptr) {
        Window* window = LookUpWindow(hWndFrom);
        if (window == nullptr) return 0;
        from = ClientOrigin(*window);
    }
    if (hWndTo != nullptr) {
        Window* window = LookUpWindow(hWndTo);
        if (window == nullptr) return 0;
        to = ClientOrigin(*window);
    }
    LONG dx = from.x - to.x;
    LONG dy = from.y - to.y;
    for (UINT i = 0; lpPoints != nullptr && i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    return MAKELONG(dx, dy);
}

extern "C" BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    if (LookUpWindow(hWnd) == nullptr || lpPoint == nullptr) return FALSE;
    MapWindowPoints(hWnd, nullptr, lpPoint, 1);
    return TRUE;
}

extern "C" BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    if (LookUpWindow(hWnd) == nullptr || lpPoint == nullptr) return FALSE;
    MapWindowPoints(nullptr, hWnd, lpPoint, 1);
    return TRUE;
}
