// The COMBOBOX class as a drop-down list: items, one selection, and
// CBN_SELCHANGE when the user picks.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "machine/machine_ini.h"
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
};

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

ControlStates<ComboState>& Combos() {
    static ControlStates<ComboState> combos;
    return combos;
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

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) Combos().Ensure(hwnd);
    ComboState* state = Combos().Find(hwnd);
    if (state == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    const int count = static_cast<int>(state->items.size());
    const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (message) {
        case WM_CREATE:
            state->droppedHeight = reinterpret_cast<const CREATESTRUCTA*>(lParam)->cy;
            FitFieldToFont(hwnd, *state);
            return 0;
        case WM_SETFONT:
            state->font = reinterpret_cast<HFONT>(wParam);
            FitFieldToFont(hwnd, *state);
            if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
        case CB_ADDSTRING: return Insert(hwnd, *state, lParam, -1);
        case CB_INSERTSTRING: return Insert(hwnd, *state, lParam, index);
        case CB_DELETESTRING:
            if (index < 0 || index >= count) return CB_ERR;
            state->items.erase(state->items.begin() + index);
            if (state->selection == index) {
                state->selection = -1;
                ShowSelection(hwnd, *state);
            } else if (state->selection > index) {
                --state->selection;
            }
            return count - 1;
        case CB_RESETCONTENT:
            state->items.clear();
            state->selection = -1;
            ShowSelection(hwnd, *state);
            return 0;
        case CB_GETCOUNT: return count;
        case CB_GETCURSEL: return state->selection;
        case CB_SETCURSEL:
            state->selection = index >= 0 && index < count ? index : -1;
            ShowSelection(hwnd, *state);
            return state->selection >= 0 ? state->selection : CB_ERR;
        case CB_GETLBTEXTLEN:
            return index >= 0 && index < count ? static_cast<LRESULT>(state->items[static_cast<size_t>(index)].size())
                                               : CB_ERR;
        case CB_GETLBTEXT: {
            // The caller sizes the buffer with CB_GETLBTEXTLEN, as on Windows.
            if (index < 0 || index >= count || lParam == 0) return CB_ERR;
            const std::string& item = state->items[static_cast<size_t>(index)];
            std::memcpy(reinterpret_cast<char*>(lParam), item.c_str(), item.size() + 1);
            return static_cast<LRESULT>(item.size());
        }
        case CB_FINDSTRINGEXACT:
            return lParam != 0 ? FindExact(*state, reinterpret_cast<LPCSTR>(lParam)) : CB_ERR;
        case WM_PAINT: Paint(hwnd, *state); return 0;
        case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            state->focused = message == WM_SETFOCUS;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_NCDESTROY: Combos().Erase(hwnd); break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterComboBoxClass() {
    WNDCLASSEXA comboClass{};
    comboClass.cbSize = sizeof comboClass;
    comboClass.style = CS_GLOBALCLASS;
    comboClass.lpfnWndProc = ComboBoxProc;
    comboClass.lpszClassName = "COMBOBOX";
    RegisterClassExA(&comboClass);
}

bool UserSelectComboItem(HWND combo, std::string_view text) {
    ComboState* state = Combos().Find(combo);
    if (state == nullptr || !IsWindowEnabled(combo)) return false;
    int index = FindExact(*state, text);
    if (index == CB_ERR) return false;
    state->selection = index;
    ShowSelection(combo, *state);
    NotifyParent(combo, CBN_SELCHANGE);
    return true;
}

bool DescribeComboBox(HWND hwnd, ControlDescription* out) {
    ComboState* state = Combos().Find(hwnd);
    if (state == nullptr) return false;
    out->kind = "combo box";
    out->items = state->items;
    out->selection = state->selection;
    return true;
}

}  // namespace brontar::platform
