// Window data (GetWindowLongPtrA and friends) and window text.
#include <windows.h>

#include <cstring>
#include <optional>

#include "platform/kernel/event_log.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// The slot of the extra window bytes at a non-negative offset; null when the
// value does not fit inside them.
uint8_t* ExtraSlot(Window& window, int offset, size_t size) {
    if (offset < 0 || static_cast<size_t>(offset) + size > window.extraBytes.size()) return nullptr;
    return window.extraBytes.data() + offset;
}

std::optional<LONG_PTR> ReadField(Window& window, int index, size_t size) {
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window.procedure);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window.instance);
        case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window.parent != nullptr ? window.parent : window.owner);
        case GWLP_ID: return window.controlId;
        case GWLP_USERDATA: return window.userData;
        case GWL_STYLE: return static_cast<LONG>(window.style);
        case GWL_EXSTYLE: return static_cast<LONG>(window.exStyle);
        default: break;
    }
    uint8_t* slot = ExtraSlot(window, index, size);
    if (slot == nullptr) return std::nullopt;
    if (size == sizeof(LONG)) {
        LONG value;
        std::memcpy(&value, slot, sizeof value);
        return value;
    }
    LONG_PTR value;
    std::memcpy(&value, slot, sizeof value);
    return value;
}

// Stores a field; false for an index the window does not have.
bool WriteField(Window& window, int index, LONG_PTR value, size_t size) {
    switch (index) {
        case GWLP_WNDPROC: window.procedure = reinterpret_cast<WNDPROC>(value); return true;
        case GWLP_HINSTANCE: window.instance = reinterpret_cast<HINSTANCE>(value); return true;
        case GWLP_HWNDPARENT:
            WriteDiagnostic("SetWindowLongPtrA: changing a window's owner is not supported");
            return false;
        case GWLP_ID: window.controlId = value; return true;
        case GWLP_USERDATA: window.userData = value; return true;
        case GWL_STYLE: window.style = static_cast<DWORD>(value); return true;
        case GWL_EXSTYLE: window.exStyle = static_cast<DWORD>(value); return true;
        default: break;
    }
    uint8_t* slot = ExtraSlot(window, index, size);
    if (slot == nullptr) return false;
    if (size == sizeof(LONG)) {
        auto narrow = static_cast<LONG>(value);
        std::memcpy(slot, &narrow, sizeof narrow);
    } else {
        std::memcpy(slot, &value, sizeof value);
    }
    return true;
}

LONG_PTR GetLong(HWND handle, int index, size_t size) {
    Window* window = LookUpWindowOrFail(handle);
    if (window == nullptr) return 0;
    std::optional<LONG_PTR> value = ReadField(*window, index, size);
    if (!value) SetLastError(ERROR_INVALID_INDEX);
    return value.value_or(0);
}

LONG_PTR SetLong(HWND handle, int index, LONG_PTR value, size_t size) {
    Window* window = LookUpWindowOrFail(handle);
    if (window == nullptr) return 0;
    std::optional<LONG_PTR> previous = ReadField(*window, index, size);
    if (!previous || !WriteField(*window, index, value, size)) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return *previous;
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    return GetLong(hWnd, nIndex, sizeof(LONG_PTR));
}

// Stores a window value and answers the one it replaces.
extern "C" LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return SetLong(hWnd, nIndex, dwNewLong, sizeof(LONG_PTR));
}

extern "C" LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetLong(hWnd, nIndex, sizeof(LONG)));
}

extern "C" LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetLong(hWnd, nIndex, dwNewLong, sizeof(LONG)));
}

// The text goes through WM_SETTEXT, so a control may keep it its own way.
extern "C" BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (LookUpWindowOrFail(hWnd) == nullptr) return FALSE;
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0 ? TRUE : FALSE;
}

// Copies the text, cut to nMaxCount - 1 characters; answers the length copied.
extern "C" int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString == nullptr || nMaxCount <= 0) return 0;
    lpString[0] = '\0';
    if (LookUpWindowOrFail(hWnd) == nullptr) return 0;
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

extern "C" int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (LookUpWindowOrFail(hWnd) == nullptr) return 0;
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}
