// The STATIC class: text drawn left, centred or right in the control, on
// the background its parent gives it.
#include <windows.h>

#include "platform/user/control_state.h"
#include "platform/user/controls.h"

namespace brontar::platform {
namespace {

struct StaticState {
    HFONT font = nullptr;
};

constexpr char kStaticClass[] = "STATIC";

UINT StaticFormat(HWND hwnd) {
    const auto style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    const UINT common = DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    switch (style & SS_TYPEMASK) {
        case SS_CENTER: return DT_CENTER | common;
        case SS_RIGHT: return DT_RIGHT | common;
        default: return DT_LEFT | common;
    }
}

// The parent's background, then the text, embossed when disabled.
void Paint(HWND hwnd, const StaticState& state) {
    ControlPaint paint(hwnd, state.font, WM_CTLCOLORSTATIC);
    if (!paint) return;
    FillRect(paint.Dc(), &paint.Client(), paint.Background());
    DrawControlText(paint.Dc(), paint.Text(), paint.Client(), StaticFormat(hwnd), paint.Enabled());
}

LRESULT HandleStatic(HWND hwnd, StaticState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT: state.font = reinterpret_cast<HFONT>(wParam); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(state.font);
        // The pointer passes through a static to whatever lies below it.
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_PAINT: Paint(hwnd, state); return 0;
        case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
        case WM_SETTEXT: return SetControlText(hwnd, lParam);
        default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void RegisterStaticClass() {
    RegisterControlClass(kStaticClass, ControlProcedure<StaticState, HandleStatic>);
}

bool DescribeStatic(HWND hwnd, ControlDescription* out) {
    if (!HeldControlState<StaticState>(hwnd, kStaticClass)) return false;
    out->kind = "static";
    return true;
}

}  // namespace brontar::platform
