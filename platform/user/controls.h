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

// The control a WM_INITDIALOG that answers TRUE gives the focus: the first
// control in tab order that is a visible, enabled WS_TABSTOP by its own
// style (the dialog itself is not shown yet), else the first visible,
// enabled control; null when there is none.
HWND FirstFocusControl(HWND dialog);

// For a DS_CONTROL dialog made hidden (a property page) whose WM_INITDIALOG
// answered TRUE: the control its parent gives the focus when it shows the
// dialog, since the dialog manager leaves the focus alone meanwhile; null
// for any other dialog, or once asked. Looked up when asked, so a control
// disabled meanwhile is passed over.
HWND TakeDeferredDialogFocus(HWND dialog);

// What one class's control shows (DescribeControl asks each in turn); false
// for a window of another class.
bool DescribeButton(HWND control, ControlDescription* out);
bool DescribeStatic(HWND control, ControlDescription* out);
bool DescribeComboBox(HWND control, ControlDescription* out);
bool DescribeTrackbar(HWND control, ControlDescription* out);

}  // namespace brontar::platform
