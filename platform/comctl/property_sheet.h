// The property sheet's hooks for a host that plays the user: a driver called
// whenever the sheet waits for input, and the user's actions on the sheet.
#pragma once

#include <windows.h>

#include <functional>

namespace brontar::platform {

// The sheet's Apply button and its tab control.
constexpr int kApplyButtonId = 0x3021;
constexpr int kTabControlId = 0x3020;

// Called by PropertySheetA each time its queue is empty. Returns true after
// playing one step of the user's part; false when it has nothing more to do,
// and the sheet then closes as its window's close button closes it (cancel).
// Without a driver the sheet waits for the user while one can act (a desktop
// window shows it, or BRONTAR_INPUT has items left), else closes that way.
using PropertySheetDriver = std::function<bool(HWND sheet)>;
void SetPropertySheetDriver(PropertySheetDriver driver);

// The window of the sheet's active page, or null.
HWND ActivePropertySheetPage(HWND sheet);

// The user leaves the active page and comes back to it: PSN_KILLACTIVE, then
// PSN_SETACTIVE when the page lets itself be left.
void LeaveAndReturnToPage(HWND sheet);

}  // namespace brontar::platform
