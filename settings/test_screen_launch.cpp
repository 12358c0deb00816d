#include "settings/test_screen_launch.h"

#include <stdio.h>
#include <string.h>

// Size of the command line buffer: the path, a blank and the arguments.
#define TEST_SCREEN_COMMAND_LINE_SIZE 1024
// How long one wait on the running test screen lasts before asking again.
#define TEST_SCREEN_POLL_MS 500

static const char programName[] = "\\BRNTRTST.EXE";

// The launch's error box: the error code in eight hexadecimal digits.
static void ShowLaunchError(DWORD dwError)
{
    char szMessage[64];
    snprintf(szMessage, sizeof szMessage, "Last Error = 0x%08lx", (unsigned long)dwError);
    MessageBoxA(NULL, szMessage, "Error:", MB_OK);
}

int GetTestScreenPath(LPSTR lpszPath, UINT cbPath)
{
    UINT cchDirectory = GetWindowsDirectoryA(lpszPath, cbPath);
    // GetWindowsDirectoryA answers the size it needs when the buffer is too small.
    if (cchDirectory == 0 || cchDirectory >= cbPath || cchDirectory + sizeof programName > cbPath) {
        if (cbPath > 0)
            lpszPath[0] = 0;
        if (cchDirectory != 0)
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
        ShowLaunchError(GetLastError());
        return 0;
    }
    memcpy(lpszPath + cchDirectory, programName, sizeof programName);
    return 1;
}

int RunTestScreen(LPCSTR lpszProgramPath, LPCSTR lpszArguments)
{
    STARTUPINFOA startupInfo;
    memset(&startupInfo, 0, sizeof startupInfo);
    startupInfo.cb = sizeof startupInfo;
    startupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startupInfo.wShowWindow = 10;  // SW_SHOWDEFAULT

    char szCommandLine[TEST_SCREEN_COMMAND_LINE_SIZE];
    int cchCommandLine = snprintf(szCommandLine, sizeof szCommandLine, "%s %s", lpszProgramPath, lpszArguments);
    if (cchCommandLine < 0 || (size_t)cchCommandLine >= sizeof szCommandLine) {
        ShowLaunchError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }

    PROCESS_INFORMATION processInfo;
    memset(&processInfo, 0, sizeof processInfo);
    BOOL started = CreateProcessA(lpszProgramPath, szCommandLine, NULL, NULL, FALSE,
                                  DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, NULL, NULL, &startupInfo, &processInfo);
    if (started != TRUE) {
        ShowLaunchError(GetLastError());
        return 0;
    }

    DWORD dwExitCode = STILL_ACTIVE;
    while (GetExitCodeProcess(processInfo.hProcess, &dwExitCode) && dwExitCode == STILL_ACTIVE)
        WaitForSingleObject(processInfo.hProcess, TEST_SCREEN_POLL_MS);
    CloseHandle(processInfo.hThread);
    CloseHandle(processInfo.hProcess);
    return 1;
}
