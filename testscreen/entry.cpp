// Entry of the test screen: the command line picks one of the board's four
// full-screen modes, the settings key gives its stored refresh rate, then the
// window runs the message loop until the test screen ends.
#include <windows.h>
#include <string.h>

#include "settings/settings_key.h"
#include "settings/test_screen_command.h"
#include "testscreen/test_screen.h"

#define COMMAND_LINE_BUFFER 2048
#define MIN_REFRESH 60
#define MAX_REFRESH 120

MODESELECTION modeSelection = {640, 480, 60, 16};

// The working copy of the command line, bounded: a longer line is cut.
static char commandLineCopy[COMMAND_LINE_BUFFER];

// Copies the command line into the working copy, cut to 2,047 characters.
static void CopyCommandLine(LPCSTR lpCmdLine)
{
    size_t length = strlen(lpCmdLine);
    if (length > COMMAND_LINE_BUFFER - 1)
        length = COMMAND_LINE_BUFFER - 1;
    memcpy(commandLineCopy, lpCmdLine, length);
    commandLineCopy[length] = '\0';
}

// The mode of the command line, with its stored rate kept within 60 to 120 Hz.
void SelectMode(LPCSTR lpCmdLine, MODESELECTION* lpMode)
{
    if (lpCmdLine == NULL)
        lpCmdLine = "";
    CopyCommandLine(lpCmdLine);
    lpMode->width = 640;
    lpMode->height = 480;
    lpMode->refresh = 60;
    lpMode->bitDepth = 16;

    int mode = FindModeArgument(lpCmdLine);
    if (mode >= 0) {
        LONG stored;
        lpMode->width = BoardModes[mode].width;
        lpMode->height = BoardModes[mode].height;
        // A failed read leaves the rate as it was.
        if (ReadFourByteRefreshRate(lpMode->width, lpMode->height, &stored))
            lpMode->refresh = (int)stored;
        // The gamma test always looks at 60 Hz, whatever rate is stored.
        if (mode == GAMMA_TEST_MODE && HasGammaSwitch(commandLineCopy))
            lpMode->refresh = GAMMA_TEST_RATE;
    }
    if (lpMode->refresh > MAX_REFRESH || lpMode->refresh < MIN_REFRESH)
        lpMode->refresh = 60;
}

// The entry: picks the mode, creates the window and runs the message loop.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)nCmdShow;
    SelectMode(lpCmdLine, &modeSelection);
    if (!InitApplication(hInstance))
        return 0;

    ShowWindow(hWndMain, SW_SHOW);
    UpdateWindow(hWndMain);
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, NULL, 0, 0)) != 0) {
        if (got == -1)
            return -1;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
