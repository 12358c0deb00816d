// The BUTTON class: push buttons, check boxes with two or three states, and
// group boxes.
#include <windows.h>

#include "platform/user/control_state.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

struct ButtonState {
    HFONT font = nullptr;
    WORD check = BST_UNCHECKED;  // 0, 1 or 2
    bool pushed = false;
};

ControlStates<ButtonState>& Buttons() {
    static ControlStates<ButtonState> buttons;
    return buttons;
}

DWORD ButtonType(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

// The highest check state a button of this type holds.
WORD MaxCheckState(DWORD type) {
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return BST_CHECKED;
        case BS_3STATE:
        case BS_AUTO3STATE: return BST_INDETERMINATE;
        default: return BST_UNCHECKED;
    }
}

// A click: automatic boxes step their state, then the parent hears of it.
void Click(HWND hwnd, ButtonState& state) {
    const DWORD type = ButtonType(hwnd);
    if (type == BS_GROUPBOX) return;
    if (type == BS_AUTOCHECKBOX) state.check = state.check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    if (type == BS_AUTO3STATE) state.check = static_cast<WORD>((state.check + 1) % 3);
    if (type == BS_AUTORADIOBUTTON) state.check = BST_CHECKED;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParent(hwnd, BN_CLICKED);
}

void Paint(HWND hwnd, const ButtonState& state) {
    char text[256];
    GetWindowTextA(hwnd, text, sizeof text);
    const DWORD type = ButtonType(hwnd);
    std::string shown = text;
    if (MaxCheckState(type) != BST_UNCHECKED)
        shown = std::string(state.check == BST_CHECKED ? "[x] " : state.check == BST_INDETERMINATE ? "[-] " : "[ ] ") + text;
    PaintControlText(hwnd, state.font, shown, type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? DT_CENTER | DT_VCENTER | DT_SINGLELINE : DT_LEFT | DT_WORDBREAK);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) Buttons().Ensure(hwnd);
    ButtonState* state = Buttons().Find(hwnd);
    if (state == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
        // A group box frames other controls: the pointer passes through it.
        case WM_NCHITTEST:
            if (ButtonType(hwnd) == BS_GROUPBOX) return HTTRANSPARENT;
            break;
        case BM_GETCHECK: return state->check;
        case BM_SETCHECK: {
            WORD wanted = static_cast<WORD>(wParam);
            WORD max = MaxCheckState(ButtonType(hwnd));
            state->check = wanted > max ? max : wanted;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case BM_GETSTATE: return state->check | (state->pushed ? BST_PUSHED : 0);
        case BM_SETSTATE: state->pushed = wParam != 0; return 0;
        case BM_SETSTYLE: {
            // The type changes (push button to default push button and back); the rest stays.
            const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
            SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case BM_CLICK:
        case WM_LBUTTONUP:
            if (IsWindowEnabled(hwnd)) Click(hwnd, *state);
            return 0;
        case WM_PAINT: Paint(hwnd, *state); return 0;
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_NCDESTROY: Buttons().Erase(hwnd); break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() {
    WNDCLASSEXA buttonClass{};
    buttonClass.cbSize = sizeof buttonClass;
    buttonClass.style = CS_GLOBALCLASS;
    buttonClass.lpfnWndProc = ButtonProc;
    buttonClass.lpszClassName = "BUTTON";
    RegisterClassExA(&buttonClass);
}

bool UserClickButton(HWND button) {
    ButtonState* state = Buttons().Find(button);
    if (state == nullptr || !IsWindowEnabled(button)) return false;
    Click(button, *state);
    return true;
}

bool DescribeButton(HWND hwnd, ControlDescription* out) {
    ButtonState* state = Buttons().Find(hwnd);
    if (state == nullptr) return false;
    const DWORD type = ButtonType(hwnd);
    if (type == BS_GROUPBOX) {
        out->kind = "group box";
    } else if (MaxCheckState(type) != BST_UNCHECKED) {
        out->kind = "check box";
        out->checkState = state->check;
    } else {
        out->kind = "button";
    }
    return true;
}

}  // namespace brontar::platform
