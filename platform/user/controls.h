// The predefined control classes of dialogs (BUTTON, STATIC, COMBOBOX and the
// trackbar); what a user does to them is in platform/automation.h.
#pragma once

#include <windows.h>

#include "platform/automation.h"

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

// What one class's control shows (DescribeControl asks each in turn); false
// for a window of another class.
bool DescribeButton(HWND control, ControlDescription* out);
bool DescribeStatic(HWND control, ControlDescription* out);
bool DescribeComboBox(HWND control, ControlDescription* out);
bool DescribeTrackbar(HWND control, ControlDescription* out);

}  // namespace brontar::platform
