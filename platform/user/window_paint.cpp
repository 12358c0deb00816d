// Invalid areas, WM_PAINT, and the device contexts of windows.
#include "platform/user/window_paint.h"

#include <algorithm>

#include "platform/user/window_pixels.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

RECT Union(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Adds an area (client coordinates, null: all of it) to the window's invalid
// part. A parent without WS_CLIPCHILDREN paints over its children, so they
// become invalid with it.
void Invalidate(Window& window, const RECT* area, bool erase) {
    RECT client = ClientRect(window);
    RECT added = area != nullptr ? *area : client;
    window.updateRect = window.needsPaint ? Union(window.updateRect, added) : added;
    window.needsPaint = true;
    window.needsErase = window.needsErase || erase;
    if (window.style & WS_CLIPCHILDREN) return;
    for (HWND child : window.children)
        if (Window* found = LookUpWindow(child)) Invalidate(*found, nullptr, erase);
}

// Sizes the store to the client area while no device context draws into it.
void SizePixels(Window& window) {
    RECT client = ClientRect(window);
    int width = static_cast<int>(client.right);
    int height = static_cast<int>(client.bottom);
    if ((width == window.pixelsWidth && height == window.pixelsHeight) || !window.deviceContexts.empty()) return;
    window.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    window.pixelsWidth = width;
    window.pixelsHeight = height;
}

// A device context over the window's store, remembered until released.
HDC OpenDeviceContext(Window& window) {
    SizePixels(window);
    SurfacePixels target{window.pixels.data(), window.pixelsWidth, window.pixelsHeight, window.pixelsWidth * 2};
    HDC dc = CreateSurfaceDC(target);
    if (dc != nullptr) window.deviceContexts.push_back(dc);
    return dc;
}

bool CloseDeviceContext(Window& window, HDC dc) {
    auto found = std::find(window.deviceContexts.begin(), window.deviceContexts.end(), dc);
    if (found == window.deviceContexts.end()) return false;
    window.deviceContexts.erase(found);
    ReleaseSurfaceDC(dc);
    NoteScreenChanged();
    return true;
}

// Device contexts of the screen (GetDC(NULL)). Nothing shows the desktop
// beside the board, so they measure text and draw nowhere.
std::vector<HDC>& ScreenDeviceContexts() {
    static std::vector<HDC> contexts;
    return contexts;
}

HDC OpenScreenDeviceContext() {
    HDC dc = CreateMeasuringDC();
    if (dc != nullptr) ScreenDeviceContexts().push_back(dc);
    return dc;
}

bool CloseScreenDeviceContext(HDC dc) {
    std::vector<HDC>& contexts = ScreenDeviceContexts();
    auto found = std::find(contexts.begin(), contexts.end(), dc);
    if (found == contexts.end()) return false;
    contexts.erase(found);
    ReleaseSurfaceDC(dc);
    return true;
}

}  // namespace

std::optional<MSG> TakePaintMessage(const MessageFilter& filter) {
    for (HWND handle : AllWindows()) {
        Window* window = LookUpWindow(handle);
        if (window->needsPaint && !window->destroying && IsWindowVisible(handle) && filter.Accepts(handle, WM_PAINT))
            return MSG{handle, WM_PAINT, 0, 0, MessageTime(), {0, 0}};
    }
    return std::nullopt;
}

bool GetWindowPixels(HWND handle, SurfacePixels* out) {
    Window* window = LookUpWindow(handle);
    if (window == nullptr || out == nullptr) return false;
    SizePixels(*window);
    *out = SurfacePixels{window->pixels.data(), window->pixelsWidth, window->pixelsHeight, window->pixelsWidth * 2};
    return true;
}

void SetWindowShownParts(HWND handle, std::vector<RECT> parts) {
    if (Window* window = LookUpWindow(handle)) window->shownParts = std::move(parts);
}

std::vector<RECT> WindowShownParts(HWND handle) {
    Window* window = LookUpWindow(handle);
    return window != nullptr ? window->shownParts : std::vector<RECT>{};
}

void ReleaseDeviceContextsOf(Window& window) {
    for (HDC dc : window.deviceContexts) ReleaseSurfaceDC(dc);
    window.deviceContexts.clear();
}

}  // namespace brontar::platform

using namespace brontar::platform;

// NULL invalidates every top-level window, as the whole screen would.
extern "C" BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (hWnd == nullptr) {
        for (HWND handle : TopLevelWindows()) Invalidate(*LookUpWindow(handle), nullptr, bErase != FALSE);
        return TRUE;
    }
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    Invalidate(*window, lpRect, bErase != FALSE);
    return TRUE;
}

// Marks the area valid; a part covering less than the whole invalid area
// leaves the window invalid (the invalid area is kept as one rectangle).
extern "C" BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    if (lpRect == nullptr || Contains(*lpRect, window->updateRect)) {
        window->needsPaint = false;
        window->needsErase = false;
    }
    return TRUE;
}

// Sends WM_PAINT at once when the window has an invalid area.
extern "C" BOOL WINAPI UpdateWindow(HWND hWnd) {
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return FALSE;
    if (window->needsPaint && IsWindowVisible(hWnd)) SendMessageA(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

// Takes the invalid area for painting: erases it (WM_ERASEBKGND) when asked
// and marks the window valid.
extern "C" HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || lpPaint == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    lpPaint->rcPaint = window->needsPaint ? window->updateRect : RECT{};
    bool erase = window->needsErase;
    window->needsPaint = false;
    window->needsErase = false;
    lpPaint->hdc = OpenDeviceContext(*window);
    if (lpPaint->hdc == nullptr) return nullptr;
    if (erase) lpPaint->fErase = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(lpPaint->hdc), 0) == 0;
    return lpPaint->hdc;
}

extern "C" BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || lpPaint == nullptr) return FALSE;
    CloseDeviceContext(*window, lpPaint->hdc);
    return TRUE;
}

// A device context over the window's client area, or over the screen for NULL.
extern "C" HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd == nullptr) return OpenScreenDeviceContext();
    Window* window = LookUpWindowOrFail(hWnd);
    if (window == nullptr) return nullptr;
    return OpenDeviceContext(*window);
}

extern "C" int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    if (hWnd == nullptr) return CloseScreenDeviceContext(hDC) ? 1 : 0;
    Window* window = LookUpWindow(hWnd);
    return window != nullptr && CloseDeviceContext(*window, hDC) ? 1 : 0;
}
