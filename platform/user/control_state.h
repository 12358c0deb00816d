// Per-window state of the predefined controls, and their shared painting.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

namespace brontar::platform {

// The state records of one control class, by window.
template <typename State>
class ControlStates {
public:
    State* Find(HWND hwnd) {
        auto found = states_.find(hwnd);
        return found == states_.end() ? nullptr : &found->second;
    }
    State& Ensure(HWND hwnd) { return states_[hwnd]; }
    void Erase(HWND hwnd) { states_.erase(hwnd); }

private:
    std::map<HWND, State> states_;
};

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

// Registers a control class as the system's: global, with this procedure.
void RegisterControlClass(const char* name, WNDPROC procedure);

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
