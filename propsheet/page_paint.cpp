// Painting of the page's own text: the stored rate of each resolution, the
// monitor's name and limits, and the notice shown without the board.
#include <string.h>

#include "propsheet/monitor_info.h"
#include "propsheet/page.h"
#include "propsheet/server.h"
#include "settings/settings_key.h"

#define PAINT_TEXT_SIZE 256

// Painted area of each resolution's row, in the order of BoardModes.
static const int resolutionRowIds[BOARD_MODE_COUNT] = {IDC_ROW_512X384, IDC_ROW_640X400, IDC_ROW_640X480,
                                                       IDC_ROW_800X600};

static void DrawAligned(HDC hdc, char* text, RECT rect, UINT alignment)
{
    DrawTextExA(hdc, text, -1, &rect, DT_WORDBREAK | alignment, NULL);
}

// Without the board: the notice over the whole area of the rows.
static void PaintNoBoardNotice(HWND hwnd, HDC hdc)
{
    RECT first;
    RECT last;
    char notice[PAINT_TEXT_SIZE];

    if (!GetControlRect(hwnd, IDC_ROW_512X384, &first) || !GetControlRect(hwnd, IDC_ROW_800X600, &last))
        return;
    if (LoadStringA(resourceModule, IDS_NO_BOARD, notice, sizeof(notice)) == 0)
        return;
    first.right = last.right;
    first.bottom = last.bottom;
    DrawAligned(hdc, notice, first, DT_LEFT);
}

// Each resolution on the left, its stored rate (or string 26) on the right.
static void PaintResolutionRows(HWND hwnd, HDC hdc)
{
    int i;
    RECT rect;
    char text[PAINT_TEXT_SIZE];

    for (i = 0; i < BOARD_MODE_COUNT; i++) {
        DWORD rate = GetRefreshRate(BoardModes[i].width, BoardModes[i].height);
        if (!GetControlRect(hwnd, resolutionRowIds[i], &rect))
            continue;
        wsprintfA(text, "%d x %d", BoardModes[i].width, BoardModes[i].height);
        DrawAligned(hdc, text, rect, DT_LEFT);
        if (rate != 0)
            wsprintfA(text, "%d Hz", (int)rate);
        else
            LoadStringA(resourceModule, IDS_RATE_NOT_SET, text, sizeof(text));
        DrawAligned(hdc, text, rect, DT_RIGHT);
    }
}

// The monitor's description and its four limits, each with its label.
static void PaintMonitorLimits(HWND hwnd, HDC hdc)
{
    MonitorInfo info;
    RECT rect;
    char text[PAINT_TEXT_SIZE];
    int i;

    LoadStringA(resourceModule, IDS_NOT_AVAILABLE, pageState.notAvailableText, sizeof(pageState.notAvailableText));
    memset(&info, 0, sizeof(info));
    if (!LoadMonitorInfo(&info))
        return;
    info.szDescription[sizeof(info.szDescription) - 1] = '\0';
    if (GetControlRect(hwnd, IDC_MON_NAME, &rect))
        DrawAligned(hdc, info.szDescription, rect, DT_LEFT);

    const struct {
        int controlId;
        UINT labelId;
        LONG value;
        const char* format;
    } limits[] = {
        {IDC_MON_VMAX, IDS_MON_VMAX, info.lVerticalMax, "%d Hz "},
        {IDC_MON_VMIN, IDS_MON_VMIN, info.lVerticalMin, "%d Hz "},
        {IDC_MON_HMAX, IDS_MON_HMAX, info.lHorizontalMax, "%d Khz"},
        {IDC_MON_HMIN, IDS_MON_HMIN, info.lHorizontalMin, "%d Khz"},
    };
    for (i = 0; i < 4; i++) {
        if (!GetControlRect(hwnd, limits[i].controlId, &rect))
            continue;
        LoadStringA(resourceModule, limits[i].labelId, text, sizeof(text));
        DrawAligned(hdc, text, rect, DT_LEFT);
        if ((DWORD)limits[i].value != 0) {
            wsprintfA(text, limits[i].format, (int)limits[i].value);
            DrawAligned(hdc, text, rect, DT_RIGHT);
        } else {
            DrawAligned(hdc, pageState.notAvailableText, rect, DT_RIGHT);
        }
    }
}

BOOL PaintPage(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC hdc;
    HFONT font;
    HGDIOBJ previousFont = NULL;

    hdc = BeginPaint(hwnd, &paint);
    if (hdc == NULL)
        return TRUE;
    if (!pageState.boardPresent)
        PaintNoBoardNotice(hwnd, hdc);
    font = (HFONT)SendMessageA(GetDlgItem(GetParent(hwnd), IDC_SHEET_CANCEL), WM_GETFONT, 0, 0);
    if (font != NULL)
        previousFont = SelectObject(hdc, (HGDIOBJ)font);
    if (pageState.boardPresent)
        PaintResolutionRows(hwnd, hdc);
    PaintMonitorLimits(hwnd, hdc);
    if (previousFont != NULL)
        SelectObject(hdc, previousFont);
    EndPaint(hwnd, &paint);
    return TRUE;
}
