// The BUTTON class: push buttons, check boxes with two or three states, and
// group boxes, painted as Windows 95 paints them.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/user/control_state.h"
#include "platform/user/controls.h"
#include "platform/user/window_pixels.h"

namespace brontar::platform {
namespace {

struct ButtonState {
    HFONT font = nullptr;
    WORD check = BST_UNCHECKED;  // 0, 1 or 2
    bool pushed = false;         // shown pressed (BM_SETSTATE, or the pointer or Space holding it)
    bool focused = false;        // between WM_SETFOCUS and WM_KILLFOCUS
    bool mouseHeld = false;      // pressed with the pointer: the button has the capture
    bool spaceHeld = false;      // pressed with the space bar
};

// The square box of a check box and the gap between it and the text.
constexpr LONG kCheckBoxSize = 13;
constexpr LONG kCheckTextGap = 4;
// Where a group box's caption starts, and the face kept clear on each side of it.
constexpr LONG kGroupCaptionLeft = 8;
constexpr LONG kGroupCaptionPadding = 2;

constexpr char kButtonClass[] = "BUTTON";

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

bool IsPushButton(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

UINT TextFormat(HWND hwnd, UINT alignment) {
    const bool multiline = (GetWindowLongA(hwnd, GWL_STYLE) & BS_MULTILINE) != 0;
    return alignment | (multiline ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
}

// A multi-line text's rectangle, centred vertically in the area; a single
// line is centred by DT_VCENTER itself.
RECT CentredText(HDC dc, const std::string& text, RECT area, UINT format) {
    if (!(format & DT_WORDBREAK)) return area;
    RECT measured = area;
    std::string copy = text;
    DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &measured, format | DT_CALCRECT, nullptr);
    const LONG height = measured.bottom - measured.top;
    if (height < area.bottom - area.top) area.top += (area.bottom - area.top - height) / 2;
    area.bottom = area.top + height;
    return area;
}

// The default button's dark frame, the raised bevel (a shadow frame while
// pressed, the text then one pixel down and right), the text and, inside
// the bevel, the focus rectangle.
void PaintPushButton(HWND hwnd, const ButtonState& state, ControlPaint& paint) {
    HDC dc = paint.Dc();
    RECT face = paint.Client();
    if (ButtonType(hwnd) == BS_DEFPUSHBUTTON) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&face, -1, -1);
    }
    RECT inside = face;
    if (state.pushed) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&inside, -1, -1);
        FillRect(dc, &inside, GetSysColorBrush(COLOR_BTNFACE));
        InflateRect(&inside, -1, -1);
    } else {
        DrawFrameControl(dc, &inside, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    }
    RECT text = inside;
    if (state.pushed) OffsetRect(&text, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const UINT format = TextFormat(hwnd, DT_CENTER);
    const std::string caption = paint.Text();
    DrawControlText(dc, caption, CentredText(dc, caption, text, format), format, paint.Enabled());
    if (state.focused) {
        InflateRect(&inside, -1, -1);
        DrawFocusRect(dc, &inside);
    }
}

// The 13 by 13 box at the left, centred vertically, and the text after it;
// the focus rectangle goes around the text.
void PaintCheckBox(HWND hwnd, const ButtonState& state, ControlPaint& paint) {
    HDC dc = paint.Dc();
    const RECT& client = paint.Client();
    FillRect(dc, &client, paint.Background());
    const LONG boxTop = client.top + (client.bottom - client.top - kCheckBoxSize) / 2;
    RECT box{client.left, boxTop, client.left + kCheckBoxSize, boxTop + kCheckBoxSize};
    UINT boxState = DFCS_BUTTONCHECK;
    if (state.check == BST_CHECKED) boxState |= DFCS_CHECKED;
    if (state.check == BST_INDETERMINATE) boxState |= DFCS_CHECKED | DFCS_BUTTON3STATE;
    if (state.pushed) boxState |= DFCS_PUSHED;
    if (!paint.Enabled()) boxState |= DFCS_INACTIVE;
    DrawFrameControl(dc, &box, DFC_BUTTON, boxState);
    RECT area{client.left + kCheckBoxSize + kCheckTextGap, client.top, client.right, client.bottom};
    const UINT format = TextFormat(hwnd, DT_LEFT);
    const std::string caption = paint.Text();
    const RECT text = CentredText(dc, caption, area, format);
    DrawControlText(dc, caption, text, format, paint.Enabled());
    if (state.focused && !caption.empty()) {
        RECT around = text;
        std::string copy = caption;
        DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &around, format | DT_CALCRECT, nullptr);
        if (format & DT_VCENTER) {
            TEXTMETRICA tm{};
            GetTextMetricsA(dc, &tm);
            around.top = text.top + (text.bottom - text.top - tm.tmHeight) / 2;
            around.bottom = around.top + tm.tmHeight;
        }
        InflateRect(&around, 1, 1);
        IntersectRect(&around, &around, &client);
        DrawFocusRect(dc, &around);
    }
}

// The etched frame from half the caption's height down, the caption on the
// parent's background interrupting its top edge. Only the frame and the
// caption show: the controls it frames and the parent's own painting show
// through the rest.
void PaintGroupBox(HWND hwnd, ControlPaint& paint) {
    HDC dc = paint.Dc();
    const RECT& client = paint.Client();
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RECT frame = client;
    frame.top += tm.tmHeight / 2;
    FillRect(dc, &client, paint.Background());
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = paint.Text();
    RECT text{client.left + kGroupCaptionLeft, client.top, client.right - kGroupCaptionLeft, client.top + tm.tmHeight};
    std::vector<RECT> shown = {RECT{client.left, frame.top, client.right, frame.top + 2},
                               RECT{client.left, frame.top, client.left + 2, client.bottom},
                               RECT{client.right - 2, frame.top, client.right, client.bottom},
                               RECT{client.left, client.bottom - 2, client.right, client.bottom}};
    if (!caption.empty()) {
        RECT measured = text;
        std::string copy = caption;
        DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &measured, DT_SINGLELINE | DT_CALCRECT, nullptr);
        RECT clear{text.left - kGroupCaptionPadding, text.top,
                   std::min(measured.right, text.right) + kGroupCaptionPadding, text.bottom};
        FillRect(dc, &clear, paint.Background());
        DrawControlText(dc, caption, text, DT_LEFT | DT_SINGLELINE, paint.Enabled());
        shown.push_back(clear);
    }
    SetWindowShownParts(hwnd, std::move(shown));
}

// Push buttons ask their parent with WM_CTLCOLORBTN, the others with WM_CTLCOLORSTATIC.
void Paint(HWND hwnd, const ButtonState& state) {
    const DWORD type = ButtonType(hwnd);
    ControlPaint paint(hwnd, state.font, IsPushButton(type) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
    if (!paint) return;
    if (IsPushButton(type)) PaintPushButton(hwnd, state, paint);
    else if (type == BS_GROUPBOX) PaintGroupBox(hwnd, paint);
    else PaintCheckBox(hwnd, state, paint);
}

void ShowPushed(HWND hwnd, ButtonState& state, bool pushed) {
    if (state.pushed == pushed) return;
    state.pushed = pushed;
    InvalidateRect(hwnd, nullptr, FALSE);
}

bool PointerInside(HWND hwnd, LPARAM lParam) {
    RECT client;
    GetClientRect(hwnd, &client);
    return PtInRect(&client, PointerOf(lParam)) != FALSE;
}

// What the dialog manager may do with the keys: a push button says whether
// it is the default one.
LRESULT DialogCode(DWORD type) {
    switch (type) {
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
    }
}

// The user's own input: the pointer presses the button (it takes the focus
// and the capture) and shows it pressed while inside; releasing inside
// clicks. Space does the same from the keyboard. Losing the capture or the
// focus lets it go without a click.
bool HandleInput(HWND hwnd, ButtonState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ButtonType(hwnd) == BS_GROUPBOX) return false;
    switch (message) {
        case WM_LBUTTONDOWN:
            if (GetFocus() != hwnd) SetFocus(hwnd);
            state.mouseHeld = true;
            SetCapture(hwnd);
            ShowPushed(hwnd, state, true);
            return true;
        case WM_MOUSEMOVE:
            if (state.mouseHeld) ShowPushed(hwnd, state, PointerInside(hwnd, lParam));
            return true;
        case WM_LBUTTONUP: {
            if (!state.mouseHeld) return true;
            const bool inside = PointerInside(hwnd, lParam);
            state.mouseHeld = false;
            ReleaseCapture();
            ShowPushed(hwnd, state, false);
            if (inside) Click(hwnd, state);
            return true;
        }
        case WM_CAPTURECHANGED:
            if (state.mouseHeld) {
                state.mouseHeld = false;
                ShowPushed(hwnd, state, false);
            }
            return true;
        case WM_KEYDOWN:
            if (wParam != VK_SPACE) return false;
            state.spaceHeld = true;
            ShowPushed(hwnd, state, true);
            return true;
        case WM_KEYUP:
            if (wParam != VK_SPACE || !state.spaceHeld) return false;
            state.spaceHeld = false;
            ShowPushed(hwnd, state, false);
            Click(hwnd, state);
            return true;
        case WM_KILLFOCUS:
            state.spaceHeld = false;
            if (state.mouseHeld) ReleaseCapture();
            ShowPushed(hwnd, state, false);
            return false;  // the focus change itself is tracked as for every control
        default: return false;
    }
}

LRESULT SetCheck(HWND hwnd, ButtonState& state, WPARAM wanted) {
    state.check = std::min(static_cast<WORD>(wanted), MaxCheckState(ButtonType(hwnd)));
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT GetState(const ButtonState& state) {
    return state.check | (state.pushed ? BST_PUSHED : 0) | (state.focused ? BST_FOCUS : 0);
}

// The type changes (push button to default push button and back); the rest stays.
LRESULT SetStyle(HWND hwnd, WPARAM type, LPARAM redraw) {
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~BS_TYPEMASK) | (type & BS_TYPEMASK)));
    if (LOWORD(redraw)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

// A group box frames other controls: the pointer passes through it.
LRESULT HitTest(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (ButtonType(hwnd) == BS_GROUPBOX) return HTTRANSPARENT;
    return DefWindowProcA(hwnd, WM_NCHITTEST, wParam, lParam);
}

LRESULT ClickIfEnabled(HWND hwnd, ButtonState& state) {
    if (IsWindowEnabled(hwnd)) Click(hwnd, state);
    return 0;
}

LRESULT HandleButton(HWND hwnd, ButtonState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsWindowEnabled(hwnd) && HandleInput(hwnd, state, message, wParam, lParam)) return 0;
    if (TrackFocusAndEnabling(hwnd, message, &state.focused)) return 0;
    switch (message) {
        case WM_SETFONT: state.font = reinterpret_cast<HFONT>(wParam); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
        case WM_GETDLGCODE: return DialogCode(ButtonType(hwnd));
        case WM_NCHITTEST: return HitTest(hwnd, wParam, lParam);
        case BM_GETCHECK: return state.check;
        case BM_SETCHECK: return SetCheck(hwnd, state, wParam);
        case BM_GETSTATE: return GetState(state);
        case BM_SETSTATE: ShowPushed(hwnd, state, wParam != 0); return 0;
        case BM_SETSTYLE: return SetStyle(hwnd, wParam, lParam);
        case BM_CLICK: return ClickIfEnabled(hwnd, state);
        case WM_PAINT: Paint(hwnd, state); return 0;
        case WM_SETTEXT: return SetControlText(hwnd, lParam);
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void RegisterButtonClass() {
    RegisterControlClass(kButtonClass, ControlProcedure<ButtonState, HandleButton>);
}

bool UserClickButton(HWND button) {
    HeldControlState<ButtonState> state(button, kButtonClass);
    if (!state || !IsWindowEnabled(button)) return false;
    Click(button, *state);
    return true;
}

bool DescribeButton(HWND hwnd, ControlDescription* out) {
    HeldControlState<ButtonState> state(hwnd, kButtonClass);
    if (!state) return false;
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
