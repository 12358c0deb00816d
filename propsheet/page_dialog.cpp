// The page's dialog procedure: initialisation, control texts, the
// graphics-clock switch and the dispatch to the lists, sliders and flows.
#include "propsheet/page.h"

#include "propsheet/board_probe.h"
#include "propsheet/autoexec.h"
#include "propsheet/server.h"
#include "settings/settings_key.h"

PageState pageState = {
    0, 0, 0, 0, 0, 0, 0, {{0, 0, 0, 0}, {0.0f, 0.0f, 0.0f, 0.0f}}, {{NULL, NULL}, {NULL, NULL}, {NULL, NULL}},
    GAMMA_SLIDER_COUNT, {IDS_GRXCLK_OFF, IDS_GRXCLK_ON}, "",
};

// Controls that need the board's gamma and clock, in the order they are disabled.
static const int gammaGroupIds[] = {
    IDC_GAMMA_R_SLIDER, IDC_GAMMA_R_VALUE, IDC_GAMMA_R_LABEL, IDC_GAMMA_G_SLIDER, IDC_GAMMA_G_VALUE,
    IDC_GAMMA_G_LABEL, IDC_GAMMA_B_SLIDER, IDC_GAMMA_B_VALUE, IDC_GAMMA_B_LABEL, IDC_TEST_GAMMA,
    IDC_RESET_GAMMA, IDC_GAMMA_CAPTION, IDC_GRXCLK_CAPTION, IDC_GRXCLK_FRAME, IDC_GRXCLK_SWITCH,
    IDC_GRXCLK_LOW_LABEL, IDC_GRXCLK_HIGH_LABEL, IDC_GRXCLK_STATE,
};

// Controls of the refresh rates, in the order they are disabled.
static const int rateGroupIds[] = {IDC_RESOLUTION_LIST, IDC_RATE_LIST, IDC_TEST_RATE, IDC_RESET_RATES};

// Strings set into their controls at every activation, in this order.
static const struct {
    UINT stringId;
    int controlId;
} pageTexts[] = {
    {IDS_GAMMA_CAPTION, IDC_GAMMA_CAPTION}, {IDS_RED_LABEL, IDC_GAMMA_R_LABEL},
    {IDS_GREEN_LABEL, IDC_GAMMA_G_LABEL},   {IDS_BLUE_LABEL, IDC_GAMMA_B_LABEL},
    {IDS_EXTRA_LABEL, IDC_EXTRA_LABEL},     {IDS_TEST, IDC_TEST_GAMMA},
    {IDS_RESET_GAMMA, IDC_RESET_GAMMA},     {IDS_LINK, IDC_LINK_CHANNELS},
    {IDS_GRXCLK_CAPTION, IDC_GRXCLK_CAPTION}, {IDS_TEST, IDC_TEST_RATE},
    {IDS_RESET_RATES, IDC_RESET_RATES},     {IDS_RATE_CAPTION, IDC_RATE_CAPTION},
};

void SetControlString(HWND hwnd, int controlId, UINT stringId)
{
    char text[256];

    if (LoadStringA(resourceModule, stringId, text, sizeof(text)) > 0)
        SetDlgItemTextA(hwnd, controlId, text);
}

LONG GetCheckState(HWND hwnd, int controlId)
{
    return (LONG)(SendDlgItemMessageA(hwnd, controlId, BM_GETSTATE, 0, 0) & 3);
}

BOOL GetControlRect(HWND hwnd, int controlId, RECT* lpRect)
{
    HWND hwndControl = GetDlgItem(hwnd, controlId);

    if (hwndControl == NULL)
        return FALSE;
    GetWindowRect(hwndControl, lpRect);
    MapWindowPoints(NULL, hwnd, (LPPOINT)lpRect, 2);
    return TRUE;
}

// Disables a list of controls in order.
static void DisableControls(HWND hwnd, const int* ids, int count)
{
    int i;

    for (i = 0; i < count; i++) {
        HWND hwndControl = GetDlgItem(hwnd, ids[i]);
        if (hwndControl != NULL)
            EnableWindow(hwndControl, FALSE);
    }
}

void DisableGammaGroup(HWND hwnd)
{
    DisableControls(hwnd, gammaGroupIds, (int)(sizeof(gammaGroupIds) / sizeof(gammaGroupIds[0])));
}

static void DisableRateGroup(HWND hwnd)
{
    DisableControls(hwnd, rateGroupIds, (int)(sizeof(rateGroupIds) / sizeof(rateGroupIds[0])));
}

void SetPageTexts(HWND hwnd)
{
    size_t i;

    for (i = 0; i < sizeof(pageTexts) / sizeof(pageTexts[0]); i++)
        SetControlString(hwnd, pageTexts[i].controlId, pageTexts[i].stringId);
}

// The state text under the clock switch for position 0 or 1.
static void SetGrxClkStateText(HWND hwnd, LRESULT position)
{
    if (position == 0 || position == 1)
        SetControlString(hwnd, IDC_GRXCLK_STATE, pageState.grxClkTextIds[position]);
}

void InitGrxClkSwitch(HWND hwnd)
{
    int position;

    SendDlgItemMessageA(hwnd, IDC_GRXCLK_SWITCH, TBM_SETRANGE, FALSE, MAKELONG(0, 1));
    position = IsGraphicsClock57();
    SendDlgItemMessageA(hwnd, IDC_GRXCLK_SWITCH, TBM_SETPOS, TRUE, position);
    SetControlString(hwnd, IDC_GRXCLK_LOW_LABEL, IDS_GRXCLK_LOW);
    SetControlString(hwnd, IDC_GRXCLK_HIGH_LABEL, IDS_GRXCLK_HIGH);
    SetGrxClkStateText(hwnd, position);
}

// The clock switch moved, whatever the scroll code.
static void OnGrxClkMoved(HWND hwnd)
{
    SetGrxClkStateText(hwnd, SendDlgItemMessageA(hwnd, IDC_GRXCLK_SWITCH, TBM_GETPOS, 0, 0));
    pageState.restartNeeded = 1;
}

// WM_INITDIALOG. The slider notifications InitGammaSliders posts are queued
// before WM_PAGE_INITDONE, so they do not count as the user's moves.
static void InitPage(HWND hwnd)
{
    DWORD locked = GetLockState();

    SendDlgItemMessageA(hwnd, IDC_LINK_CHANNELS, BM_SETCHECK, locked != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    pageState.linked = (LONG)locked;
    pageState.boardPresent = IsBoardInstalled(hwnd) ? 1 : 0;
    SnapshotSettings();
    InitGammaSliders(hwnd);
    if (pageState.boardPresent)
        FillResolutionList(hwnd, IDC_RESOLUTION_LIST);
    else
        DisableRateGroup(hwnd);
    InitGrxClkSwitch(hwnd);
    PostMessageA(hwnd, WM_PAGE_INITDONE, 0, 0);
}

// Property sheet notifications.
static INT_PTR OnNotify(HWND hwnd, const NMHDR* header)
{
    if (header == NULL)
        return FALSE;
    switch (header->code) {
    case PSN_SETACTIVE:
        SetPageTexts(hwnd);
        FillResolutionList(hwnd, IDC_RESOLUTION_LIST);
        break;
    case PSN_KILLACTIVE:
        SaveLockAndLastResolution(hwnd);
        break;
    case PSN_APPLY:
        OnApply(hwnd);
        break;
    case PSN_RESET:
        RestoreSnapshot();
        break;
    }
    return FALSE;
}

static void OnCommand(HWND hwnd, int controlId, int code)
{
    switch (controlId) {
    case IDC_RATE_LIST:
        if (code == CBN_SELCHANGE)
            OnRateSelected(hwnd);
        break;
    case IDC_RESOLUTION_LIST:
        if (code == CBN_SELCHANGE)
            PostMessageA(hwnd, WM_PAGE_FILLRATES, 0, 0);
        break;
    case IDC_TEST_GAMMA:
        if (code == BN_CLICKED)
            RunTest(hwnd, 1);
        break;
    case IDC_TEST_RATE:
        if (code == BN_CLICKED)
            RunTest(hwnd, 0);
        break;
    case IDC_RESET_RATES:
        ResetRates(hwnd);
        break;
    case IDC_RESET_GAMMA:
        ResetGamma(hwnd);
        break;
    case IDC_LINK_CHANNELS:
        OnLinkToggled(hwnd);
        break;
    }
}

// Passes a colour change on to every direct child, first to last.
static void ForwardSysColorChange(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    HWND child;

    for (child = GetWindow(hwnd, GW_CHILD); child != NULL; child = GetWindow(child, GW_HWNDNEXT))
        PostMessageA(child, WM_SYSCOLORCHANGE, wParam, lParam);
}

INT_PTR CALLBACK PageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPage(hwnd);
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(hwnd, (const NMHDR*)lParam);
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_HSCROLL:
        if ((HWND)lParam != NULL && (HWND)lParam == GetDlgItem(hwnd, IDC_GRXCLK_SWITCH))
            OnGrxClkMoved(hwnd);
        else
            OnGammaScroll(hwnd, (HWND)lParam);
        return TRUE;
    case WM_PAINT:
        return PaintPage(hwnd);
    case WM_SYSCOLORCHANGE:
        ForwardSysColorChange(hwnd, wParam, lParam);
        return TRUE;
    case WM_DESTROY:
        SaveLockAndLastResolution(hwnd);
        return FALSE;
    case WM_PAGE_FILLRATES:
        return RefillRatesForSelection(hwnd);
    case WM_PAGE_INITDONE:
        pageState.initDone = 1;
        return FALSE;
    }
    return FALSE;
}
