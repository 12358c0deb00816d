// The COMBOBOX class as a drop-down list: items, one selection, the field
// and arrow button painted as Windows 95 paints them, the list that drops
// below the field, and CBN_SELCHANGE when the user picks.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "machine/plain_text.h"
#include "platform/user/control_state.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

struct ComboState {
    HFONT font = nullptr;
    std::vector<std::string> items;
    int selection = -1;
    bool focused = false;     // between WM_SETFOCUS and WM_KILLFOCUS
    bool buttonDown = false;  // the arrow button shown pressed
    LONG droppedHeight = 0;   // the height asked for at creation: field and dropped list together
    LONG itemHeight = 0;
    HWND list = nullptr;      // the dropped list, while it shows
    int hot = -1;             // the list's highlighted item
    int top = 0;              // the list's first item shown
    bool releaseKeepsOpen = false;  // the press that dropped the list has not been let go yet
};

constexpr char kComboBoxClass[] = "COMBOBOX";
// The dropped list's class; each list keeps its combo box in its extra bytes.
constexpr char kListClass[] = "ComboLBox";

// The arrow button's width, that of a scroll bar's arrow.
constexpr LONG kArrowButtonWidth = 16;
// The field around the text: the sunken edge and a blank pixel each side.
constexpr LONG kFieldExtraHeight = 8;

// An item is as high as the font's cell; the field is as high as an item and
// its frame, and the window is the field alone (the list drops below it).
void FitFieldToFont(HWND hwnd, ComboState& state) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = state.font != nullptr ? SelectObject(dc, state.font) : nullptr;
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    state.itemHeight = tm.tmHeight;
    RECT rect;
    GetClientRect(hwnd, &rect);
    SetWindowPos(hwnd, nullptr, 0, 0, rect.right, state.itemHeight + kFieldExtraHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sunken white field showing the selection (highlighted while the box
// has the focus) and the arrow button at its right.
void Paint(HWND hwnd, const ComboState& state) {
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    ControlPaint paint(hwnd, state.font, enabled ? WM_CTLCOLORLISTBOX : WM_CTLCOLORSTATIC);
    if (!paint) return;
    HDC dc = paint.Dc();
    RECT inside = paint.Client();
    DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    RECT button{std::max(inside.left, inside.right - kArrowButtonWidth), inside.top, inside.right, inside.bottom};
    DrawFrameControl(dc, &button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (state.buttonDown ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    RECT field{inside.left, inside.top, button.left, inside.bottom};
    FillRect(dc, &field, paint.Background());
    RECT selection = field;
    InflateRect(&selection, -1, -1);
    if (state.focused) {
        FillRect(dc, &selection, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else if (!enabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    if (state.selection >= 0) {
        std::string text = state.items[static_cast<size_t>(state.selection)];
        RECT textRect{selection.left + 2, selection.top, selection.right, selection.bottom};
        DrawTextExA(dc, text.data(), static_cast<int>(text.size()), &textRect,
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, nullptr);
    }
    if (state.focused) DrawFocusRect(dc, &selection);
}

// The window text of a drop-down list is its selected item.
void ShowSelection(HWND hwnd, const ComboState& state) {
    const char* text = state.selection >= 0 ? state.items[static_cast<size_t>(state.selection)].c_str() : "";
    DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    InvalidateRect(hwnd, nullptr, TRUE);
}

int FindExact(const ComboState& state, std::string_view text) {
    for (size_t i = 0; i < state.items.size(); ++i)
        if (machine::EqualsIgnoreCase(state.items[i], text)) return static_cast<int>(i);
    return CB_ERR;
}

int ItemCount(const ComboState& state) { return static_cast<int>(state.items.size()); }

// How many items the list shows: all that fit in the height asked for at
// creation below the field, at least one.
int VisibleItems(HWND hwnd, const ComboState& state) {
    RECT field;
    GetClientRect(hwnd, &field);
    const LONG room = state.droppedHeight - field.bottom - 2;
    const int fitting = state.itemHeight > 0 ? static_cast<int>(room / state.itemHeight) : 1;
    return std::max(1, std::min(ItemCount(state), fitting));
}

void KeepHotShown(HWND hwnd, ComboState& state) {
    const int shown = VisibleItems(hwnd, state);
    if (state.hot >= 0 && state.hot < state.top) state.top = state.hot;
    if (state.hot >= state.top + shown) state.top = state.hot - shown + 1;
    state.top = std::clamp(state.top, 0, std::max(0, ItemCount(state) - shown));
}

// Drops the list: a bordered pop-up owned by the box's top-level window,
// just below the field in screen coordinates, above every other window;
// the selection highlighted; the pointer captured by the list.
void DropList(HWND hwnd, ComboState& state) {
    if (state.list != nullptr || !IsWindowEnabled(hwnd)) return;
    NotifyParent(hwnd, CBN_DROPDOWN);
    if (!IsWindow(hwnd)) return;  // the parent destroyed the box meanwhile
    HWND topLevel = hwnd;
    while (GetParent(topLevel) != nullptr) topLevel = GetParent(topLevel);
    RECT field;
    GetWindowRect(hwnd, &field);
    state.hot = state.selection;
    state.top = 0;
    KeepHotShown(hwnd, state);
    const int height = VisibleItems(hwnd, state) * static_cast<int>(state.itemHeight) + 2;
    state.list = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kListClass, "", WS_POPUP | WS_BORDER, field.left,
                                 field.bottom, field.right - field.left, height, topLevel, nullptr, nullptr, hwnd);
    if (state.list == nullptr) return;
    ShowWindow(state.list, SW_SHOWNA);
    SetCapture(state.list);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Closes the list; with pick, the highlighted item becomes the selection
// (CBN_SELCHANGE after CBN_CLOSEUP when it changed).
void CloseList(HWND hwnd, ComboState& state, bool pick) {
    if (state.list == nullptr) return;
    HWND list = state.list;
    state.list = nullptr;
    state.buttonDown = false;
    if (GetCapture() == list) ReleaseCapture();
    DestroyWindow(list);
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, CBN_CLOSEUP);
    if (pick && state.hot >= 0 && state.hot < ItemCount(state) && state.hot != state.selection) {
        state.selection = state.hot;
        ShowSelection(hwnd, state);
        NotifyParent(hwnd, CBN_SELCHANGE);
    }
}

// A closed box's Up and Down step the selection, each step a CBN_SELCHANGE.
void StepSelection(HWND hwnd, ComboState& state, int step) {
    const int wanted = std::clamp(state.selection + step, 0, ItemCount(state) - 1);
    if (ItemCount(state) == 0 || wanted == state.selection) return;
    state.selection = wanted;
    ShowSelection(hwnd, state);
    NotifyParent(hwnd, CBN_SELCHANGE);
}

// The box's keys: Alt+Down, Alt+Up or F4 drop and close the list; while it
// is dropped the arrows move the highlight, Enter picks it and Esc closes
// unchanged; while closed the arrows step the selection.
bool HandleKey(HWND hwnd, ComboState& state, UINT message, WPARAM key) {
    const bool dropped = state.list != nullptr;
    if ((message == WM_SYSKEYDOWN && (key == VK_DOWN || key == VK_UP)) || (message == WM_KEYDOWN && key == VK_F4)) {
        if (dropped) CloseList(hwnd, state, true);
        else DropList(hwnd, state);
        return true;
    }
    if (message != WM_KEYDOWN) return false;
    const int step = key == VK_UP || key == VK_LEFT ? -1 : key == VK_DOWN || key == VK_RIGHT ? 1 : 0;
    if (!dropped) {
        if (step != 0) StepSelection(hwnd, state, step);
        return step != 0;
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
        CloseList(hwnd, state, key == VK_RETURN);
        return true;
    }
    if (step == 0 || ItemCount(state) == 0) return false;
    state.hot = std::clamp(state.hot + step, 0, ItemCount(state) - 1);
    KeepHotShown(hwnd, state);
    InvalidateRect(state.list, nullptr, FALSE);
    return true;
}

// The list's frame, its items on the window colour (the parent's
// WM_CTLCOLORLISTBOX answer) and the highlighted one in the selection colours.
void PaintList(HWND list, HWND combo, const ComboState& state) {
    ControlPaint paint(list, state.font, WM_CTLCOLORLISTBOX, combo);
    if (!paint) return;
    HDC dc = paint.Dc();
    const RECT& client = paint.Client();
    FillRect(dc, &client, paint.Background());
    FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    const COLORREF text = GetTextColor(dc);
    for (int index = state.top; index < ItemCount(state); ++index) {
        RECT row{client.left + 1, client.top + 1 + (index - state.top) * state.itemHeight, client.right - 1, 0};
        row.bottom = row.top + state.itemHeight;
        if (row.top >= client.bottom - 1) break;
        const bool hot = index == state.hot;
        if (hot) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
        std::string item = state.items[static_cast<size_t>(index)];
        RECT textRect{row.left + 2, row.top, row.right, row.bottom};
        DrawTextExA(dc, item.data(), static_cast<int>(item.size()), &textRect,
                    DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, nullptr);
    }
}

// The item under a point of the list's client area, or -1.
int ItemAt(HWND list, const ComboState& state, POINT pointer) {
    RECT client;
    GetClientRect(list, &client);
    InflateRect(&client, -1, -1);
    if (!PtInRect(&client, pointer) || state.itemHeight <= 0) return -1;
    const int index = state.top + static_cast<int>((pointer.y - client.top) / state.itemHeight);
    return index < ItemCount(state) ? index : -1;
}

// The pointer moving over the list highlights the item under it.
LRESULT HoverList(HWND list, ComboState& state, LPARAM lParam) {
    const int index = ItemAt(list, state, PointerOf(lParam));
    if (index >= 0 && index != state.hot) {
        state.hot = index;
        InvalidateRect(list, nullptr, FALSE);
    }
    return 0;
}

bool OutsideList(HWND list, LPARAM lParam) {
    RECT client;
    GetClientRect(list, &client);
    return !PtInRect(&client, PointerOf(lParam));
}

// A press outside the list closes it unchanged (a press on the field included).
LRESULT PressList(HWND list, HWND combo, ComboState& state, LPARAM lParam) {
    if (ItemAt(list, state, PointerOf(lParam)) < 0 && OutsideList(list, lParam)) CloseList(combo, state, false);
    return 0;
}

// Letting go over an item picks it; outside the list closes it unchanged,
// except the release of the press that dropped the list, which keeps it open.
LRESULT ReleaseList(HWND list, HWND combo, ComboState& state, LPARAM lParam) {
    const bool first = std::exchange(state.releaseKeepsOpen, false);
    if (state.buttonDown) {
        state.buttonDown = false;
        InvalidateRect(combo, nullptr, FALSE);
    }
    const int index = ItemAt(list, state, PointerOf(lParam));
    if (index >= 0) {
        state.hot = index;
        CloseList(combo, state, true);
    } else if (!first && OutsideList(list, lParam)) {
        CloseList(combo, state, false);
    }
    return 0;
}

// Another window took the pointer: the list goes, unchanged.
LRESULT ListLosesCapture(HWND list, HWND combo, ComboState& state, LPARAM gainer) {
    if (state.list == list && reinterpret_cast<HWND>(gainer) != list) CloseList(combo, state, false);
    return 0;
}

// Destroyed with its owner: the box forgets it.
LRESULT ForgetList(HWND list, ComboState& state, WPARAM wParam, LPARAM lParam) {
    if (state.list == list) state.list = nullptr;
    return DefWindowProcA(list, WM_NCDESTROY, wParam, lParam);
}

// The dropped list, while it has the capture; its combo box is given at creation.
LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(list, kControlStateOffset, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto combo = reinterpret_cast<HWND>(GetWindowLongPtrA(list, kControlStateOffset));
    HeldControlState<ComboState> state(combo, kComboBoxClass);
    if (!state) return DefWindowProcA(list, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: PaintList(list, combo, *state); return 0;
        case WM_MOUSEMOVE: return HoverList(list, *state, lParam);
        case WM_LBUTTONDOWN: return PressList(list, combo, *state, lParam);
        case WM_LBUTTONUP: return ReleaseList(list, combo, *state, lParam);
        case WM_CAPTURECHANGED: return ListLosesCapture(list, combo, *state, lParam);
        case WM_NCDESTROY: return ForgetList(list, *state, wParam, lParam);
        default: return DefWindowProcA(list, message, wParam, lParam);
    }
}

LRESULT Insert(HWND hwnd, ComboState& state, LPARAM lParam, int index) {
    if (lParam == 0) return CB_ERR;
    std::string text = reinterpret_cast<LPCSTR>(lParam);
    if (index < 0 || static_cast<size_t>(index) > state.items.size()) index = static_cast<int>(state.items.size());
    if (GetWindowLongA(hwnd, GWL_STYLE) & CBS_SORT) {
        index = 0;
        while (static_cast<size_t>(index) < state.items.size() &&
               machine::AsciiLower(state.items[static_cast<size_t>(index)]) <= machine::AsciiLower(text))
            ++index;
    }
    state.items.insert(state.items.begin() + index, std::move(text));
    if (state.selection >= index) ++state.selection;
    return index;
}

// The height asked for at creation is that of the field and the dropped
// list together; the window itself becomes the field alone.
LRESULT Create(HWND hwnd, ComboState& state, LPARAM lParam) {
    state.droppedHeight = reinterpret_cast<const CREATESTRUCTA*>(lParam)->cy;
    FitFieldToFont(hwnd, state);
    return 0;
}

LRESULT SetFont(HWND hwnd, ComboState& state, WPARAM font, LPARAM redraw) {
    state.font = reinterpret_cast<HFONT>(font);
    FitFieldToFont(hwnd, state);
    if (LOWORD(redraw)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

// Losing the focus closes the list unchanged.
LRESULT LoseFocus(HWND hwnd, ComboState& state) {
    CloseList(hwnd, state, false);
    TrackFocusAndEnabling(hwnd, WM_KILLFOCUS, &state.focused);
    return 0;
}

LRESULT DeleteItem(HWND hwnd, ComboState& state, int index) {
    if (index < 0 || index >= ItemCount(state)) return CB_ERR;
    state.items.erase(state.items.begin() + index);
    if (state.selection == index) {
        state.selection = -1;
        ShowSelection(hwnd, state);
    } else if (state.selection > index) {
        --state.selection;
    }
    return ItemCount(state);
}

LRESULT ResetContent(HWND hwnd, ComboState& state) {
    state.items.clear();
    state.selection = -1;
    ShowSelection(hwnd, state);
    return 0;
}

// CB_SETCURSEL: an index out of range clears the selection and answers CB_ERR.
LRESULT SetSelection(HWND hwnd, ComboState& state, int index) {
    state.selection = index >= 0 && index < ItemCount(state) ? index : -1;
    ShowSelection(hwnd, state);
    return state.selection >= 0 ? state.selection : CB_ERR;
}

LRESULT ItemLength(const ComboState& state, int index) {
    if (index < 0 || index >= ItemCount(state)) return CB_ERR;
    return static_cast<LRESULT>(state.items[static_cast<size_t>(index)].size());
}

// The caller sizes the buffer with CB_GETLBTEXTLEN, as on Windows.
LRESULT CopyItem(const ComboState& state, int index, LPARAM buffer) {
    if (index < 0 || index >= ItemCount(state) || buffer == 0) return CB_ERR;
    const std::string& item = state.items[static_cast<size_t>(index)];
    std::memcpy(reinterpret_cast<char*>(buffer), item.c_str(), item.size() + 1);
    return static_cast<LRESULT>(item.size());
}

LRESULT FindExactText(const ComboState& state, LPARAM text) {
    return text != 0 ? FindExact(state, reinterpret_cast<LPCSTR>(text)) : CB_ERR;
}

LRESULT ShowDropDown(HWND hwnd, ComboState& state, WPARAM show) {
    if (show) DropList(hwnd, state);
    else CloseList(hwnd, state, false);
    return TRUE;
}

// While the list is dropped, Enter and Esc are the box's own.
LRESULT DialogCode(const ComboState& state, LPARAM lParam) {
    const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
    const bool listKey = state.list != nullptr && keyMessage != nullptr && keyMessage->message == WM_KEYDOWN &&
                         (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_ESCAPE);
    return DLGC_WANTARROWS | DLGC_WANTCHARS | (listKey ? DLGC_WANTMESSAGE : 0);
}

// A press on the box takes the focus and drops the list, or closes it when dropped.
LRESULT Press(HWND hwnd, ComboState& state) {
    if (!IsWindowEnabled(hwnd)) return 0;
    if (GetFocus() != hwnd) SetFocus(hwnd);
    if (state.list != nullptr) {
        CloseList(hwnd, state, false);
        return 0;
    }
    state.buttonDown = true;
    state.releaseKeepsOpen = true;
    DropList(hwnd, state);
    return 0;
}

LRESULT Key(HWND hwnd, ComboState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsWindowEnabled(hwnd) && HandleKey(hwnd, state, message, wParam)) return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The box goes: so does its list.
LRESULT Destroy(HWND hwnd, ComboState& state, WPARAM wParam, LPARAM lParam) {
    CloseList(hwnd, state, false);
    return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT HandleComboBox(HWND hwnd, ComboState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message) {
        case WM_CREATE: return Create(hwnd, state, lParam);
        case WM_SETFONT: return SetFont(hwnd, state, wParam, lParam);
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
        case WM_KILLFOCUS: return LoseFocus(hwnd, state);
        case WM_SETFOCUS:
        case WM_ENABLE: TrackFocusAndEnabling(hwnd, message, &state.focused); return 0;
        case CB_ADDSTRING: return Insert(hwnd, state, lParam, -1);
        case CB_INSERTSTRING: return Insert(hwnd, state, lParam, index);
        case CB_DELETESTRING: return DeleteItem(hwnd, state, index);
        case CB_RESETCONTENT: return ResetContent(hwnd, state);
        case CB_GETCOUNT: return ItemCount(state);
        case CB_GETCURSEL: return state.selection;
        case CB_SETCURSEL: return SetSelection(hwnd, state, index);
        case CB_GETLBTEXTLEN: return ItemLength(state, index);
        case CB_GETLBTEXT: return CopyItem(state, index, lParam);
        case CB_FINDSTRINGEXACT: return FindExactText(state, lParam);
        case CB_SHOWDROPDOWN: return ShowDropDown(hwnd, state, wParam);
        case CB_GETDROPPEDSTATE: return state.list != nullptr;
        case CB_GETITEMHEIGHT: return state.itemHeight;
        case WM_GETDLGCODE: return DialogCode(state, lParam);
        case WM_LBUTTONDOWN: return Press(hwnd, state);
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: return Key(hwnd, state, message, wParam, lParam);
        case WM_PAINT: Paint(hwnd, state); return 0;
        case WM_NCDESTROY: return Destroy(hwnd, state, wParam, lParam);
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void RegisterComboBoxClass() {
    RegisterControlClass(kComboBoxClass, ControlProcedure<ComboState, HandleComboBox>);
    RegisterControlClass(kListClass, ListProc);
}

bool UserSelectComboItem(HWND combo, std::string_view text) {
    HeldControlState<ComboState> state(combo, kComboBoxClass);
    if (!state || !IsWindowEnabled(combo)) return false;
    int index = FindExact(*state, text);
    if (index == CB_ERR) return false;
    state->selection = index;
    ShowSelection(combo, *state);
    NotifyParent(combo, CBN_SELCHANGE);
    return true;
}

bool DescribeComboBox(HWND hwnd, ControlDescription* out) {
    HeldControlState<ComboState> state(hwnd, kComboBoxClass);
    if (!state) return false;
    out->kind = "combo box";
    out->items = state->items;
    out->selection = state->selection;
    return true;
}

}  // namespace brontar::platform
