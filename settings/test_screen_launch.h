// Starting the test screen BRNTRTST from the Windows directory and waiting
// until it has ended.
#pragma once

#include <windows.h>

// Size of the program path buffer the page passes.
#define TEST_SCREEN_PATH_SIZE 256

// Writes the Windows directory followed by "\BRNTRTST.EXE" and returns 1.
// A directory that leaves no room for the name in cbPath bytes is refused:
// the launch's error box, and 0.
int GetTestScreenPath(LPSTR lpszPath, UINT cbPath);

// Starts the program with the command line "<path> <arguments>" and blocks
// until it has ended: 1. When it cannot be started: the launch's error box
// with the last error, and 0.
int RunTestScreen(LPCSTR lpszProgramPath, LPCSTR lpszArguments);
