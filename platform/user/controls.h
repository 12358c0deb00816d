// The predefined control classes of dialogs (BUTTON, STATIC, COMBOBOX and the
// trackbar), and what a user does to them, for scripts and tests that play
// the user.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace brontar::platform {

// Registers the dialog class and every control class once per process.
void EnsureDialogClasses();
void RegisterButtonClass();
void RegisterStaticClass();
void RegisterComboBoxClass();
void RegisterTrackbarClass();
void RegisterTabControlClass();

// Notes the control that has the focus in a dialog, so WM_SETFOCUS on the
// dialog gives it back (after a message box, say).
void RememberDialogFocus(HWND dialog, HWND control);

// The dialog manager moves the focus to a control: it is remembered, and
// the default frame follows it.
void MoveDialogFocus(HWND dialog, HWND control);

// The user picks the item with this text (compared without regard to case)
// in a combo box: selection, then CBN_SELCHANGE to the parent. False when the
// box is disabled or has no such item.
bool UserSelectComboItem(HWND combo, std::string_view text);
// The user clicks a button: an automatic check box changes state, then
// BN_CLICKED goes to the parent. False when the button is disabled.
bool UserClickButton(HWND button);
// The user drags a trackbar to a position (kept inside the range); the parent
// gets WM_HSCROLL with TB_THUMBTRACK, TB_THUMBPOSITION and TB_ENDTRACK.
bool UserSlideTrackbar(HWND trackbar, int position);

// What a control shows, for the panel's dump.
struct ControlDescription {
    std::string kind;                 // "button", "check box", "group box", "static", "combo box", "trackbar"
    std::vector<std::string> items;   // combo box items
    int selection = -1;               // combo box selection
    int position = 0;                 // trackbar
    int rangeMin = 0;
    int rangeMax = 0;
    int checkState = -1;              // check boxes: 0, 1, 2
};
// False for a window that is none of the classes above.
bool DescribeControl(HWND control, ControlDescription* out);
bool DescribeButton(HWND control, ControlDescription* out);
bool DescribeStatic(HWND control, ControlDescription* out);
bool DescribeComboBox(HWND control, ControlDescription* out);
bool DescribeTrackbar(HWND control, ControlDescription* out);

}  // namespace brontar::platform
