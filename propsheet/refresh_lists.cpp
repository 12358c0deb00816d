// The resolution and rate lists: the board's mode table filtered by the
// monitor's limits, the preselected rate, and the pick stored at once.
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "propsheet/monitor_info.h"
#include "propsheet/page.h"
#include "settings/settings_key.h"
#include "settings/test_screen_command.h"

#define LIST_TEXT_SIZE 64

const ModeTableRow ModeTable[MODE_TABLE_ROWS] = {
    {512, 384, 16, 30, 72},  {512, 384, 16, 31, 75},  {512, 384, 16, 35, 85},  {512, 384, 16, 47, 120},
    {640, 400, 16, 31, 70},  {640, 400, 16, 38, 75},  {640, 400, 16, 39, 85},  {640, 400, 16, 55, 120},
    {640, 480, 16, 32, 60},  {640, 480, 16, 38, 75},  {640, 480, 16, 43, 85},  {640, 480, 16, 60, 120},
    {800, 600, 16, 39, 60},  {800, 600, 16, 48, 75},  {800, 600, 16, 55, 85},
};

// The leading decimal number of a text: blanks skipped, an optional sign,
// digits; 0 when there are none.
static int LeadingNumber(const char* text)
{
    return (int)strtol(text, NULL, 10);
}

// The selected item's text; 0 when there is no selection or the text would
// not fit the buffer.
static int GetSelectedText(HWND hwnd, int listId, char* text, int size)
{
    LRESULT index = SendDlgItemMessageA(hwnd, listId, CB_GETCURSEL, 0, 0);
    LRESULT length;

    if (index == CB_ERR)
        return 0;
    length = SendDlgItemMessageA(hwnd, listId, CB_GETLBTEXTLEN, (WPARAM)index, 0);
    if (length == CB_ERR || length >= size)
        return 0;
    if (SendDlgItemMessageA(hwnd, listId, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text) == CB_ERR)
        return 0;
    return 1;
}

int GetSelectedResolution(HWND hwnd, int listId, int* lpWidth, int* lpHeight)
{
    char text[LIST_TEXT_SIZE];
    const char* separator;

    *lpWidth = 0;
    *lpHeight = 0;
    if (!GetSelectedText(hwnd, listId, text, sizeof(text)))
        return 0;
    *lpWidth = LeadingNumber(text);
    separator = strpbrk(text, "xX");
    *lpHeight = separator != NULL ? LeadingNumber(separator + 1) : 0;
    return 1;
}

int GetSelectedRate(HWND hwnd, int listId)
{
    char text[LIST_TEXT_SIZE];

    if (!GetSelectedText(hwnd, listId, text, sizeof(text)))
        return -1;
    return LeadingNumber(text);
}

void FillResolutionList(HWND hwnd, int listId)
{
    MonitorInfo info;
    char text[LIST_TEXT_SIZE];
    int previousWidth = 0;
    int previousHeight = 0;
    int lastWidth;
    int lastHeight;
    LRESULT selection = 0;
    int i;

    GetLastResolution(&lastWidth, &lastHeight);
    // An unidentified monitor leaves the bounds as set here: no bound, so
    // every resolution is offered.
    memset(&info, 0, sizeof(info));
    info.lMaxWidth = MONITOR_NO_BOUND;
    info.lMaxHeight = MONITOR_NO_BOUND;
    LoadMonitorInfo(&info);

    SendDlgItemMessageA(hwnd, listId, CB_RESETCONTENT, 0, 0);
    for (i = 0; i < MODE_TABLE_ROWS; i++) {
        const ModeTableRow* row = &ModeTable[i];
        LRESULT index;
        if (row->width == previousWidth && row->height == previousHeight)
            continue;
        if ((unsigned)row->width > (unsigned)info.lMaxWidth || (unsigned)row->height > (unsigned)info.lMaxHeight)
            continue;
        wsprintfA(text, "%d x %d", row->width, row->height);
        index = SendDlgItemMessageA(hwnd, listId, CB_ADDSTRING, 0, (LPARAM)text);
        previousWidth = row->width;
        previousHeight = row->height;
        if (row->width == lastWidth && row->height == lastHeight)
            selection = index;
    }
    SendDlgItemMessageA(hwnd, listId, CB_SETCURSEL, (WPARAM)selection, 0);
    PostMessageA(hwnd, WM_PAGE_FILLRATES, 0, 0);
}

// The lowest rate of the resolution, offered when none passes the limits.
static void AddLowestRate(HWND hwnd, int listId, int width, int height)
{
    int lowest = 200;
    int found = 0;
    int i;
    char text[LIST_TEXT_SIZE];

    for (i = 0; i < MODE_TABLE_ROWS; i++) {
        if (ModeTable[i].width == width && ModeTable[i].height == height && ModeTable[i].verticalHz < lowest) {
            lowest = ModeTable[i].verticalHz;
            found = i;
        }
    }
    wsprintfA(text, "%d Hz", ModeTable[found].verticalHz);
    SendDlgItemMessageA(hwnd, listId, CB_ADDSTRING, 0, (LPARAM)text);
}

// Offers the rates inside the limits and preselects the stored one, else the
// nearest (the lower of two equally near), else the lowest offered.
static void FillRateList(HWND hwnd, int listId, const ModeLimits* limits, DWORD stored)
{
    int best = -1;
    int lowestIndex = -1;
    int lowestRate = INT_MAX;
    int bestDistance = 10000;
    int count = 0;
    int i;
    char text[LIST_TEXT_SIZE];

    SendDlgItemMessageA(hwnd, listId, CB_RESETCONTENT, 0, 0);
    for (i = 0; i < MODE_TABLE_ROWS; i++) {
        const ModeTableRow* row = &ModeTable[i];
        int distance;
        if (row->width != limits->wWidth || row->height != limits->wHeight)
            continue;
        if (row->verticalHz < limits->wVerticalMin || row->verticalHz > limits->wVerticalMax ||
            row->horizontalKhz < limits->wHorizontalMin || row->horizontalKhz > limits->wHorizontalMax)
            continue;
        wsprintfA(text, "%d Hz", row->verticalHz);
        SendDlgItemMessageA(hwnd, listId, CB_ADDSTRING, 0, (LPARAM)text);
        distance = abs((int)row->verticalHz - (int)stored);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = count;
        }
        if (row->verticalHz < lowestRate) {
            lowestRate = row->verticalHz;
            lowestIndex = count;
        }
        count++;
    }
    if (count == 0) {
        AddLowestRate(hwnd, listId, limits->wWidth, limits->wHeight);
        best = 0;
        lowestIndex = 0;
    }
    if (stored == 0)
        best = lowestIndex;
    if (best >= 0)
        SendDlgItemMessageA(hwnd, listId, CB_SETCURSEL, (WPARAM)best, 0);
}

BOOL RefillRatesForSelection(HWND hwnd)
{
    ModeLimits limits;
    int width;
    int height;

    if (!GetSelectedResolution(hwnd, IDC_RESOLUTION_LIST, &width, &height))
        return TRUE;
    memset(&limits, 0, sizeof(limits));
    limits.wWidth = (WORD)width;
    limits.wHeight = (WORD)height;
    if (!GetModeLimits(&limits))
        return TRUE;
    FillRateList(hwnd, IDC_RATE_LIST, &limits, GetRefreshRate(width, height));
    return TRUE;
}

void OnRateSelected(HWND hwnd)
{
    int rate = GetSelectedRate(hwnd, IDC_RATE_LIST);
    int width;
    int height;
    LONG current;

    if (rate > 0 && GetSelectedResolution(hwnd, IDC_RESOLUTION_LIST, &width, &height)) {
        SetRefreshRate((DWORD)rate, width, height);
        // The user's own 640x480 pick replaces the rate a gamma test saved,
        // so apply does not put the older rate over it.
        if (width == BoardModes[GAMMA_TEST_MODE].width && height == BoardModes[GAMMA_TEST_MODE].height)
            pageState.savedGammaTestRate = 0;
    }
    current = (LONG)GetRefreshRate(BoardModes[BOARD_MODE_640X480].width, BoardModes[BOARD_MODE_640X480].height);
    if (current != pageState.tracked640x480Rate) {
        pageState.tracked640x480Rate = current;
        pageState.restartNeeded = 1;
    }
}
