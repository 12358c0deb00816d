// The dialog manager's keyboard interface: Tab and Shift+Tab through the tab
// stops, arrows through a group, Enter for the default button, Esc for
// Cancel, and mnemonics (the letter after '&' in a control's text).
#include <windows.h>

#include <cctype>
#include <vector>

#include "machine/plain_text.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

bool Usable(HWND control) { return IsWindowVisible(control) && IsWindowEnabled(control); }

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

// The dialog's controls in tab order: children in order, the children of a
// child that is itself a dialog control parent (a property page) in its place.
void CollectControls(HWND parent, std::vector<HWND>& controls) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && Usable(child))
            CollectControls(child, controls);
        else
            controls.push_back(child);
    }
}

std::vector<HWND> ControlsInOrder(HWND dialog) {
    std::vector<HWND> controls;
    CollectControls(dialog, controls);
    return controls;
}

// The position of a control in the list; for a window that is not in it
// (null, or a control parent) the start.
long IndexOf(const std::vector<HWND>& controls, HWND control) {
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == control) return static_cast<long>(i);
    return -1;
}

LRESULT DialogCode(HWND control, const MSG* message) {
    return SendMessageA(control, WM_GETDLGCODE, message != nullptr ? message->wParam : 0,
                        reinterpret_cast<LPARAM>(message));
}

bool IsPushButton(LRESULT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

// The default push button follows the focus: a focused push button shows the
// default frame; elsewhere the dialog's default button has it back.
void MoveDefaultFrame(HWND dialog, HWND focus) {
    const bool focusIsButton = IsPushButton(DialogCode(focus, nullptr));
    const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    HWND defaultButton = HIWORD(defId) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(defId)) : nullptr;
    HWND framed = focusIsButton ? focus : defaultButton;
    for (HWND control : ControlsInOrder(dialog)) {
        const LRESULT code = DialogCode(control, nullptr);
        if (!IsPushButton(code)) continue;
        const bool wantFrame = control == framed;
        if (wantFrame != ((code & DLGC_DEFPUSHBUTTON) != 0))
            SendMessageA(control, BM_SETSTYLE, wantFrame ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

}  // namespace

namespace {

// Shown and enabled by the window's own style, whatever its parents are.
bool StyledUsable(HWND window) { return (StyleOf(window) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE; }

// The first control under `parent` in tab order (a WS_TABSTOP one when asked),
// walking into control parents that are shown and enabled by their style.
HWND FirstStyledControl(HWND parent, bool tabStopsOnly) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!StyledUsable(child)) continue;
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            if (HWND inside = FirstStyledControl(child, tabStopsOnly)) return inside;
        } else if (!tabStopsOnly || (StyleOf(child) & WS_TABSTOP)) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace

HWND FirstFocusControl(HWND dialog) {
    HWND tabStop = FirstStyledControl(dialog, true);
    return tabStop != nullptr ? tabStop : FirstStyledControl(dialog, false);
}

void MoveDialogFocus(HWND dialog, HWND control) {
    if (control == nullptr) return;
    SetFocus(control);
    RememberDialogFocus(dialog, control);
    MoveDefaultFrame(dialog, control);
}

namespace {

// Enter: the focused push button, else the dialog's default button (IDOK
// when it names none), clicked as BN_CLICKED to the button's parent.
void PressDefault(HWND dialog, HWND focus) {
    HWND button = nullptr;
    int id = IDOK;
    if (focus != nullptr && IsPushButton(DialogCode(focus, nullptr))) {
        button = focus;
        id = GetDlgCtrlID(focus);
    } else {
        const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
        if (HIWORD(defId) == DC_HASDEFID) id = LOWORD(defId);
        button = GetDlgItem(dialog, id);
    }
    if (button != nullptr && !IsWindowEnabled(button)) return;
    HWND parent = button != nullptr ? GetParent(button) : dialog;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// True when the text marks this character with '&' ("&&" is a plain '&').
bool HasMnemonic(const char* text, char character) {
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != '&') continue;
        ++c;
        if (*c == '\0') return false;
        if (*c != '&' && std::tolower(static_cast<unsigned char>(*c)) == std::tolower(static_cast<unsigned char>(character)))
            return true;
    }
    return false;
}

// Alt+letter (or the letter alone where the focus takes no characters):
// a button is clicked, a label passes the focus to the control after it,
// anything else takes the focus.
bool ActivateMnemonic(HWND dialog, HWND focus, char character) {
    const std::vector<HWND> controls = ControlsInOrder(dialog);
    if (controls.empty()) return false;
    const long start = IndexOf(controls, focus);
    for (size_t step = 1; step <= controls.size(); ++step) {
        HWND control = controls[static_cast<size_t>(start + static_cast<long>(step)) % controls.size()];
        char text[256];
        GetWindowTextA(control, text, sizeof text);
        if (!IsWindowVisible(control) || !HasMnemonic(text, character)) continue;
        const LRESULT code = DialogCode(control, nullptr);
        if (code & DLGC_STATIC) {
            char className[16];
            GetClassNameA(control, className, sizeof className);
            if (machine::EqualsIgnoreCase(className, "STATIC") && (StyleOf(control) & SS_NOPREFIX)) continue;
            MoveDialogFocus(dialog, GetNextDlgTabItem(dialog, control, FALSE));
            return true;
        }
        if (!IsWindowEnabled(control)) continue;
        if (IsPushButton(code)) {
            SendMessageA(control, BM_CLICK, 0, 0);
        } else if (code & DLGC_BUTTON) {
            MoveDialogFocus(dialog, control);
            SendMessageA(control, BM_CLICK, 0, 0);
        } else {
            MoveDialogFocus(dialog, control);
        }
        return true;
    }
    return false;
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

// The next (or previous) control with WS_TABSTOP that is visible and
// enabled, wrapping around; the dialog's first one for a null control.
extern "C" HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    const std::vector<HWND> controls = ControlsInOrder(hDlg);
    const long count = static_cast<long>(controls.size());
    if (count == 0) return nullptr;
    long index = IndexOf(controls, hCtl);
    if (index < 0) index = bPrevious ? 0 : count - 1;
    for (long step = 1; step <= count; ++step) {
        HWND candidate = controls[static_cast<size_t>(((index + (bPrevious ? -step : step)) % count + count) % count)];
        if ((StyleOf(candidate) & WS_TABSTOP) && Usable(candidate)) return candidate;
    }
    return hCtl;
}

// The next (or previous) visible, enabled control of the control's group:
// a group runs from a WS_GROUP control to the next one among its siblings.
extern "C" HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    HWND parent = hCtl != nullptr ? GetParent(hCtl) : hDlg;
    if (parent == nullptr) return nullptr;
    std::vector<HWND> siblings;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        siblings.push_back(child);
    long index = IndexOf(siblings, hCtl);
    if (index < 0) return nullptr;
    long first = index;
    while (first > 0 && !(StyleOf(siblings[static_cast<size_t>(first)]) & WS_GROUP)) --first;
    long end = index + 1;
    while (end < static_cast<long>(siblings.size()) && !(StyleOf(siblings[static_cast<size_t>(end)]) & WS_GROUP)) ++end;
    const long size = end - first;
    for (long step = 1; step <= size; ++step) {
        long offset = ((index - first + (bPrevious ? -step : step)) % size + size) % size;
        HWND candidate = siblings[static_cast<size_t>(first + offset)];
        if (Usable(candidate)) return candidate;
    }
    return hCtl;
}

// Takes the keyboard messages of the dialog's windows that the dialog
// manager handles, and translates and dispatches the rest; FALSE for a
// message of another window.
extern "C" BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (lpMsg == nullptr || !IsWindow(hDlg) || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) return FALSE;
    HWND target = lpMsg->hwnd;
    switch (lpMsg->message) {
        case WM_KEYDOWN: {
            const LRESULT code = DialogCode(target, lpMsg);
            if (code & DLGC_WANTMESSAGE) break;
            switch (lpMsg->wParam) {
                case VK_TAB:
                    if (code & DLGC_WANTTAB) break;
                    MoveDialogFocus(hDlg, GetNextDlgTabItem(hDlg, target, (GetKeyState(VK_SHIFT) & 0x8000) != 0));
                    return TRUE;
                case VK_LEFT:
                case VK_UP:
                case VK_RIGHT:
                case VK_DOWN: {
                    if (code & DLGC_WANTARROWS) break;
                    const bool back = lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP;
                    HWND next = GetNextDlgGroupItem(hDlg, target, back);
                    if (next == nullptr || next == target) return TRUE;
                    MoveDialogFocus(hDlg, next);
                    if (DialogCode(next, nullptr) & DLGC_RADIOBUTTON) SendMessageA(next, BM_CLICK, 0, 0);
                    return TRUE;
                }
                case VK_RETURN: PressDefault(hDlg, target); return TRUE;
                case VK_ESCAPE:
                    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
                    return TRUE;
                default: break;
            }
            break;
        }
        case WM_CHAR: {
            const LRESULT code = DialogCode(target, lpMsg);
            if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
            if (lpMsg->wParam == '\t' && (code & DLGC_WANTTAB)) break;
            // Tab, Enter and Esc were handled as keys already.
            if (lpMsg->wParam == '\t' || lpMsg->wParam == '\r' || lpMsg->wParam == 0x1B) return TRUE;
            if (ActivateMnemonic(hDlg, target, static_cast<char>(lpMsg->wParam))) return TRUE;
            break;
        }
        case WM_SYSCHAR:
            if (ActivateMnemonic(hDlg, target, static_cast<char>(lpMsg->wParam))) return TRUE;
            break;
        default: break;
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}
