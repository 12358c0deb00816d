// The four registry routines through which all registry traffic of both
// programs goes. The root is a registry root; paths are relative to it.
#pragma once

#include <windows.h>

// Opens the existing key below the root, reads the named value into the
// buffer (capacity in *lpcbData, stored size out) and closes the key. Returns
// 1 when both the open and the query succeeded, else 0; returns 0 at once,
// touching nothing, when any argument is missing.
int ReadRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, LPBYTE lpData, LPDWORD lpcbData);

// Opens (creating it and its parents) the key and stores the bytes under the
// name with the type code. Does nothing when an argument is missing; failures
// are silent.
void WriteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, DWORD dwType, const BYTE* lpData,
                        DWORD cbData);

// Deletes the named value of an existing key; silent when anything is missing.
void DeleteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName);

// The number of direct subkeys, or -1 when the key cannot be opened or queried.
int CountSubkeys(HKEY hRootKey, LPCSTR lpszKeyPath);
