// The calls into the 16-bit support library qorhlp16.dll.
#pragma once

#include <windows.h>

// The device key path of the attached monitor below HKEY_LOCAL_MACHINE, into
// the buffer: the 16-bit answer of GETMONITORPATH16, non-zero when the buffer
// holds the path (the last answer kept when the library cannot be reached).
WORD GetMonitorPath(LPSTR lpszBuffer, WORD cbBuffer);

// The recorded board answer: 1 present, -1 absent, 0 nothing recorded (the
// last answer kept when the library cannot be reached).
SHORT QueryInstalledFlag(void);

// Records the board-present flag (0 or 1).
void StoreInstalledFlag(int flag);
