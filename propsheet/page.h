// The settings page: its state record, the board's mode table, and the
// routines of its dialog procedure, lists, sliders and flows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "propsheet/page_controls.h"
#include "settings/settings_key.h"

// Slider window and value text window of one colour.
typedef struct GammaSliderChannel {
    HWND hwndSlider;
    HWND hwndValue;
} GammaSliderChannel;

#define GAMMA_SLIDER_COUNT 3
#define NOT_AVAILABLE_TEXT_SIZE 8

// The page's one module-wide record. Flags are only ever set, never cleared,
// and outlive the page (a second page in the same process inherits them).
typedef struct PageState {
    LONG linked;              // the colour sliders move together (raw "KSX_LOCKED" at start)
    LONG boardPresent;        // answer of IsBoardInstalled at initialisation
    LONG gammaChanged;        // a colour slider was moved after initialisation
    LONG initDone;            // WM_PAGE_INITDONE has arrived
    LONG restartNeeded;       // a setting that feeds autoexec.bat changed
    LONG savedGammaTestRate;  // 640x480 rate before the latest gamma test, 0 = none
    LONG tracked640x480Rate;  // 640x480 rate as last seen
    SettingsSnapshot snapshot;  // what cancel puts back
    GammaSliderChannel channels[GAMMA_SLIDER_COUNT];  // red, green, blue
    LONG channelCount;
    UINT grxClkTextIds[2];    // state text for switch positions 0 and 1
    char notAvailableText[NOT_AVAILABLE_TEXT_SIZE];
} PageState;

extern PageState pageState;

// One display mode of the board.
typedef struct ModeTableRow {
    WORD width;
    WORD height;
    WORD depth;
    WORD horizontalKhz;
    WORD verticalHz;
} ModeTableRow;

#define MODE_TABLE_ROWS 15
extern const ModeTableRow ModeTable[MODE_TABLE_ROWS];

// Dialog procedure and its page-wide steps.
INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetPageTexts(HWND hwnd);
void InitGrxClkSwitch(HWND hwnd);
BOOL PaintPage(HWND hwnd);
// Text of a resource-module string into a control; nothing when it is missing.
void SetControlString(HWND hwnd, int controlId, UINT stringId);
// The low two bits of BM_GETSTATE of a check box.
LONG GetCheckState(HWND hwnd, int controlId);
// A control's rectangle in the page's client coordinates; 0 when it is missing.
BOOL GetControlRect(HWND hwnd, int controlId, RECT* lpRect);

// Refresh lists.
void FillResolutionList(HWND hwnd, int listId);
BOOL RefillRatesForSelection(HWND hwnd);
int GetSelectedResolution(HWND hwnd, int listId, int* lpWidth, int* lpHeight);
int GetSelectedRate(HWND hwnd, int listId);
void OnRateSelected(HWND hwnd);

// Gamma sliders.
void InitGammaSliders(HWND hwnd);
void DisableGammaGroup(HWND hwnd);
void OnGammaScroll(HWND hwnd, HWND hwndTrackbar);
void OnLinkToggled(HWND hwnd);
void LinkChannels(HWND hwnd);
void UnlinkChannels(void);
void WriteSliderGammas(HWND hwnd);

// Apply, cancel, tests, resets, lock.
void SnapshotSettings(void);
void RestoreSnapshot(void);
LRESULT OnApply(HWND hwnd);
void RunTest(HWND hwnd, int gammaMode);
void ResetRates(HWND hwnd);
void ResetGamma(HWND hwnd);
void SaveLockAndLastResolution(HWND hwnd);
