// The windows of the process: their records, handles and tree.
//
// Windows belong to the thread that made them, as on Windows; this platform's
// programs make and use all their windows on one thread, so the store is not
// locked. Posting messages from other threads goes through the locked queue.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/user/window_class.h"

namespace brontar::platform {

// One window.
struct Window {
    HWND handle = nullptr;
    std::shared_ptr<const WindowClass> windowClass;
    WNDPROC procedure = nullptr;    // starts as the class's; GWLP_WNDPROC changes it
    DWORD style = 0;                // WS_*
    DWORD exStyle = 0;              // WS_EX_*
    std::string text;               // the window text (caption or control text)
    HWND parent = nullptr;          // child windows: the parent
    HWND owner = nullptr;           // top-level windows: the owner given at creation
    std::vector<HWND> children;     // first created first (the order GetWindow walks)
    LONG_PTR controlId = 0;         // child windows: the id given as the menu argument
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;          // GWLP_USERDATA
    std::vector<uint8_t> extraBytes;  // cbWndExtra bytes, zero at creation
    RECT rect{};                    // window rectangle in the parent's client (screen for top-level)
    bool destroying = false;        // DestroyWindow has begun
    bool needsPaint = false;        // part of the client area is invalid
    bool needsErase = false;        // the invalid part still needs its background erased
    RECT updateRect{};              // the invalid part, client coordinates
    std::vector<uint16_t> pixels;   // RGB565 store of the client area, for device contexts
    int pixelsWidth = 0;            // the store's size in pixels
    int pixelsHeight = 0;
    std::vector<RECT> shownParts;   // the parts of the store shown over what lies below; empty: all of it
    std::vector<HDC> deviceContexts;  // handed out by GetDC and BeginPaint, not yet released
};

// The window's client area in its own coordinates: 0, 0 to its size
// (windows have no frame here).
inline RECT ClientRect(const Window& window) {
    return RECT{0, 0, window.rect.right - window.rect.left, window.rect.bottom - window.rect.top};
}

// The live window of a handle; null for a handle that names none.
Window* LookUpWindow(HWND handle);

// The same, setting ERROR_INVALID_WINDOW_HANDLE when the handle names none.
Window* LookUpWindowOrFail(HWND handle);

// The window of a handle, held alive while a procedure runs that may destroy it.
std::shared_ptr<Window> HoldWindow(HWND handle);

// Creates the record and its handle; the window exists from now on.
Window& AddWindow(std::shared_ptr<const WindowClass> windowClass);

// Forgets a window: its handle names nothing from now on.
void RemoveWindow(HWND handle);

// True when any live window uses the class.
bool AnyWindowOfClass(const WindowClass& windowClass);

// Top-level windows in the order they were made.
std::vector<HWND> TopLevelWindows();

// The top-level window whose desktop window shows this one: the window's
// top-level ancestor, then its owner's, up to a window without an owner.
HWND DesktopRoot(HWND handle);

// The visible top-level windows shown inside a root's desktop window on top
// of it (owned pop-ups such as a dropped list or a message box), the most
// recently made first.
std::vector<HWND> OwnedPopupsTopFirst(HWND root);

// Every window in the order they were made (parents before their children).
std::vector<HWND> AllWindows();

// Counts changes to what the desktop shows (pixels drawn, windows shown,
// hidden, moved, renamed or destroyed), so pictures are remade only then.
uint64_t ScreenGeneration();
void NoteScreenChanged();

// Calls a window's procedure, keeping the window record alive meanwhile.
LRESULT CallProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace brontar::platform
