// The paint prologue and text drawing the predefined controls share.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/user/control_state.h"

namespace brontar::platform {

HBRUSH ControlColors(HWND control, HDC dc, UINT colorMessage) {
    HWND parent = GetParent(control);
    HBRUSH brush = nullptr;
    if (parent != nullptr)
        brush = reinterpret_cast<HBRUSH>(SendMessageA(parent, colorMessage, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(control)));
    if (brush == nullptr)
        brush = reinterpret_cast<HBRUSH>(DefWindowProcA(control, colorMessage, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(control)));
    return brush;
}

ControlPaint::ControlPaint(HWND hwnd, HFONT font, UINT colorMessage, HWND asking) : hwnd_(hwnd) {
    dc_ = BeginPaint(hwnd, &paint_);
    if (dc_ == nullptr) return;
    GetClientRect(hwnd, &client_);
    enabled_ = IsWindowEnabled(hwnd) != FALSE;
    if (font != nullptr) previousFont_ = SelectObject(dc_, font);
    background_ = ControlColors(asking != nullptr ? asking : hwnd, dc_, colorMessage);
    SetBkMode(dc_, TRANSPARENT);
}

ControlPaint::~ControlPaint() {
    if (dc_ == nullptr) return;
    if (previousFont_ != nullptr) SelectObject(dc_, previousFont_);
    EndPaint(hwnd_, &paint_);
}

std::string ControlPaint::Text() const {
    char text[256];
    int length = GetWindowTextA(hwnd_, text, sizeof text);
    return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

void DrawControlText(HDC dc, std::string_view text, RECT rect, UINT format, bool enabled) {
    std::string copy(text);
    if (!enabled) {
        const COLORREF previous = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT embossed = rect;
        OffsetRect(&embossed, 1, 1);
        DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &embossed, format, nullptr);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &rect, format, nullptr);
        SetTextColor(dc, previous);
        return;
    }
    DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &rect, format, nullptr);
}

void RegisterControlClass(const char* name, WNDPROC procedure) {
    WNDCLASSEXA controlClass{};
    controlClass.cbSize = sizeof controlClass;
    controlClass.style = CS_GLOBALCLASS;
    controlClass.lpfnWndProc = procedure;
    controlClass.cbWndExtra = kControlExtraBytes;
    controlClass.lpszClassName = name;
    RegisterClassExA(&controlClass);
}

LRESULT SetControlText(HWND control, LPARAM text) {
    const LRESULT result = DefWindowProcA(control, WM_SETTEXT, 0, text);
    InvalidateRect(control, nullptr, TRUE);
    return result;
}

bool IsWindowOfClass(HWND hwnd, const char* className) {
    char name[64];
    return hwnd != nullptr && GetClassNameA(hwnd, name, sizeof name) > 0 && std::strcmp(name, className) == 0;
}

void NotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent == nullptr) return;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

bool TrackFocusAndEnabling(HWND control, UINT message, bool* focused) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        *focused = message == WM_SETFOCUS;
        InvalidateRect(control, nullptr, FALSE);
        return true;
    }
    if (message == WM_ENABLE) {
        InvalidateRect(control, nullptr, TRUE);
        return true;
    }
    return false;
}

}  // namespace brontar::platform
