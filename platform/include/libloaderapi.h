// Kernel: libraries (load, free, exports) and their resources; LoadStringA.
#pragma once

#include "windef.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEA(i)
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_DIALOG MAKEINTRESOURCEA(5)

#ifdef __cplusplus
extern "C" {
#endif

// The library entry point a module may export (DllMain).
typedef BOOL(WINAPI* PDLL_ENTRY)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

// Loads a library by DOS name with the Windows search order (the program's
// directory, the current directory, the system directory, the Windows
// directory, PATH), runs its entry with DLL_PROCESS_ATTACH on the first load,
// and fails (NULL, ERROR_DLL_INIT_FAILED) when the entry answers FALSE. A
// name without an extension gets ".DLL". Reference counted.
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
// Drops one reference; the last one runs DLL_PROCESS_DETACH and unloads.
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// NULL gives the program's own module.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);

// String uID of the module's string table in the user's language, as UTF-8
// (this platform's ANSI code page), cut at a character boundary to fit
// cchBufferMax - 1 bytes. Returns the bytes copied; 0 when there is no such
// string (the buffer then holds an empty text).
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

#ifdef __cplusplus
}
#endif
