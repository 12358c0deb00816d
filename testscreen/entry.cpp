// Entry of the test screen: the command line picks one of the board's four
// full-screen modes, the settings key gives its stored refresh rate, then the
// window runs the message loop until the test screen ends.
#include <windows.h>
#include <string.h>

#include "propsheet/settings_key.h"
#include "testscreen/test_screen.h"

#define COMMAND_LINE_BUFFER 2048
#define MODE_ARGUMENT_LENGTH 7
#define MIN_REFRESH 60
#define MAX_REFRESH 120
#define GAMMA_SWITCH "gamma"
#define GAMMA_TEST_MODE 2  // the gamma test runs at 640x480 only

MODESELECTION modeSelection = {640, 480, 60, 16};

typedef struct tagMODEARGUMENT {
    LPCSTR lpszArgument;     // the first seven characters of the token
    int width;
    int height;
    LPCSTR lpszRefreshValue; // value of the settings key holding the rate
} MODEARGUMENT;

static const MODEARGUMENT modeArguments[] = {
    {"512x384", 512, 384, "REFRESH_512x384"},
    {"640x400", 640, 400, "REFRESH_640x400"},
    {"640x480", 640, 480, "REFRESH_640x480"},
    {"800x600", 800, 600, "REFRESH_800x600"},
};

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

// Which mode the first token of the command line names, or -1.
int FindModeArgument(LPCSTR lpCmdLine)
{
    if (lpCmdLine == NULL)
        return -1;
    // Leading switch characters go; the token ends at the next one. Blanks
    // are part of the token.
    LPCSTR lpToken = lpCmdLine + strspn(lpCmdLine, "-/");
    size_t tokenLength = strcspn(lpToken, "-/");
    if (tokenLength < MODE_ARGUMENT_LENGTH)
        return -1;
    for (int i = 0; i < (int)(sizeof modeArguments / sizeof modeArguments[0]); i++) {
        if (strncmp(lpToken, modeArguments[i].lpszArgument, MODE_ARGUMENT_LENGTH) == 0)
            return i;
    }
    return -1;
}

// Reads the stored rate of a mode; a failed read leaves the rate as it was.
static void ReadStoredRefresh(LPCSTR lpszValueName, int* lpRefresh)
{
    LONG stored = *lpRefresh;
    DWORD size = sizeof stored;
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszValueName, (LPBYTE)&stored, &size) &&
        size == sizeof stored)
        *lpRefresh = stored;
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
        lpMode->width = modeArguments[mode].width;
        lpMode->height = modeArguments[mode].height;
        ReadStoredRefresh(modeArguments[mode].lpszRefreshValue, &lpMode->refresh);
        // The gamma test always looks at 60 Hz, whatever rate is stored.
        if (mode == GAMMA_TEST_MODE && strstr(commandLineCopy, GAMMA_SWITCH) != NULL)
            lpMode->refresh = 60;
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
