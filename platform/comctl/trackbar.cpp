// The trackbar (msctls_trackbar32): a position kept inside its range, set by
// the program without notice and by the user with WM_HSCROLL to the parent.
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
};

ControlStates<TrackbarState>& Trackbars() {
    static ControlStates<TrackbarState> trackbars;
    return trackbars;
}

void KeepInRange(HWND hwnd, TrackbarState& state, bool redraw) {
    if (state.maximum < state.minimum) state.maximum = state.minimum;
    state.position = std::clamp(state.position, state.minimum, state.maximum);
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd, const TrackbarState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr) return;
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH face = CreateSolidBrush(RGB(192, 192, 192));
    FillRect(dc, &client, face);
    DeleteObject(face);
    const LONG middle = (client.top + client.bottom) / 2;
    RECT channel{client.left + 4, middle - 2, client.right - 4, middle + 2};
    HBRUSH dark = CreateSolidBrush(RGB(128, 128, 128));
    FillRect(dc, &channel, dark);
    const LONG span = std::max<LONG>(1, state.maximum - state.minimum);
    const LONG thumbX = channel.left + (channel.right - channel.left) * (state.position - state.minimum) / span;
    RECT thumb{thumbX - 3, client.top + 1, thumbX + 3, client.bottom - 1};
    FillRect(dc, &thumb, dark);
    DeleteObject(dark);
    EndPaint(hwnd, &paint);
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
        case WM_PAINT: Paint(hwnd, *state); return 0;
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
