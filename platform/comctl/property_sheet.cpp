// Property sheet pages and the modal sheet: OK, Cancel and Apply, the PSN_*
// notifications, the restart request, and the pages' reference counts.
#include "platform/automation.h"

#include <commctrl.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/event_log.h"
#include "platform/user/control_state.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/input_window.h"

// A page made by CreatePropertySheetPageA.
struct _PSP {
    PROPSHEETPAGEA description{};  // the creator's record, copied
    std::string title;             // PSP_USETITLE text, copied
    HWND window = nullptr;         // the page's dialog, once created
};

namespace brontar::platform {
namespace {

struct SheetState {
    std::vector<HPROPSHEETPAGE> pages;
    std::vector<HPROPSHEETPAGE> ownedPages;  // made from PSH_PROPSHEETPAGE records
    size_t active = 0;
    bool closing = false;
    bool applied = false;
    bool rebootRequested = false;
    bool restartWindowsRequested = false;
};

PropertySheetDriver& Driver() {
    static PropertySheetDriver driver;
    return driver;
}

// The sheet: the tab control, then OK (the default), Cancel and Apply
// (disabled until a page reports a change), in this tab order; LayOutSheet
// places them around the page.
DialogTemplateWriter SheetTemplate(const char* caption) {
    DialogTemplateWriter builder(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, caption, "MS Sans Serif");
    builder.Item(WC_TABCONTROLA, "", static_cast<WORD>(kTabControlId), WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS);
    builder.Item("BUTTON", "OK", IDOK, WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON);
    builder.Item("BUTTON", "Cancel", IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON);
    builder.Item("BUTTON", "&Apply", static_cast<WORD>(kApplyButtonId), WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON);
    return builder;
}

// Margins around the tab control and between the buttons, and the buttons'
// size, in dialog units of the sheet's font.
constexpr LONG kSheetMargin = 4;
constexpr LONG kButtonWidth = 50;
constexpr LONG kButtonHeight = 14;
constexpr LONG kButtonGap = 4;

// Windows 95's sheet: the tab control holds the page in its panel, the
// buttons sit below it at the right, and the sheet is as large as that.
void LayOutSheet(HWND sheet, HWND page) {
    RECT units{kSheetMargin, kSheetMargin, kButtonWidth, kButtonHeight};
    MapDialogRect(sheet, &units);
    RECT gap{kButtonGap, 0, 0, 0};
    MapDialogRect(sheet, &gap);
    const LONG margin = units.left;
    const LONG marginY = units.top;
    RECT pageRect;
    GetWindowRect(page, &pageRect);
    RECT tab{0, 0, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
    HWND tabControl = GetDlgItem(sheet, kTabControlId);
    SendMessageA(tabControl, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tab));
    const LONG pageLeft = margin - tab.left;
    const LONG pageTop = marginY - tab.top;
    OffsetRect(&tab, pageLeft, pageTop);
    MoveWindow(tabControl, tab.left, tab.top, tab.right - tab.left, tab.bottom - tab.top, FALSE);
    MoveWindow(page, pageLeft, pageTop, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top, FALSE);
    // The page follows the tab control in the tab order, before the buttons.
    SetWindowPos(page, tabControl, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    const LONG buttonTop = tab.bottom + marginY;
    LONG buttonLeft = tab.right;
    for (int id : {kApplyButtonId, IDCANCEL, IDOK}) {
        buttonLeft -= units.right;
        MoveWindow(GetDlgItem(sheet, id), buttonLeft, buttonTop, units.right, units.bottom, FALSE);
        buttonLeft -= gap.left;
    }
    RECT sheetRect;
    GetWindowRect(sheet, &sheetRect);
    MoveWindow(sheet, sheetRect.left, sheetRect.top, tab.right + margin, buttonTop + units.bottom + marginY, FALSE);
}

// The tab's text: the page's title (a text or a string of its module), else
// its dialog's caption.
std::string PageTitle(HPROPSHEETPAGE page) {
    const PROPSHEETPAGEA& description = page->description;
    if ((description.dwFlags & PSP_USETITLE) && description.pszTitle != nullptr) {
        if (!IS_INTRESOURCE(description.pszTitle)) return description.pszTitle;
        char text[256];
        if (LoadStringA(description.hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(description.pszTitle)),
                        text, sizeof text) > 0)
            return text;
    }
    char caption[256];
    GetWindowTextA(page->window, caption, sizeof caption);
    return caption;
}

LRESULT Notify(HWND sheet, HWND page, UINT code, LPARAM lParam) {
    if (page == nullptr) return 0;
    PSHNOTIFY notify{};
    notify.hdr.hwndFrom = sheet;
    notify.hdr.idFrom = 0;
    notify.hdr.code = code;
    notify.lParam = lParam;
    return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

// Makes the page's dialog from its template, with the styles of a page.
bool CreatePageWindow(HWND sheet, HPROPSHEETPAGE page) {
    const PROPSHEETPAGEA& description = page->description;
    std::vector<uint8_t> copy;
    if (description.dwFlags & PSP_DLGINDIRECT) {
        WriteDiagnostic("PropertySheetA: pages from templates in memory (PSP_DLGINDIRECT) are not supported");
        return false;
    }
    HRSRC resource = FindResourceA(description.hInstance, description.pszTemplate, RT_DIALOG);
    if (resource == nullptr) {
        WriteDiagnostic("PropertySheetA: the page's dialog template is missing");
        return false;
    }
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(description.hInstance, resource)));
    const DWORD size = SizeofResource(description.hInstance, resource);
    if (data == nullptr || size < sizeof(DLGTEMPLATE)) return false;
    copy.assign(data, data + size);
    DWORD style;
    std::memcpy(&style, copy.data(), sizeof style);
    style |= WS_CHILD | WS_TABSTOP | DS_CONTROL;
    style &= ~static_cast<DWORD>(DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_DISABLED | WS_VISIBLE |
                                 WS_THICKFRAME);
    std::memcpy(copy.data(), &style, sizeof style);
    page->window = CreateDialogIndirectParamA(description.hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()),
                                              sheet, description.pfnDlgProc,
                                              reinterpret_cast<LPARAM>(&page->description));
    if (page->window == nullptr) return false;
    std::string title = PageTitle(page);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageA(GetDlgItem(sheet, kTabControlId), TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    LayOutSheet(sheet, page->window);
    return true;
}

HWND ActivePage(const SheetState& state) {
    return state.active < state.pages.size() ? state.pages[state.active]->window : nullptr;
}

// Apply: the active page may refuse to be left; then every page applies.
// OK closes afterwards; the Apply button activates the page again.
bool ApplyPages(HWND sheet, SheetState& state, bool closing) {
    if (Notify(sheet, ActivePage(state), PSN_KILLACTIVE, 0) != FALSE) return false;
    for (HPROPSHEETPAGE page : state.pages) {
        LRESULT result = Notify(sheet, page->window, PSN_APPLY, closing ? 1 : 0);
        if (result == PSNRET_INVALID || result == PSNRET_INVALID_NOCHANGEPAGE) return false;
    }
    state.applied = true;
    // Everything is applied: nothing is left for the Apply button.
    HWND apply = GetDlgItem(sheet, kApplyButtonId);
    if (GetFocus() == apply) SendMessageA(sheet, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(apply, FALSE);
    if (!closing) Notify(sheet, ActivePage(state), PSN_SETACTIVE, 0);
    return true;
}

void CancelPages(HWND sheet, SheetState& state) {
    for (HPROPSHEETPAGE page : state.pages) Notify(sheet, page->window, PSN_RESET, 0);
    state.closing = true;
}

// OK applies and closes, Cancel closes unchanged, Apply applies.
INT_PTR PressButton(HWND sheet, SheetState& state, WORD id) {
    switch (id) {
        case IDOK:
            if (ApplyPages(sheet, state, true)) state.closing = true;
            return TRUE;
        case IDCANCEL: CancelPages(sheet, state); return TRUE;
        case kApplyButtonId: ApplyPages(sheet, state, false); return TRUE;
        default: return FALSE;
    }
}

// The sheet's state is PropertySheetA's, given with WM_INITDIALOG and kept
// at DWLP_USER until the window goes.
INT_PTR CALLBACK SheetDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, static_cast<int>(DWLP_USER), lParam);
        return TRUE;
    }
    auto* state = reinterpret_cast<SheetState*>(GetWindowLongPtrA(hwnd, static_cast<int>(DWLP_USER)));
    if (state == nullptr) return FALSE;
    switch (message) {
        case WM_COMMAND: return PressButton(hwnd, *state, LOWORD(wParam));
        case WM_CLOSE: CancelPages(hwnd, *state); return TRUE;
        case PSM_REBOOTSYSTEM: state->rebootRequested = true; return TRUE;
        case PSM_RESTARTWINDOWS: state->restartWindowsRequested = true; return TRUE;
        case PSM_CHANGED: EnableWindow(GetDlgItem(hwnd, kApplyButtonId), TRUE); return TRUE;
        case PSM_UNCHANGED:
        case PSM_CANCELTOCLOSE: return TRUE;
        case WM_NCDESTROY: SetWindowLongPtrA(hwnd, static_cast<int>(DWLP_USER), 0); return FALSE;
        default: return FALSE;
    }
}

// A sheet's state; null for any other window (another dialog's DWLP_USER is its own).
SheetState* FindSheet(HWND sheet) {
    if (!IsWindowOfClass(sheet, DIALOG_CLASS_NAME) ||
        GetWindowLongPtrA(sheet, static_cast<int>(DWLP_DLGPROC)) != reinterpret_cast<LONG_PTR>(SheetDialogProc))
        return nullptr;
    return reinterpret_cast<SheetState*>(GetWindowLongPtrA(sheet, static_cast<int>(DWLP_USER)));
}

// The question Windows asks when a sheet's changes need a restart.
void AskForRestart(HWND sheet, bool reboot) {
    const char* text = reboot ? "You must restart your computer before the new settings will take effect.\n\n"
                                "Do you want to restart your computer now?"
                              : "You must restart Windows before the new settings will take effect.\n\n"
                                "Do you want to restart Windows now?";
    if (MessageBoxA(sheet, text, "System Settings Change", MB_YESNO | MB_ICONQUESTION) == IDYES)
        WriteEventLog(reboot ? "Restart [computer]" : "Restart [Windows]");
}

void DestroyPages(SheetState& state) {
    for (HPROPSHEETPAGE page : state.pages) DestroyPropertySheetPage(page);
    state.pages.clear();
}

}  // namespace

void SetPropertySheetDriver(PropertySheetDriver driver) { Driver() = std::move(driver); }

HWND ActivePropertySheetPage(HWND sheet) {
    SheetState* state = FindSheet(sheet);
    return state != nullptr ? ActivePage(*state) : nullptr;
}

SheetMessage HandleWaitingSheetMessage(HWND sheet) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return SheetMessage::kNoneWaiting;
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return SheetMessage::kQuit;
    }
    if (!IsDialogMessageA(sheet, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return SheetMessage::kHandled;
}

void LeaveAndReturnToPage(HWND sheet) {
    SheetState* state = FindSheet(sheet);
    if (state == nullptr) return;
    if (Notify(sheet, ActivePage(*state), PSN_KILLACTIVE, 0) == FALSE)
        Notify(sheet, ActivePage(*state), PSN_SETACTIVE, 0);
}

}  // namespace brontar::platform

using brontar::platform::SheetState;

extern "C" HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA lppsp) {
    if (lppsp == nullptr || lppsp->dwSize < PROPSHEETPAGEA_V1_SIZE) return nullptr;
    auto page = std::make_unique<_PSP>();
    std::memcpy(&page->description, lppsp, std::min<size_t>(lppsp->dwSize, sizeof(PROPSHEETPAGEA)));
    if ((lppsp->dwFlags & PSP_USETITLE) && lppsp->pszTitle != nullptr && !IS_INTRESOURCE(lppsp->pszTitle)) {
        page->title = lppsp->pszTitle;
        page->description.pszTitle = page->title.c_str();
    }
    if (lppsp->dwFlags & PSP_USECALLBACK)
        brontar::platform::WriteDiagnostic("CreatePropertySheetPageA: page callbacks are not called");
    if ((lppsp->dwFlags & PSP_USEREFPARENT) && lppsp->pcRefParent != nullptr) ++*lppsp->pcRefParent;
    return page.release();
}

extern "C" BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage) {
    if (hPage == nullptr) return FALSE;
    std::unique_ptr<_PSP> page(hPage);
    if (page->window != nullptr && IsWindow(page->window)) DestroyWindow(page->window);
    const PROPSHEETPAGEA& description = page->description;
    if ((description.dwFlags & PSP_USEREFPARENT) && description.pcRefParent != nullptr) --*description.pcRefParent;
    return TRUE;
}

extern "C" INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
    if (lppsph == nullptr || lppsph->nPages == 0) return -1;
    brontar::platform::EnsureDialogClasses();
    SheetState state;
    for (UINT i = 0; i < lppsph->nPages; ++i) {
        HPROPSHEETPAGE page = (lppsph->dwFlags & PSH_PROPSHEETPAGE) ? CreatePropertySheetPageA(&lppsph->ppsp[i])
                                                                    : lppsph->phpage[i];
        if (page != nullptr) state.pages.push_back(page);
    }
    const char* caption = lppsph->pszCaption != nullptr && !IS_INTRESOURCE(lppsph->pszCaption) ? lppsph->pszCaption : "";
    auto sheetTemplate = brontar::platform::SheetTemplate(caption);
    HWND sheet = CreateDialogIndirectParamA(lppsph->hInstance, sheetTemplate.Template(),
                                            lppsph->hwndParent, brontar::platform::SheetDialogProc,
                                            reinterpret_cast<LPARAM>(&state));
    if (sheet == nullptr || state.pages.empty()) {
        brontar::platform::DestroyPages(state);
        if (sheet != nullptr) DestroyWindow(sheet);
        return -1;
    }
    state.active = lppsph->nStartPage < state.pages.size() ? lppsph->nStartPage : 0;
    if (!brontar::platform::CreatePageWindow(sheet, state.pages[state.active])) {
        brontar::platform::DestroyPages(state);
        DestroyWindow(sheet);
        return -1;
    }
    HWND activePage = state.pages[state.active]->window;
    brontar::platform::Notify(sheet, activePage, PSN_SETACTIVE, 0);
    ShowWindow(activePage, SW_SHOW);
    // A page whose WM_INITDIALOG answered TRUE opens with the focus on its
    // first tab stop; one that answered FALSE placed the focus itself.
    if (HWND control = brontar::platform::TakeDeferredDialogFocus(activePage))
        brontar::platform::MoveDialogFocus(sheet, control);
    // Modal: the owner takes no input while the sheet is open.
    HWND owner = lppsph->hwndParent;
    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(sheet, SW_SHOW);

    while (!state.closing) {
        const auto waiting = brontar::platform::HandleWaitingSheetMessage(sheet);
        if (waiting == brontar::platform::SheetMessage::kQuit) break;
        if (waiting == brontar::platform::SheetMessage::kHandled) continue;
        auto& driver = brontar::platform::Driver();
        if (driver) {
            if (driver(sheet)) continue;
        } else if (brontar::platform::UserMayAct(sheet)) {
            WaitMessage();
            continue;
        }
        SendMessageA(sheet, WM_CLOSE, 0, 0);
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (state.rebootRequested || state.restartWindowsRequested)
        brontar::platform::AskForRestart(sheet, state.rebootRequested);
    brontar::platform::DestroyPages(state);
    DestroyWindow(sheet);
    if (state.rebootRequested) return ID_PSREBOOTSYSTEM;
    if (state.restartWindowsRequested) return ID_PSRESTARTWINDOWS;
    return state.applied ? 1 : 0;
}
