// The process environment.
#pragma once

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

// Copies the variable's value (name matched without regard to case). Returns
// its length without the terminator, or the size needed with the terminator
// when nSize is too small, or 0 with ERROR_ENVVAR_NOT_FOUND when it is not
// set. The variables Windows 95 sets itself (windir, winbootdir) come from
// the machine when the environment lacks them.
DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
#define GetEnvironmentVariable GetEnvironmentVariableA

#ifdef __cplusplus
}
#endif
