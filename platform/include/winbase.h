// Kernel: errors, the Windows directory, the debug output.
#pragma once

#include "windef.h"
#include "processenv.h"
#include "processthreadsapi.h"

#ifdef __cplusplus
extern "C" {
#endif

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD dwErrCode);

// The Windows directory of the machine, without a trailing separator. Returns
// the length copied, or the size needed (with the terminator) when uSize is
// too small, or 0 on failure.
UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);

// On this platform debug output lands in the event log named by BRONTAR_LOG.
void WINAPI OutputDebugStringA(LPCSTR lpOutputString);

#ifdef __cplusplus
}
#endif
