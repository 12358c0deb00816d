// The tab control (SysTabControl32) on top of a property sheet: one row of
// tabs, the selected one raised and joined to the panel below it, painted
// as Windows 95 paints them.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/user/control_state.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

struct TabState {
    HFONT font = nullptr;
    std::vector<std::string> items;
    int selection = -1;
    bool focused = false;
};

// Room around a tab's text, the rise of the selected tab, and the panel's
// border (two lines and a gap of two pixels).
constexpr LONG kTextPadding = 6;
constexpr LONG kSelectedRise = 2;
constexpr LONG kPanelInset = 4;

struct TextSize {
    LONG height = 13;
    std::vector<LONG> widths;
};

TextSize MeasureItems(const TabState& state) {
    TextSize size;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) return size;
    HGDIOBJ previous = state.font != nullptr ? SelectObject(dc, state.font) : nullptr;
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc, &metrics)) size.height = metrics.tmHeight;
    for (const std::string& item : state.items) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, item.c_str(), static_cast<int>(item.size()), &extent);
        size.widths.push_back(extent.cx);
    }
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size;
}

// A tab's height without the rise: the text and three pixels above and below.
LONG ItemHeight(const TextSize& size) { return size.height + 6; }
LONG StripHeight(const TextSize& size) { return ItemHeight(size) + kSelectedRise; }

// The rectangle of tab i as it sits unselected.
RECT ItemRect(const TextSize& size, size_t index) {
    LONG left = kSelectedRise;
    for (size_t i = 0; i < index; ++i) left += size.widths[i] + 2 * kTextPadding;
    return RECT{left, kSelectedRise, left + size.widths[index] + 2 * kTextPadding, StripHeight(size)};
}

void FillWith(HDC dc, LONG left, LONG top, LONG right, LONG bottom, int color) {
    RECT rect{left, top, right, bottom};
    FillRect(dc, &rect, GetSysColorBrush(color));
}

// A tab: highlight on the left and top with the corners cut, shadow and dark
// shadow on the right; the selected one grows by the rise on each side.
void PaintItem(HDC dc, const TabState& state, const TextSize& size, size_t index) {
    RECT rect = ItemRect(size, index);
    const bool selected = static_cast<int>(index) == state.selection;
    if (selected) {
        // Raised and wider, and down over the panel's top line to join it.
        InflateRect(&rect, kSelectedRise, 0);
        rect.top -= kSelectedRise;
        rect.bottom += 1;
    }
    FillWith(dc, rect.left, rect.top + 2, rect.left + 1, rect.bottom, COLOR_BTNHIGHLIGHT);
    FillWith(dc, rect.left + 1, rect.top + 1, rect.left + 2, rect.top + 2, COLOR_BTNHIGHLIGHT);
    FillWith(dc, rect.left + 2, rect.top, rect.right - 2, rect.top + 1, COLOR_BTNHIGHLIGHT);
    FillWith(dc, rect.right - 2, rect.top + 1, rect.right - 1, rect.top + 2, COLOR_3DDKSHADOW);
    FillWith(dc, rect.right - 1, rect.top + 2, rect.right, rect.bottom, COLOR_3DDKSHADOW);
    FillWith(dc, rect.right - 2, rect.top + 2, rect.right - 1, rect.bottom, COLOR_BTNSHADOW);
    RECT text{rect.left + 1, rect.top + 1, rect.right - 2, rect.top + 1 + ItemHeight(size) - 1};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    std::string label = state.items[index];
    DrawTextExA(dc, label.data(), static_cast<int>(label.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, nullptr);
    if (selected && state.focused) {
        RECT focus{text.left + 2, text.top + 2, text.right - 2, text.bottom - 1};
        DrawFocusRect(dc, &focus);
    }
}

void Paint(HWND hwnd, const TabState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr) return;
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const TextSize size = MeasureItems(state);
    HGDIOBJ previous = state.font != nullptr ? SelectObject(dc, state.font) : nullptr;
    RECT panel{client.left, StripHeight(size), client.right, client.bottom};
    DrawEdge(dc, &panel, EDGE_RAISED, BF_RECT);
    for (size_t i = 0; i < state.items.size(); ++i)
        if (static_cast<int>(i) != state.selection) PaintItem(dc, state, size, i);
    if (state.selection >= 0 && static_cast<size_t>(state.selection) < state.items.size())
        PaintItem(dc, state, size, static_cast<size_t>(state.selection));
    if (previous != nullptr) SelectObject(dc, previous);
    EndPaint(hwnd, &paint);
}

// Window rectangle to display area and back: the strip above, the panel's
// border around.
void AdjustRect(const TextSize& size, BOOL larger, RECT* rect) {
    const LONG top = StripHeight(size) + kPanelInset;
    const int sign = larger ? -1 : 1;
    rect->left += sign * kPanelInset;
    rect->top += sign * top;
    rect->right -= sign * kPanelInset;
    rect->bottom -= sign * kPanelInset;
}

LRESULT Notify(HWND hwnd, UINT code) {
    NMHDR header{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
    return SendMessageA(GetParent(hwnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// The user picks a tab: the parent may refuse (TRUE to TCN_SELCHANGING).
void UserSelect(HWND hwnd, TabState& state, int index) {
    if (index < 0 || static_cast<size_t>(index) >= state.items.size() || index == state.selection) return;
    if (Notify(hwnd, TCN_SELCHANGING) != FALSE) return;
    state.selection = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, TCN_SELCHANGE);
}

LRESULT InsertItem(HWND hwnd, TabState& state, WPARAM position, LPARAM lParam) {
    const auto* item = reinterpret_cast<const TCITEMA*>(lParam);
    if (item == nullptr) return -1;
    const size_t index = std::min(static_cast<size_t>(position), state.items.size());
    state.items.insert(state.items.begin() + static_cast<std::ptrdiff_t>(index),
                       (item->mask & TCIF_TEXT) && item->pszText != nullptr ? item->pszText : "");
    if (state.selection < 0) state.selection = 0;
    else if (static_cast<size_t>(state.selection) >= index) ++state.selection;
    InvalidateRect(hwnd, nullptr, TRUE);
    return static_cast<LRESULT>(index);
}

// TCM_SETCURSEL answers the tab selected before, -1 for no such tab.
LRESULT SetSelection(HWND hwnd, TabState& state, WPARAM wanted) {
    const int index = static_cast<int>(wanted);
    if (index < 0 || static_cast<size_t>(index) >= state.items.size()) return -1;
    const int previous = std::exchange(state.selection, index);
    InvalidateRect(hwnd, nullptr, TRUE);
    return previous;
}

LRESULT GetItemRect(const TabState& state, WPARAM index, LPARAM lParam) {
    if (index >= state.items.size() || lParam == 0) return FALSE;
    *reinterpret_cast<RECT*>(lParam) = ItemRect(MeasureItems(state), index);
    return TRUE;
}

LRESULT AdjustDisplayRect(const TabState& state, WPARAM larger, LPARAM lParam) {
    if (lParam != 0) AdjustRect(MeasureItems(state), static_cast<BOOL>(larger), reinterpret_cast<RECT*>(lParam));
    return 0;
}

// Only the tabs take the pointer; the panel belongs to the page on it.
LRESULT HitTest(HWND hwnd, const TabState& state, LPARAM lParam) {
    POINT point = PointerOf(lParam);
    ScreenToClient(hwnd, &point);
    return point.y < StripHeight(MeasureItems(state)) ? HTCLIENT : HTTRANSPARENT;
}

LRESULT ShowFocus(HWND hwnd, TabState& state, bool focused) {
    state.focused = focused;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

// A press on a tab takes the focus and picks the tab.
LRESULT Press(HWND hwnd, TabState& state, LPARAM lParam) {
    const TextSize size = MeasureItems(state);
    const POINT point = PointerOf(lParam);
    for (size_t i = 0; i < state.items.size(); ++i) {
        RECT rect = ItemRect(size, i);
        if (PtInRect(&rect, point)) {
            SetFocus(hwnd);
            UserSelect(hwnd, state, static_cast<int>(i));
            break;
        }
    }
    return 0;
}

// Left and Right pick the neighbouring tab.
LRESULT Key(HWND hwnd, TabState& state, WPARAM key) {
    if (key == VK_LEFT || key == VK_RIGHT) UserSelect(hwnd, state, state.selection + (key == VK_LEFT ? -1 : 1));
    return 0;
}

LRESULT HandleTabControl(HWND hwnd, TabState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT: state.font = reinterpret_cast<HFONT>(wParam); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
        case TCM_GETITEMCOUNT: return static_cast<LRESULT>(state.items.size());
        case TCM_INSERTITEMA: return InsertItem(hwnd, state, wParam, lParam);
        case TCM_GETCURSEL: return state.selection;
        case TCM_SETCURSEL: return SetSelection(hwnd, state, wParam);
        case TCM_GETITEMRECT: return GetItemRect(state, wParam, lParam);
        case TCM_ADJUSTRECT: return AdjustDisplayRect(state, wParam, lParam);
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_NCHITTEST: return HitTest(hwnd, state, lParam);
        case WM_SETFOCUS: return ShowFocus(hwnd, state, true);
        case WM_KILLFOCUS: return ShowFocus(hwnd, state, false);
        case WM_LBUTTONDOWN: return Press(hwnd, state, lParam);
        case WM_KEYDOWN: return Key(hwnd, state, wParam);
        case WM_PAINT: Paint(hwnd, state); return 0;
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void RegisterTabControlClass() {
    RegisterControlClass(WC_TABCONTROLA, ControlProcedure<TabState, HandleTabControl>);
}

}  // namespace brontar::platform
