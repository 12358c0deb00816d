#include <windows.h>

#include <string>

#include "platform/user/control_state.h"

namespace brontar::platform {

void PaintControlText(HWND hwnd, HFONT font, std::string_view text, UINT format) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr) return;
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH face = CreateSolidBrush(RGB(192, 192, 192));
    FillRect(dc, &client, face);
    DeleteObject(face);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    std::string copy(text);
    DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &client, format, nullptr);
    if (previous != nullptr) SelectObject(dc, previous);
    EndPaint(hwnd, &paint);
}

void NotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent == nullptr) return;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

}  // namespace brontar::platform
