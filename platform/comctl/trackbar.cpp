// The trackbar (msctls_trackbar32): a position kept inside its range, set by
// the program without notice and by the user with WM_HSCROLL to the parent;
// painted as Windows 95 paints a horizontal trackbar.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/user/control_state.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

struct TrackbarState {
    LONG minimum = 0;  // Windows' default range is 0 to 100
    LONG maximum = 100;
    LONG position = 0;
    LONG lineSize = 1;
    LONG pageSize = 0;  // 0: a fifth of the range
    bool focused = false;
    bool dragging = false;  // the pointer holds the thumb
    bool paging = false;    // the pointer pressed in the channel
};

// The thumb: 11 pixels wide; a pointed thumb ends in a 5-row tip.
constexpr LONG kThumbWidth = 11;
constexpr LONG kThumbTip = 5;
// Face left around the parts, and the room a row of ticks takes (3-pixel
// ticks and a blank row).
constexpr LONG kMargin = 2;
constexpr LONG kTickRoom = 4;
constexpr LONG kTickLength = 3;
constexpr LONG kChannelHeight = 4;

// Where the parts of a horizontal trackbar lie in its client area.
struct Geometry {
    LONG firstX = 0;  // thumb centre at the lowest and the highest position
    LONG lastX = 0;
    LONG thumbTop = 0;
    LONG thumbBottom = 0;
    LONG bodyBottom = 0;  // above the tip of a pointed thumb
    bool ticksAbove = false;
    bool ticksBelow = false;
    bool pointsDown = false;
    bool pointsUp = false;
};

Geometry GeometryOf(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    const auto style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    Geometry g;
    const bool ticks = !(style & TBS_NOTICKS);
    g.pointsUp = (style & TBS_TOP) && !(style & TBS_BOTH);
    g.pointsDown = !(style & (TBS_TOP | TBS_BOTH));
    g.ticksAbove = ticks && (style & (TBS_TOP | TBS_BOTH));
    g.ticksBelow = ticks && (g.pointsDown || (style & TBS_BOTH));
    g.firstX = kThumbWidth / 2 + kMargin + 1;
    g.lastX = std::max(g.firstX, client.right - 1 - g.firstX);
    g.thumbTop = kMargin + (g.ticksAbove ? kTickRoom : 0);
    g.thumbBottom = std::max(g.thumbTop + kThumbTip + 1, client.bottom - kMargin - (g.ticksBelow ? kTickRoom : 0));
    g.bodyBottom = g.pointsDown ? g.thumbBottom - kThumbTip : g.thumbBottom;
    return g;
}

LONG PositionToX(const Geometry& g, const TrackbarState& state, LONG position) {
    const LONG span = state.maximum - state.minimum;
    if (span <= 0) return g.firstX;
    return g.firstX + static_cast<LONG>((static_cast<long long>(g.lastX - g.firstX) * (position - state.minimum) +
                                         span / 2) / span);
}

void KeepInRange(HWND hwnd, TrackbarState& state, bool redraw) {
    if (state.maximum < state.minimum) state.maximum = state.minimum;
    state.position = std::clamp(state.position, state.minimum, state.maximum);
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

void FillColor(HDC dc, LONG left, LONG top, LONG right, LONG bottom, int color) {
    const RECT box{left, top, right, bottom};
    FillRect(dc, &box, GetSysColorBrush(color));
}

// The raised thumb centred on x: a bevelled block, with a tip below
// (TBS_BOTTOM) or above (TBS_TOP) whose left slope is lit and right slope
// shaded; square at both sides (TBS_BOTH).
void PaintThumb(HDC dc, const Geometry& g, LONG x) {
    const LONG left = x - kThumbWidth / 2;
    const LONG right = left + kThumbWidth;
    const LONG bodyTop = g.pointsUp ? g.thumbTop + kThumbTip : g.thumbTop;
    RECT body{left, bodyTop, right, g.bodyBottom};
    UINT sides = BF_LEFT | BF_RIGHT | (g.pointsUp ? 0 : BF_TOP) | (g.pointsDown ? 0 : BF_BOTTOM);
    DrawEdge(dc, &body, EDGE_RAISED, sides | BF_SOFT | BF_MIDDLE);
    if (!g.pointsDown && !g.pointsUp) return;
    for (LONG row = 0; row < kThumbTip; ++row) {
        const LONG y = g.pointsDown ? g.bodyBottom + row : bodyTop - 1 - row;
        const LONG from = left + row + 1;
        const LONG to = right - row - 1;
        FillColor(dc, from, y, to, y + 1, COLOR_BTNFACE);
        FillColor(dc, from, y, from + 1, y + 1, COLOR_BTNHIGHLIGHT);
        if (to - from >= 3) FillColor(dc, to - 2, y, to - 1, y + 1, COLOR_BTNSHADOW);
        FillColor(dc, to - 1, y, to, y + 1, COLOR_3DDKSHADOW);
    }
}

// The parent's background, the sunken channel level with the thumb's block,
// the ticks (every position with TBS_AUTOTICKS, else the two ends), the
// thumb, and the focus rectangle around it all.
void Paint(HWND hwnd, const TrackbarState& state) {
    ControlPaint paint(hwnd, nullptr, WM_CTLCOLORSTATIC);
    if (!paint) return;
    HDC dc = paint.Dc();
    const RECT& client = paint.Client();
    FillRect(dc, &client, paint.Background());
    const Geometry g = GeometryOf(hwnd);
    const LONG bodyTop = g.pointsUp ? g.thumbTop + kThumbTip : g.thumbTop;
    const LONG channelTop = bodyTop + (g.bodyBottom - bodyTop - kChannelHeight) / 2;
    RECT channel{g.firstX - kThumbWidth / 2, channelTop, g.lastX + kThumbWidth / 2 + 1, channelTop + kChannelHeight};
    DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT);
    const bool every = (GetWindowLongA(hwnd, GWL_STYLE) & TBS_AUTOTICKS) != 0;
    for (LONG position = state.minimum; position <= state.maximum; ++position) {
        if (!every && position != state.minimum && position != state.maximum) continue;
        const LONG x = PositionToX(g, state, position);
        if (g.ticksBelow) FillColor(dc, x, g.thumbBottom + 1, x + 1, g.thumbBottom + 1 + kTickLength, COLOR_BTNTEXT);
        if (g.ticksAbove) FillColor(dc, x, g.thumbTop - 1 - kTickLength, x + 1, g.thumbTop - 1, COLOR_BTNTEXT);
    }
    PaintThumb(dc, g, PositionToX(g, state, state.position));
    if (state.focused) DrawFocusRect(dc, &client);
}

// The page: as set, else a fifth of the range (at least 1).
LONG PageSize(const TrackbarState& state) {
    return state.pageSize > 0 ? state.pageSize : std::max<LONG>(1, (state.maximum - state.minimum) / 5);
}

void NotifyScroll(HWND hwnd, WORD code, LONG position) {
    HWND parent = GetParent(hwnd);
    if (parent != nullptr)
        SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(hwnd));
}

// The position whose thumb centre is nearest to x.
LONG XToPosition(const Geometry& g, const TrackbarState& state, LONG x) {
    const LONG width = g.lastX - g.firstX;
    if (width <= 0) return state.minimum;
    const long long offset = static_cast<long long>(std::clamp(x, g.firstX, g.lastX) - g.firstX);
    return state.minimum + static_cast<LONG>((offset * (state.maximum - state.minimum) + width / 2) / width);
}

// Moves to a position by the user's hand and tells the parent how.
void MoveBy(HWND hwnd, TrackbarState& state, LONG position, WORD code) {
    state.position = position;
    KeepInRange(hwnd, state, true);
    const bool withPosition = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    NotifyScroll(hwnd, code, withPosition ? state.position : 0);
}

// The user's own input: dragging the thumb follows the pointer (TB_THUMBTRACK
// for each new position, TB_THUMBPOSITION and TB_ENDTRACK at the release); a
// press in the channel beside the thumb moves a page towards the pointer; the
// arrows move a line, Page Up and Down a page, Home and End to the ends, each
// key ending with TB_ENDTRACK when it is let go.
bool HandleInput(HWND hwnd, TrackbarState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            if (GetFocus() != hwnd) SetFocus(hwnd);
            const Geometry g = GeometryOf(hwnd);
            const POINT pointer = PointerOf(lParam);
            const LONG thumbX = PositionToX(g, state, state.position);
            SetCapture(hwnd);
            if (pointer.x >= thumbX - kThumbWidth / 2 && pointer.x <= thumbX + kThumbWidth / 2 &&
                pointer.y >= g.thumbTop && pointer.y < g.thumbBottom) {
                state.dragging = true;
            } else {
                state.paging = true;
                const bool before = pointer.x < thumbX;
                MoveBy(hwnd, state, state.position + (before ? -PageSize(state) : PageSize(state)),
                       before ? TB_PAGEUP : TB_PAGEDOWN);
            }
            return true;
        }
        case WM_MOUSEMOVE: {
            if (!state.dragging) return true;
            const LONG position = XToPosition(GeometryOf(hwnd), state, PointerOf(lParam).x);
            if (position != state.position) MoveBy(hwnd, state, position, TB_THUMBTRACK);
            return true;
        }
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: {
            const bool dragged = state.dragging;
            if (!dragged && !state.paging) return true;
            state.dragging = false;
            state.paging = false;
            if (message == WM_LBUTTONUP) ReleaseCapture();
            if (dragged) NotifyScroll(hwnd, TB_THUMBPOSITION, state.position);
            NotifyScroll(hwnd, TB_ENDTRACK, 0);
            return true;
        }
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_LEFT:
                case VK_UP: MoveBy(hwnd, state, state.position - state.lineSize, TB_LINEUP); return true;
                case VK_RIGHT:
                case VK_DOWN: MoveBy(hwnd, state, state.position + state.lineSize, TB_LINEDOWN); return true;
                case VK_PRIOR: MoveBy(hwnd, state, state.position - PageSize(state), TB_PAGEUP); return true;
                case VK_NEXT: MoveBy(hwnd, state, state.position + PageSize(state), TB_PAGEDOWN); return true;
                case VK_HOME: MoveBy(hwnd, state, state.minimum, TB_TOP); return true;
                case VK_END: MoveBy(hwnd, state, state.maximum, TB_BOTTOM); return true;
                default: return false;
            }
        case WM_KEYUP:
            switch (wParam) {
                case VK_LEFT:
                case VK_UP:
                case VK_RIGHT:
                case VK_DOWN:
                case VK_PRIOR:
                case VK_NEXT:
                case VK_HOME:
                case VK_END: NotifyScroll(hwnd, TB_ENDTRACK, 0); return true;
                default: return false;
            }
        default: return false;
    }
}

// A new end or position, kept in range; repainted when redraw says so.
LRESULT SetValue(HWND hwnd, TrackbarState& state, LONG TrackbarState::*field, LONG value, WPARAM redraw) {
    state.*field = value;
    KeepInRange(hwnd, state, redraw != 0);
    return 0;
}

// TBM_SETRANGE: both ends at once, signed words.
LRESULT SetRange(HWND hwnd, TrackbarState& state, WPARAM redraw, LPARAM range) {
    state.minimum = static_cast<SHORT>(LOWORD(range));
    return SetValue(hwnd, state, &TrackbarState::maximum, static_cast<SHORT>(HIWORD(range)), redraw);
}

// TBM_SETPAGESIZE answers the page as it was.
LRESULT SetPageSize(TrackbarState& state, LPARAM size) {
    const LONG previous = PageSize(state);
    state.pageSize = static_cast<LONG>(size);
    return previous;
}

LRESULT SetLineSize(TrackbarState& state, LPARAM size) {
    return std::exchange(state.lineSize, static_cast<LONG>(size));
}

LRESULT HandleTrackbar(HWND hwnd, TrackbarState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsWindowEnabled(hwnd) && HandleInput(hwnd, state, message, wParam, lParam)) return 0;
    if (TrackFocusAndEnabling(hwnd, message, &state.focused)) return 0;
    const auto value = static_cast<LONG>(lParam);
    switch (message) {
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case TBM_GETPOS: return state.position;
        case TBM_GETRANGEMIN: return state.minimum;
        case TBM_GETRANGEMAX: return state.maximum;
        case TBM_SETPOS: return SetValue(hwnd, state, &TrackbarState::position, value, wParam);
        case TBM_SETRANGE: return SetRange(hwnd, state, wParam, lParam);
        case TBM_SETRANGEMIN: return SetValue(hwnd, state, &TrackbarState::minimum, value, wParam);
        case TBM_SETRANGEMAX: return SetValue(hwnd, state, &TrackbarState::maximum, value, wParam);
        case TBM_SETPAGESIZE: return SetPageSize(state, lParam);
        case TBM_GETPAGESIZE: return PageSize(state);
        case TBM_SETLINESIZE: return SetLineSize(state, lParam);
        case TBM_GETLINESIZE: return state.lineSize;
        case WM_PAINT: Paint(hwnd, state); return 0;
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void RegisterTrackbarClass() {
    RegisterControlClass(TRACKBAR_CLASSA, ControlProcedure<TrackbarState, HandleTrackbar>);
}

// A drag: the thumb follows to the position, then is released there.
bool UserSlideTrackbar(HWND trackbar, int position) {
    HeldControlState<TrackbarState> state(trackbar, TRACKBAR_CLASSA);
    if (!state || !IsWindowEnabled(trackbar)) return false;
    state->position = position;
    KeepInRange(trackbar, *state, true);
    const LONG reached = state->position;
    NotifyScroll(trackbar, TB_THUMBTRACK, reached);
    NotifyScroll(trackbar, TB_THUMBPOSITION, reached);
    NotifyScroll(trackbar, TB_ENDTRACK, 0);
    return true;
}

bool DescribeTrackbar(HWND hwnd, ControlDescription* out) {
    HeldControlState<TrackbarState> state(hwnd, TRACKBAR_CLASSA);
    if (!state) return false;
    out->kind = "trackbar";
    out->position = state->position;
    out->rangeMin = state->minimum;
    out->rangeMax = state->maximum;
    return true;
}

}  // namespace brontar::platform

extern "C" void WINAPI InitCommonControls(void) { brontar::platform::EnsureDialogClasses(); }
