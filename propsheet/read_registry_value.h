// The one registry read of both deliverables: the page's settings store and
// the test screen's entry use the same routine.
#pragma once

#include <windows.h>

// Opens the existing key below the root, reads the named value into the
// buffer (capacity in *lpcbData, stored size out) and closes the key. Returns
// 1 when both the open and the query succeeded, else 0; returns 0 at once,
// touching nothing, when any argument is missing.
int ReadRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, LPBYTE lpData, LPDWORD lpcbData);
