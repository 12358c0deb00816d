// The default answers of a window to the messages its procedure passes on.
#include <windows.h>

#include <cstring>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

LRESULT SetText(Window& window, LPCSTR text) {
    window.text = text != nullptr ? text : "";
    if (window.parent == nullptr) NoteScreenChanged();  // a desktop window's title
    return TRUE;
}

// Copies the text into the caller's buffer of wParam characters, cut to fit.
LRESULT GetText(const Window& window, WPARAM capacity, LPSTR buffer) {
    if (buffer == nullptr || capacity == 0) return 0;
    size_t count = std::min(window.text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, window.text.data(), count);
    buffer[count] = '\0';
    return static_cast<LRESULT>(count);
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr) return 0;
    switch (Msg) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName))
                window->text = create->lpszName;
            return TRUE;
        }
        case WM_CLOSE: DestroyWindow(hWnd); return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hWnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (BeginPaint(hWnd, &paint) != nullptr) EndPaint(hWnd, &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH background = window->windowClass->background;
            if (background == nullptr || wParam == 0) return 0;
            RECT client;
            GetClientRect(hWnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background);
            return 1;
        }
        // Lists and edits sit on the window colour, everything else on the
        // face colour; text is the window text colour on that background.
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            const bool onWindow = Msg == WM_CTLCOLORMSGBOX || Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX;
            const int background = onWindow ? COLOR_WINDOW : COLOR_BTNFACE;
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(background));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
        }
        case WM_SETTEXT: return SetText(*window, reinterpret_cast<LPCSTR>(lParam));
        case WM_GETTEXT: return GetText(*window, wParam, reinterpret_cast<LPSTR>(lParam));
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
        default: return 0;
    }
}

extern "C" LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                          LPARAM lParam) {
    if (lpPrevWndFunc == nullptr) return 0;
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}
