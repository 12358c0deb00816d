// What the platform offers the programs that play the user (the Display
// control panel's script, tests): drive the property sheet, act on its
// controls as a user would, answer message boxes, watch what is painted and
// take pictures. Front ends include this and the Win32 headers, nothing else
// of the platform.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brontar::platform {

// The program: the DOS path of the running program; its directory heads the
// library search. Defaults to the Windows directory's CONTROL.EXE.
void SetProgramDosPath(std::string_view dosPath);

// For programs that take their input by other means (the panel's own
// script): BRONTAR_INPUT is not played in this process. Call it before the
// first window is made.
void IgnoreInputScript();

// True when this process ran headless because no display was reachable (not
// because BRONTAR_DISPLAY asked for it) and BRONTAR_INPUT had nothing for it
// to play: nobody could act on its windows.
bool HeadlessWithNothingToPlay();

// The property sheet.

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

// Takes one waiting message of the thread and handles it as the sheet's own
// loop does (the sheet's dialog keys first). kQuit: it was WM_QUIT, posted
// again for the loop that ends.
enum class SheetMessage { kNoneWaiting, kHandled, kQuit };
SheetMessage HandleWaitingSheetMessage(HWND sheet);

// The user leaves the active page and comes back to it: PSN_KILLACTIVE, then
// PSN_SETACTIVE when the page lets itself be left.
void LeaveAndReturnToPage(HWND sheet);

// The user's actions on dialog controls.

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
// False for a window that is none of these kinds.
bool DescribeControl(HWND control, ControlDescription* out);

// Message boxes: with no user at the screen, each box takes the next queued
// answer, else its default button.

// Queues the answer (IDOK, IDYES, ...) of the next message box not yet answered.
void QueueMessageBoxAnswer(int answer);
// Drops every queued answer.
void ClearMessageBoxAnswers();

// What windows show.

// Receives each text DrawTextExA draws: the rectangle in the context's
// coordinates, the text and the format flags.
using DrawnTextObserver = std::function<void(const RECT& rect, std::string_view text, UINT format)>;
// Installs the observer (an empty one removes it).
void SetDrawnTextObserver(DrawnTextObserver observer);

// Writes the window's picture (its client area with its visible descendants
// on top) into the BRONTAR_CAPTURE folder as the next window-NNNNNN.png; the
// file written, or nothing when capture is off or the file cannot be written.
std::optional<std::filesystem::path> SaveWindowScreenshot(HWND window);

// The registry.

// The registry changes of this process that could not be saved (the file
// was damaged or could not be written), each named "KEY\\VALUE" or "KEY", in
// the order they failed. The calls themselves fail as on Windows; front ends
// read this to tell the user what was lost.
std::vector<std::string> UnsavedRegistryChanges();

}  // namespace brontar::platform
