// Apply, cancel, the two test buttons, the two reset buttons, and the
// storing of the link state and last resolution when the page is left.
#include "propsheet/autoexec.h"
#include "propsheet/page.h"
#include "propsheet/server.h"
#include "settings/settings_key.h"
#include "settings/test_screen_command.h"
#include "settings/test_screen_launch.h"

#define WARNING_CAPTION "WARNING :"
#define QUESTION_SIZE 256
#define TEST_PATH_SIZE TEST_SCREEN_PATH_SIZE

void SnapshotSettings(void)
{
    TakeSettingsSnapshot(&pageState.snapshot);
    pageState.tracked640x480Rate = (LONG)pageState.snapshot.rates[BOARD_MODE_640X480];
}

// Cancel: every rate and gamma back as the latest snapshot had it; a value
// absent then is deleted again.
void RestoreSnapshot(void)
{
    RestoreSettingsSnapshot(&pageState.snapshot);
    // The snapshot already holds the 640x480 rate from before any gamma test
    // since; keeping the saved rate would let a later apply put it over a
    // rate the user picks afterwards.
    pageState.savedGammaTestRate = 0;
}

static int SliderPosition(HWND hwnd, int sliderId)
{
    return (int)SendDlgItemMessageA(hwnd, sliderId, TBM_GETPOS, 0, 0);
}

LRESULT OnApply(HWND hwnd)
{
    SnapshotSettings();
    ApplyAutoexecSettings(SliderPosition(hwnd, IDC_GAMMA_R_SLIDER), SliderPosition(hwnd, IDC_GAMMA_G_SLIDER),
                          SliderPosition(hwnd, IDC_GAMMA_B_SLIDER), SliderPosition(hwnd, IDC_GRXCLK_SWITCH));
    if (pageState.gammaChanged)
        WriteSliderGammas(hwnd);
    if (pageState.savedGammaTestRate != 0) {
        // The boot file took the 60 Hz of the gamma test; the registry gets
        // the user's rate back, once, and so does the snapshot a later
        // cancel restores.
        SetRefreshRate((DWORD)pageState.savedGammaTestRate, BoardModes[GAMMA_TEST_MODE].width,
                       BoardModes[GAMMA_TEST_MODE].height);
        pageState.snapshot.rates[GAMMA_TEST_MODE] = (DWORD)pageState.savedGammaTestRate;
        pageState.savedGammaTestRate = 0;
    }
    if (GetCheckState(hwnd, IDC_RESTART_ON_APPLY) != 0 && pageState.restartNeeded == 1)
        SendMessageA(GetParent(hwnd), PSM_REBOOTSYSTEM, 0, 0);
    return PSNRET_NOERROR;
}

static void RepaintPage(HWND hwnd)
{
    RECT client;

    GetClientRect(hwnd, &client);
    InvalidateRect(hwnd, &client, TRUE);
}

void RunTest(HWND hwnd, int gammaMode)
{
    char path[TEST_PATH_SIZE];
    char arguments[TEST_SCREEN_ARGUMENTS_SIZE];
    int width;
    int height;
    int rate;
    int havePath;

    SnapshotSettings();
    if (!GetSelectedResolution(hwnd, IDC_RESOLUTION_LIST, &width, &height))
        return;
    rate = GetSelectedRate(hwnd, IDC_RATE_LIST);
    if (rate <= 0)
        return;
    SetRefreshRate((DWORD)rate, width, height);
    havePath = GetTestScreenPath(path, sizeof(path));
    if (gammaMode) {
        const BoardMode* gammaTestMode = &BoardModes[GAMMA_TEST_MODE];
        FormatTestScreenArguments(gammaTestMode->width, gammaTestMode->height, 1, arguments, sizeof(arguments));
        // A second gamma test finds the 60 Hz the first one forced: the rate
        // to put back is still the one saved before the first.
        if (pageState.savedGammaTestRate == 0)
            pageState.savedGammaTestRate = (LONG)GetRefreshRate(gammaTestMode->width, gammaTestMode->height);
        SetRefreshRate(GAMMA_TEST_RATE, gammaTestMode->width, gammaTestMode->height);
    } else {
        FormatTestScreenArguments(width, height, 0, arguments, sizeof(arguments));
    }
    if (havePath)
        RunTestScreen(path, arguments);
    RepaintPage(hwnd);
}

// Asks one of the two reset questions; 1 when the user answered yes.
static int AskReset(HWND hwnd, UINT questionId)
{
    char question[QUESTION_SIZE];

    LoadStringA(resourceModule, questionId, question, sizeof(question));
    return MessageBoxA(hwnd, question, WARNING_CAPTION, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void ResetRates(HWND hwnd)
{
    if (!AskReset(hwnd, IDS_RESET_RATES_QUESTION))
        return;
    ResetRefreshRates();
    SnapshotSettings();
    RepaintPage(hwnd);
}

void ResetGamma(HWND hwnd)
{
    if (!AskReset(hwnd, IDS_RESET_GAMMA_QUESTION))
        return;
    SetGamma(DEFAULT_GAMMA, GAMMA_CHANNEL_RED);
    SetGamma(DEFAULT_GAMMA, GAMMA_CHANNEL_GREEN);
    SetGamma(DEFAULT_GAMMA, GAMMA_CHANNEL_BLUE);
    InitGammaSliders(hwnd);
}

void SaveLockAndLastResolution(HWND hwnd)
{
    int width;
    int height;

    SetLockState((DWORD)GetCheckState(hwnd, IDC_LINK_CHANNELS));
    if (GetSelectedResolution(hwnd, IDC_RESOLUTION_LIST, &width, &height) == 1)
        SetLastResolution(width, height);
}
