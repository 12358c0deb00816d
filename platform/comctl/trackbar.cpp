// The trackbar (msctls_trackbar32): a position kept inside its range, set by
// the program without notice and by the user with WM_HSCROLL to the parent;
// painted as Windows 95 paints a horizontal trackbar.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

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

ControlStates<TrackbarState>& Trackbars() {
    static ControlStates<TrackbarState> trackbars;
    return trackbars;
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

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) Trackbars().Ensure(hwnd);
    TrackbarState* state = Trackbars().Find(hwnd);
    if (state == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case TBM_GETPOS: return state->position;
        case TBM_GETRANGEMIN: return state->minimum;
        case TBM_GETRANGEMAX: return state->maximum;
        case TBM_SETPOS:
            state->position = static_cast<LONG>(lParam);
            KeepInRange(hwnd, *state, wParam != 0);
            return 0;
        case TBM_SETRANGE:
            state->minimum = static_cast<SHORT>(LOWORD(lParam));
            state->maximum = static_cast<SHORT>(HIWORD(lParam));
            KeepInRange(hwnd, *state, wParam != 0);
            return 0;
        case TBM_SETRANGEMIN:
            state->minimum = static_cast<LONG>(lParam);
            KeepInRange(hwnd, *state, wParam != 0);
            return 0;
        case TBM_SETRANGEMAX:
            state->maximum = static_cast<LONG>(lParam);
            KeepInRange(hwnd, *state, wParam != 0);
            return 0;
        case TBM_SETPAGESIZE: {
            const LONG previous = PageSize(*state);
            state->pageSize = static_cast<LONG>(lParam);
            return previous;
        }
        case TBM_GETPAGESIZE: return PageSize(*state);
        case TBM_SETLINESIZE: {
            const LONG previous = state->lineSize;
            state->lineSize = static_cast<LONG>(lParam);
            return previous;
        }
        case TBM_GETLINESIZE: return state->lineSize;
        case WM_PAINT: Paint(hwnd, *state); return 0;
        case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            state->focused = message == WM_SETFOCUS;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_NCDESTROY: Trackbars().Erase(hwnd); break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterTrackbarClass() {
    WNDCLASSEXA trackbarClass{};
    trackbarClass.cbSize = sizeof trackbarClass;
    trackbarClass.style = CS_GLOBALCLASS;
    trackbarClass.lpfnWndProc = TrackbarProc;
    trackbarClass.lpszClassName = TRACKBAR_CLASSA;
    RegisterClassExA(&trackbarClass);
}

// A drag: the thumb follows to the position, then is released there.
bool UserSlideTrackbar(HWND trackbar, int position) {
    TrackbarState* state = Trackbars().Find(trackbar);
    if (state == nullptr || !IsWindowEnabled(trackbar)) return false;
    state->position = position;
    KeepInRange(trackbar, *state, true);
    const LONG reached = state->position;
    NotifyScroll(trackbar, TB_THUMBTRACK, reached);
    NotifyScroll(trackbar, TB_THUMBPOSITION, reached);
    NotifyScroll(trackbar, TB_ENDTRACK, 0);
    return true;
}

bool DescribeTrackbar(HWND hwnd, ControlDescription* out) {
    TrackbarState* state = Trackbars().Find(hwnd);
    if (state == nullptr) return false;
    out->kind = "trackbar";
    out->position = state->position;
    out->rangeMin = state->minimum;
    out->rangeMax = state->maximum;
    return true;
}

}  // namespace brontar::platform

extern "C" void WINAPI InitCommonControls(void) { brontar::platform::EnsureDialogClasses(); }
