#include "platform/automation.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "machine/display/display_window.h"
#include "platform/kernel/event_log.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/message_box_icon.h"
#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

std::mutex answerMutex;
std::deque<int> queuedAnswers;

// The button a box of this style answers when the user just presses Enter.
int DefaultButton(UINT uType) {
    static constexpr int kButtons[][3] = {
        {IDOK, IDOK, IDOK},               // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},       // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},     // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},          // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},              // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},    // MB_RETRYCANCEL
    };
    const UINT type = uType & MB_TYPEMASK;
    if (type >= sizeof kButtons / sizeof kButtons[0]) return IDOK;
    const UINT index = (uType & MB_DEFMASK) >> 8;
    return kButtons[type][index < 3 ? index : 0];
}

// The scripted answer waiting, if any.
std::optional<int> QueuedAnswer() {
    std::lock_guard lock(answerMutex);
    if (queuedAnswers.empty()) return std::nullopt;
    const int answer = queuedAnswers.front();
    queuedAnswers.pop_front();
    return answer;
}

struct BoxButton {
    int id;
    const char* text;
};

std::vector<BoxButton> ButtonsOf(UINT uType) {
    switch (uType & MB_TYPEMASK) {
        case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
        case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
        case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
        case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
        default: return {{IDOK, "OK"}};
    }
}

// A box on the screen, between creation and the user's answer.
struct OpenBox {
    UINT type = 0;
    int answer = 0;       // 0 while the user has not answered
    bool framed = false;  // drawn inside its owner's desktop window: it draws its own frame and caption
    POINT iconAt{};       // the icon's top left corner in the box, when the type has one
};

// The frame and caption bar a box inside its owner's desktop window draws
// for itself (a box with a desktop window of its own gets them from there).
constexpr LONG kFrame = 3;
constexpr LONG kCaptionHeight = 18;

void PaintFrame(HWND box, HDC dc) {
    RECT rect;
    GetClientRect(box, &rect);
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
    RECT caption{kFrame, kFrame, rect.right - kFrame, kFrame + kCaptionHeight};
    FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    char title[256];
    GetWindowTextA(box, title, sizeof title);
    caption.left += 3;
    DrawTextExA(dc, title, -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS, nullptr);
    SelectObject(dc, previous);
    DeleteObject(font);
}

constexpr int kTextId = 0xFFFF;

// A button pressed is the answer. Esc and the close button answer Cancel
// where there is one, OK on a box with OK alone.
INT_PTR Answer(HWND box, OpenBox* open, WPARAM wParam) {
    if (open == nullptr || HIWORD(wParam) != BN_CLICKED) return FALSE;
    int id = LOWORD(wParam);
    if (id == IDCANCEL && GetDlgItem(box, IDCANCEL) == nullptr) {
        if ((open->type & MB_TYPEMASK) != MB_OK) return TRUE;
        id = IDOK;
    }
    open->answer = id;
    return TRUE;
}

// The frame of a box drawn inside its owner's window, and the icon: the box
// draws it itself, no control lies over it.
INT_PTR Paint(HWND box, const OpenBox* open) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    if (dc != nullptr && open != nullptr && open->framed) PaintFrame(box, dc);
    if (dc != nullptr && open != nullptr) DrawMessageBoxIcon(dc, open->type, open->iconAt);
    EndPaint(box, &paint);
    return TRUE;
}

INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* open = reinterpret_cast<OpenBox*>(GetWindowLongPtrA(box, static_cast<int>(DWLP_USER)));
    switch (message) {
        case WM_INITDIALOG: SetWindowLongPtrA(box, static_cast<int>(DWLP_USER), lParam); return FALSE;
        case WM_COMMAND: return Answer(box, open, wParam);
        case WM_CLOSE: SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); return TRUE;
        case WM_PAINT: return Paint(box, open);
        default: return FALSE;
    }
}

// Windows' layout of a box, in dialog units of its font: the icon in the
// top left corner inside the outer margin, the text after the icon and the
// inner margin (centred against the icon when it is shorter), the buttons
// centred below; the box centred over its owner.
constexpr LONG kOuterMargin = 7;
constexpr LONG kInnerMargin = 10;
constexpr LONG kButtonWidth = 50;
constexpr LONG kButtonHeight = 14;
constexpr LONG kButtonGap = 4;

void LayOutBox(HWND box, HWND owner, const char* text, OpenBox& open) {
    RECT units{kOuterMargin, kOuterMargin, kButtonWidth, kButtonHeight};
    MapDialogRect(box, &units);
    RECT gaps{kButtonGap, 0, kInnerMargin, 0};
    MapDialogRect(box, &gaps);
    const LONG side = open.framed ? kFrame : 0;
    const LONG margin = units.left;
    const LONG top = (open.framed ? kFrame + kCaptionHeight : 0) + units.top;
    const bool hasIcon = (open.type & MB_ICONMASK) != 0;
    constexpr LONG kIcon = kMessageBoxIconSize;
    open.iconAt = POINT{side + margin, top};
    const LONG textLeft = side + margin + (hasIcon ? kIcon + gaps.right : 0);
    HWND textWindow = GetDlgItem(box, kTextId);
    RECT textRect{0, 0, 360, 0};
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)));
    std::string copy = text;
    DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX, nullptr);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    const LONG textTop = hasIcon && textRect.bottom < kIcon ? top + (kIcon - textRect.bottom) / 2 : top;
    MoveWindow(textWindow, textLeft, textTop, textRect.right + 1, textRect.bottom, FALSE);
    const LONG contentBottom = std::max(textTop + textRect.bottom, hasIcon ? top + kIcon : LONG{0});
    std::vector<HWND> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (child != textWindow) buttons.push_back(child);
    const auto count = static_cast<LONG>(buttons.size());
    const LONG rowWidth = count * units.right + (count - 1) * gaps.left;
    const LONG width = std::max(textLeft + textRect.right + 1 + margin, rowWidth + 2 * margin) + side;
    const LONG buttonTop = contentBottom + units.top;
    LONG x = (width - rowWidth) / 2;
    for (HWND button : buttons) {
        MoveWindow(button, x, buttonTop, units.right, units.bottom, FALSE);
        x += units.right + gaps.left;
    }
    const LONG height = buttonTop + units.bottom + units.top + side;
    RECT ownerRect{0, 0, width, height};
    if (owner != nullptr) GetWindowRect(owner, &ownerRect);
    MoveWindow(box, (ownerRect.left + ownerRect.right - width) / 2, (ownerRect.top + ownerRect.bottom - height) / 2,
               width, height, FALSE);
}

// A real box on the screen: modal over its owner until a button answers.
int RunBox(HWND owner, const char* text, const char* caption, UINT uType) {
    const std::vector<BoxButton> buttons = ButtonsOf(uType);
    DialogTemplateWriter writer(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, caption, "MS Sans Serif");
    writer.Item("STATIC", text, kTextId, SS_LEFT | SS_NOPREFIX);
    UINT defaultIndex = (uType & MB_DEFMASK) >> 8;
    if (defaultIndex >= buttons.size()) defaultIndex = 0;
    for (size_t i = 0; i < buttons.size(); ++i)
        writer.Item("BUTTON", buttons[i].text, static_cast<WORD>(buttons[i].id),
                    WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
    HWND root = owner != nullptr ? DesktopRoot(owner) : nullptr;
    OpenBox open{uType, 0, root != nullptr};
    HWND previousFocus = GetFocus();
    HWND box = CreateDialogIndirectParamA(nullptr, writer.Template(), root, BoxProc, reinterpret_cast<LPARAM>(&open));
    if (box == nullptr) return DefaultButton(uType);
    SendMessageA(box, DM_SETDEFID, static_cast<WPARAM>(buttons[defaultIndex].id), 0);
    LayOutBox(box, root, text, open);
    const bool ownerWasEnabled = root != nullptr && IsWindowEnabled(root);
    if (ownerWasEnabled) EnableWindow(root, FALSE);
    ShowWindow(box, SW_SHOW);
    MoveDialogFocus(box, GetDlgItem(box, buttons[defaultIndex].id));
    MSG message;
    while (open.answer == 0 && IsWindow(box)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (!IsDialogMessageA(box, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (ownerWasEnabled) EnableWindow(root, TRUE);
    if (IsWindow(box)) DestroyWindow(box);
    if (previousFocus != nullptr && IsWindow(previousFocus)) SetFocus(previousFocus);
    return open.answer != 0 ? open.answer : DefaultButton(uType);
}

}  // namespace

void QueueMessageBoxAnswer(int answer) {
    std::lock_guard lock(answerMutex);
    queuedAnswers.push_back(answer);
}

void ClearMessageBoxAnswers() {
    std::lock_guard lock(answerMutex);
    queuedAnswers.clear();
}

}  // namespace brontar::platform

extern "C" int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    // A box without a caption is titled "Error", as on Windows.
    std::string line = "MessageBox [";
    line += lpCaption != nullptr ? lpCaption : "Error";
    line += "] ";
    if (lpText != nullptr) line += lpText;
    brontar::platform::WriteEventLog(line);
    // A scripted answer comes first; with a display the user answers; a
    // headless run never waits: the default button answers.
    if (std::optional<int> answer = brontar::platform::QueuedAnswer()) return *answer;
    if (!brontar::machine::DisplayWindowWanted()) return brontar::platform::DefaultButton(uType);
    return brontar::platform::RunBox(hWnd, lpText != nullptr ? lpText : "", lpCaption != nullptr ? lpCaption : "Error", uType);
}
