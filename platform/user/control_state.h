// Per-window state of the predefined controls, and their shared painting.
#pragma once

#include <windows.h>

#include <map>
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

// Fills the control's client area with the dialog face colour and draws the
// text in the control's font with the DrawTextExA format.
void PaintControlText(HWND hwnd, HFONT font, std::string_view text, UINT format);

// Sends a WM_COMMAND notification from a control to its parent.
void NotifyParent(HWND control, WORD code);

}  // namespace brontar::platform
