// The COMBOBOX class as a drop-down list: items, one selection, and
// CBN_SELCHANGE when the user picks.
#include <windows.h>

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
};

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
        case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
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
        case WM_PAINT: {
            char text[256];
            GetWindowTextA(hwnd, text, sizeof text);
            PaintControlText(hwnd, state->font, std::string(text) + " v", DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            return 0;
        }
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
