// Dialogs: the dialog class, creation from a template (dialog units scaled
// by the dialog font), the dialog procedure's results, and the item helpers.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/kernel/event_log.h"
#include "platform/user/control_state.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"

namespace brontar::platform {
namespace {

// What the dialog manager keeps of a dialog, in the window's extra bytes
// after those the dialog procedure may use: made at WM_NCCREATE, freed
// (with the font) at WM_NCDESTROY.
struct DialogInfo {
    HFONT font = nullptr;  // the template's font, owned by the dialog
    LONG baseX = 6;        // dialog base units in pixels: 4 x units across,
    LONG baseY = 13;       // 8 y units down
    WORD defaultId = 0;    // DM_SETDEFID, else the template's first BS_DEFPUSHBUTTON; 0 none
    HWND focus = nullptr;  // the control that had the focus last, given back on WM_SETFOCUS
    bool deferredFocus = false;  // a hidden page asked for the default focus, for its parent to give
};

// value x numerator / denominator, rounded to nearest as Windows scales units.
LONG ScaleUnits(LONG value, LONG numerator, LONG denominator) {
    if (denominator == 0) return 0;
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

constexpr int kDialogInfoOffset = DWLP_USER + sizeof(LONG_PTR);
constexpr int kDialogExtraBytes = std::max<int>(DLGWINDOWEXTRA, kDialogInfoOffset + sizeof(LONG_PTR));

// The dialog's record; null for a window of another class (whose extra
// bytes are its own), and for a dialog not yet made or already gone.
DialogInfo* DialogInfoOf(HWND dialog) {
    if (!IsWindowOfClass(dialog, DIALOG_CLASS_NAME)) return nullptr;
    return reinterpret_cast<DialogInfo*>(GetWindowLongPtrA(dialog, kDialogInfoOffset));
}

DLGPROC DialogProcedureOf(HWND hwnd) {
    return reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, static_cast<int>(DWLP_DLGPROC)));
}

// Base units from the average width of the letters and the font's height.
void MeasureFont(HFONT font, LONG* baseX, LONG* baseY) {
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, font);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    TEXTMETRICA metrics{};
    if (GetTextExtentPoint32A(dc, kLetters, 52, &extent) && GetTextMetricsA(dc, &metrics) && metrics.tmHeight > 0) {
        *baseX = (extent.cx / 26 + 1) / 2;
        *baseY = metrics.tmHeight;
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
}

LONG UnitsToPixelsX(LONG units, const DialogInfo& info) { return ScaleUnits(units, info.baseX, 4); }
LONG UnitsToPixelsY(LONG units, const DialogInfo& info) { return ScaleUnits(units, info.baseY, 8); }

// A template's position and size in pixels: each of the four numbers is
// scaled and rounded on its own (not the two edges), so equal widths in
// units are equal widths in pixels wherever the controls start.
RECT UnitBoxToPixels(const DialogUnitBox& units, const DialogInfo& info) {
    const LONG x = UnitsToPixelsX(units.x, info);
    const LONG y = UnitsToPixelsY(units.y, info);
    return RECT{x, y, x + UnitsToPixelsX(units.cx, info), y + UnitsToPixelsY(units.cy, info)};
}

// The dialog class's window procedure: the dialog procedure first, then the
// defaults. A handled message answers DWLP_MSGRESULT, except the few whose
// result is the procedure's own (WM_INITDIALOG, the WM_CTLCOLOR* brushes).
LRESULT CALLBACK DialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DLGPROC procedure = DialogProcedureOf(hwnd);
    if (procedure != nullptr) {
        INT_PTR handled = procedure(hwnd, message, wParam, lParam);
        if (handled) {
            if (message == WM_INITDIALOG || (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC))
                return handled;
            return GetWindowLongPtrA(hwnd, static_cast<int>(DWLP_MSGRESULT));
        }
    }
    return DefDlgProcA(hwnd, message, wParam, lParam);
}

HWND CreateItem(HWND dialog, HINSTANCE instance, const DialogTemplateItem& item, const DialogInfo& info) {
    RECT pixels = UnitBoxToPixels(item.units, info);
    HWND control = CreateWindowExA(item.exStyle, item.className.c_str(), item.title.c_str(), item.style | WS_CHILD,
                                   pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                                   dialog, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(item.id)), instance, nullptr);
    if (control == nullptr) {
        WriteDiagnostic("dialogs: cannot create control " + std::to_string(item.id) + " of class " + item.className +
                        " (a class this platform does not provide)");
        return nullptr;
    }
    if (info.font != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), FALSE);
    return control;
}

// Only the dialog class's windows have the bytes for it.
void MakeDialogInfo(HWND dialog) {
    if (IsWindowOfClass(dialog, DIALOG_CLASS_NAME))
        SetWindowLongPtrA(dialog, kDialogInfoOffset, reinterpret_cast<LONG_PTR>(new DialogInfo));
}

void FreeDialogInfo(HWND dialog) {
    DialogInfo* info = DialogInfoOf(dialog);
    if (info == nullptr) return;
    SetWindowLongPtrA(dialog, kDialogInfoOffset, 0);
    if (info->font != nullptr) DeleteObject(info->font);
    delete info;
}

LRESULT SetFont(DialogInfo* info, WPARAM font) {
    if (info != nullptr) info->font = reinterpret_cast<HFONT>(font);
    return 0;
}

LRESULT DefaultId(const DialogInfo* info) {
    if (info == nullptr || info->defaultId == 0) return 0;
    return MAKELONG(info->defaultId, DC_HASDEFID);
}

LRESULT SetDefaultId(DialogInfo* info, WPARAM id) {
    if (info != nullptr) info->defaultId = static_cast<WORD>(id);
    return TRUE;
}

// lParam TRUE: wParam is the control; else the next (wParam 0) or previous tab stop.
LRESULT NextControl(HWND dialog, WPARAM wParam, LPARAM lParam) {
    HWND control = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
    MoveDialogFocus(dialog, control);
    return 0;
}

// The focus goes on to the control that had it last, else the first tab stop.
LRESULT GiveFocusOn(HWND dialog, const DialogInfo* info) {
    HWND control = info != nullptr ? info->focus : nullptr;
    if (control == nullptr || !IsChild(dialog, control) || !IsWindowEnabled(control) || !IsWindowVisible(control))
        control = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (control != nullptr) SetFocus(control);
    return 0;
}

// The dialog asks itself for its background, so its procedure can choose it.
LRESULT EraseBackground(HWND dialog, WPARAM wParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    auto brush =
        reinterpret_cast<HBRUSH>(SendMessageA(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
    if (dc == nullptr || brush == nullptr) return 0;
    RECT client;
    GetClientRect(dialog, &client);
    FillRect(dc, &client, brush);
    return 1;
}

}  // namespace

void EnsureDialogClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    dialogClass.lpfnWndProc = DialogWindowProc;
    dialogClass.cbWndExtra = kDialogExtraBytes;
    dialogClass.lpszClassName = DIALOG_CLASS_NAME;
    RegisterClassExA(&dialogClass);
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterComboBoxClass();
    RegisterTrackbarClass();
    RegisterTabControlClass();
}

void RememberDialogFocus(HWND dialog, HWND control) {
    DialogInfo* info = DialogInfoOf(dialog);
    if (info != nullptr && IsChild(dialog, control)) info->focus = control;
}

HWND TakeDeferredDialogFocus(HWND dialog) {
    DialogInfo* info = DialogInfoOf(dialog);
    if (info == nullptr || !std::exchange(info->deferredFocus, false)) return nullptr;
    return FirstFocusControl(dialog);
}

bool DescribeControl(HWND control, ControlDescription* out) {
    return DescribeButton(control, out) || DescribeStatic(control, out) || DescribeComboBox(control, out) ||
           DescribeTrackbar(control, out);
}

}  // namespace brontar::platform

using brontar::platform::DialogInfo;
using brontar::platform::DialogInfoOf;

extern "C" LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace brontar::platform;
    DialogInfo* info = DialogInfoOf(hDlg);
    switch (Msg) {
        case WM_NCCREATE: MakeDialogInfo(hDlg); break;
        case WM_GETFONT: return info != nullptr ? reinterpret_cast<LRESULT>(info->font) : 0;
        case WM_SETFONT: return SetFont(info, wParam);
        case WM_CLOSE: return 0;  // a dialog closes through its procedure
        case DM_GETDEFID: return DefaultId(info);
        case DM_SETDEFID: return SetDefaultId(info, wParam);
        case WM_NEXTDLGCTL: return NextControl(hDlg, wParam, lParam);
        case WM_SETFOCUS: return GiveFocusOn(hDlg, info);
        case WM_ERASEBKGND: return EraseBackground(hDlg, wParam);
        case WM_NCDESTROY: FreeDialogInfo(hDlg); break;
        default: break;
    }
    return DefWindowProcA(hDlg, Msg, wParam, lParam);
}

extern "C" HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                                  DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    brontar::platform::EnsureDialogClasses();
    // The template's size is not passed; a compiled template is bounded by
    // its resource, which CreateDialogParamA checks. 64 KiB is the largest a
    // resource of this kind can be.
    auto parsed = brontar::platform::ParseDialogTemplate(lpTemplate, 0x10000);
    if (!parsed) return nullptr;
    DialogInfo info;
    if (parsed->pointSize != 0) {
        info.font = CreateFontA(-brontar::platform::ScaleUnits(parsed->pointSize, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, 0, 0, 0, 0, parsed->faceName.c_str());
        if (info.font != nullptr) brontar::platform::MeasureFont(info.font, &info.baseX, &info.baseY);
    }
    RECT pixels = brontar::platform::UnitBoxToPixels(parsed->units, info);
    HWND dialog = CreateWindowExA(parsed->exStyle, DIALOG_CLASS_NAME, parsed->caption.c_str(),
                                  parsed->style & ~static_cast<DWORD>(WS_VISIBLE), pixels.left, pixels.top,
                                  pixels.right - pixels.left, pixels.bottom - pixels.top, hWndParent, nullptr,
                                  hInstance, nullptr);
    if (dialog == nullptr) {
        if (info.font != nullptr) DeleteObject(info.font);
        return nullptr;
    }
    // A dialog that is a control of another takes part in its parent's keyboard interface.
    if (parsed->style & DS_CONTROL) SetWindowLongA(dialog, GWL_EXSTYLE, static_cast<LONG>(parsed->exStyle | WS_EX_CONTROLPARENT));
    for (const auto& item : parsed->items) {
        if (item.className == "BUTTON" && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            info.defaultId = item.id;
            break;
        }
    }
    // The record made at WM_NCCREATE takes the template's font and units.
    if (DialogInfo* made = DialogInfoOf(dialog)) *made = info;
    else if (info.font != nullptr) DeleteObject(info.font);
    SetWindowLongPtrA(dialog, static_cast<int>(DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(lpDialogFunc));
    for (const auto& item : parsed->items) {
        if (brontar::platform::CreateItem(dialog, hInstance, item, info) == nullptr) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    const LRESULT wantsFocus =
        SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(brontar::platform::FirstFocusControl(dialog)),
                     dwInitParam);
    if (!IsWindow(dialog)) return nullptr;
    // TRUE asks for the default focus, looked up again: the procedure may
    // have disabled or hidden the control it was offered. FALSE leaves the
    // focus where the procedure put it.
    if (wantsFocus) {
        HWND control = brontar::platform::FirstFocusControl(dialog);
        if ((parsed->style & DS_CONTROL) && !(parsed->style & WS_VISIBLE)) {
            // A page made hidden: its parent gives the focus when it shows it.
            if (DialogInfo* made = DialogInfoOf(dialog)) made->deferredFocus = true;
        } else if (control != nullptr) {
            if (DialogInfo* made = DialogInfoOf(dialog)) made->focus = control;
            SetFocus(control);
        } else if (!(parsed->style & WS_CHILD)) {
            SetFocus(dialog);  // nothing can take it: the dialog itself has the keys
        }
    }
    if (parsed->style & WS_VISIBLE) ShowWindow(dialog, SW_SHOWNORMAL);
    return dialog;
}

extern "C" HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                          DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HRSRC resource = FindResourceA(hInstance, lpTemplateName, RT_DIALOG);
    if (resource == nullptr) return nullptr;
    const void* data = LockResource(LoadResource(hInstance, resource));
    if (data == nullptr || SizeofResource(hInstance, resource) < sizeof(DLGTEMPLATE)) return nullptr;
    if (!brontar::platform::ParseDialogTemplate(data, SizeofResource(hInstance, resource))) return nullptr;
    return CreateDialogIndirectParamA(hInstance, static_cast<LPCDLGTEMPLATEA>(data), hWndParent, lpDialogFunc,
                                      dwInitParam);
}

extern "C" LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

extern "C" BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? SetWindowTextA(item, lpString) : FALSE;
}

extern "C" UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item != nullptr ? static_cast<UINT>(GetWindowTextA(item, lpString, cchMax)) : 0;
}

extern "C" BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    const DialogInfo* found = DialogInfoOf(hDlg);
    if (found == nullptr || lpRect == nullptr) return FALSE;
    // Each coordinate on its own, as a point in units: a rect's edges.
    const DialogInfo& info = *found;
    *lpRect = RECT{brontar::platform::UnitsToPixelsX(lpRect->left, info), brontar::platform::UnitsToPixelsY(lpRect->top, info),
                   brontar::platform::UnitsToPixelsX(lpRect->right, info),
                   brontar::platform::UnitsToPixelsY(lpRect->bottom, info)};
    return TRUE;
}

// Measured once: the system font never changes.
extern "C" LONG WINAPI GetDialogBaseUnits(void) {
    static const LONG units = [] {
        LONG baseX = 8;
        LONG baseY = 16;
        brontar::platform::MeasureFont(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), &baseX, &baseY);
        return static_cast<LONG>(MAKELONG(baseX, baseY));
    }();
    return units;
}
