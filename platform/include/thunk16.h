// The Windows 95 flat thunk: 32-bit code calling into a 16-bit library.
// KERNEL32 exports these by ordinal only (LoadLibrary16 35, FreeLibrary16 36,
// GetProcAddress16 37); Windows shipped no header for them.
//
// A call goes: LoadLibrary16, GetProcAddress16, SMapLS_IP_EBP_8 for every
// buffer the 16-bit side writes, QT_Thunk with the 16-bit arguments, then
// SUnMapLS_IP_EBP_8 and FreeLibrary16. On Windows QT_Thunk takes the target
// in EDX and the arguments from the caller's stack; here the same step takes
// them as parameters: the 16-bit words in the order they are pushed (a far
// procedure takes its arguments left to right; a 16:16 pointer is pushed as
// one double word, segment word first).
#pragma once

#include <windows.h>

typedef WORD HINSTANCE16;  // a 16-bit module; below 32 is an error code
typedef DWORD SEGPTR;      // a 16:16 pointer: selector in the high word
typedef DWORD FARPROC16;   // a 16:16 address of a far procedure

#ifdef __cplusplus
extern "C" {
#endif

// Loads a 16-bit library: searched in the Windows system directory, then
// the Windows directory. Answers an error code below 32 on failure
// (2: the file is not there).
HINSTANCE16 WINAPI LoadLibrary16(LPCSTR lpLibFileName);
void WINAPI FreeLibrary16(HINSTANCE16 hLibModule);
// The exported far procedure of that name, or 0.
FARPROC16 WINAPI GetProcAddress16(HINSTANCE16 hModule, LPCSTR lpProcName);

// Makes a 16:16 pointer for a 32-bit buffer (0 for a null buffer), and
// releases it again.
SEGPTR WINAPI SMapLS_IP_EBP_8(LPVOID lpBuffer);
void WINAPI SUnMapLS_IP_EBP_8(SEGPTR segptr);

// Calls the far procedure with cbArgs bytes of 16-bit arguments (lpArgs in
// push order). Answers DX:AX of the procedure.
DWORD WINAPI QT_Thunk(FARPROC16 lpfnTarget, const WORD* lpArgs, DWORD cbArgs);

#ifdef __cplusplus
}
#endif
