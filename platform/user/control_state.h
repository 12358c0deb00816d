// Per-window state of the predefined controls, and their shared painting.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brontar::platform {

// A control keeps its state in its own window, as Windows' controls do: a
// record made at WM_NCCREATE, its address in the window's extra bytes at
// offset 0, freed at WM_NCDESTROY. A handler still running on the record
// when the window goes (its parent destroyed the control inside one of its
// notifications) keeps it until that handler returns, so no handler finds
// its state freed under it; the window's later messages find none.
constexpr int kControlStateOffset = 0;
constexpr int kControlExtraBytes = sizeof(LONG_PTR);

template <typename State>
struct ControlRecord {
    State state;
    int holders = 0;        // handlers running on the record
    bool detached = false;  // the window is gone: freed when the last holder lets go
};

// True when the window is of the named control class (its extra bytes hold
// that class's record, not another's).
bool IsWindowOfClass(HWND hwnd, const char* className);

// A control's state, held while this lives; empty for a window with none
// (not of the class asked for, not yet created, or destroyed).
template <typename State>
class HeldControlState {
public:
    explicit HeldControlState(HWND hwnd)
        : record_(reinterpret_cast<ControlRecord<State>*>(GetWindowLongPtrA(hwnd, kControlStateOffset))) {
        if (record_ != nullptr) ++record_->holders;
    }
    HeldControlState(HWND hwnd, const char* className)
        : HeldControlState(IsWindowOfClass(hwnd, className) ? hwnd : nullptr) {}
    ~HeldControlState() {
        if (record_ != nullptr && --record_->holders == 0 && record_->detached) delete record_;
    }
    HeldControlState(const HeldControlState&) = delete;
    HeldControlState& operator=(const HeldControlState&) = delete;

    explicit operator bool() const { return record_ != nullptr; }
    State& operator*() const { return record_->state; }
    State* operator->() const { return &record_->state; }

    // The window is going: it forgets the record, freed once no handler holds it.
    void Detach(HWND hwnd) {
        SetWindowLongPtrA(hwnd, kControlStateOffset, 0);
        record_->detached = true;
    }

private:
    ControlRecord<State>* record_;
};

// What a control class's procedure does with one message, given its state.
template <typename State>
using ControlHandler = LRESULT (*)(HWND hwnd, State& state, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure of a control class: the record made at WM_NCCREATE
// and let go at WM_NCDESTROY, each message in between handed to Handle with
// the state; a message with no state behind it gets the defaults.
template <typename State, ControlHandler<State> Handle>
LRESULT CALLBACK ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, kControlStateOffset, reinterpret_cast<LONG_PTR>(new ControlRecord<State>));
    HeldControlState<State> state(hwnd);
    if (!state) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) state.Detach(hwnd);
    return Handle(hwnd, *state, message, wParam, lParam);
}

// One paint of a control, as every control begins it: the paint context,
// the control's font selected, and the background brush and colours that
// the parent of `asking` (the control itself unless given) answers to
// colorMessage (WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, ...), with the text drawn
// transparently over what the control fills. Ends the paint when it goes
// out of scope.
class ControlPaint {
public:
    ControlPaint(HWND hwnd, HFONT font, UINT colorMessage, HWND asking = nullptr);
    ~ControlPaint();
    ControlPaint(const ControlPaint&) = delete;
    ControlPaint& operator=(const ControlPaint&) = delete;

    explicit operator bool() const { return dc_ != nullptr; }
    HDC Dc() const { return dc_; }
    const RECT& Client() const { return client_; }
    HBRUSH Background() const { return background_; }
    bool Enabled() const { return enabled_; }
    // The window text, cut to 255 bytes.
    std::string Text() const;

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    RECT client_{};
    HBRUSH background_ = nullptr;
    bool enabled_ = true;
};

// The brush and colours a control's parent gives it for painting into dc
// (the window's own defaults when it has no parent or the parent answers none).
HBRUSH ControlColors(HWND control, HDC dc, UINT colorMessage);

// Draws a control's text in the context's text colour, or, when disabled,
// embossed: in the highlight colour one pixel down and right, then in grey.
void DrawControlText(HDC dc, std::string_view text, RECT rect, UINT format, bool enabled);

// Registers a control class as the system's: global, with this procedure and
// room in each window for its state (kControlExtraBytes).
void RegisterControlClass(const char* name, WNDPROC procedure);

// WM_SETTEXT for a control that shows its text: stored, then repainted.
LRESULT SetControlText(HWND control, LPARAM text);

// Sends a WM_COMMAND notification from a control to its parent.
void NotifyParent(HWND control, WORD code);

// The messages every control answers alike: the focus coming and going
// (kept in *focused) and enabling repaint it. True when the message was one
// of them.
bool TrackFocusAndEnabling(HWND control, UINT message, bool* focused);

// The pointer's position in a mouse message, client coordinates (signed).
inline POINT PointerOf(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace brontar::platform
