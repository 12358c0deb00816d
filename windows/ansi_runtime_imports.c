/* Windows 95 has CreateSemaphoreW and GetModuleHandleW only as stubs that
 * fail, yet MinGW's runtime support calls them: libgcc's thread support
 * (CreateSemaphoreW(NULL, 0, 65535, NULL) for every mutex libstdc++ and the
 * unwinder take) and the C runtime's locale helpers
 * (GetModuleHandleW(L"msvcrt.dll")). These import slots, linked as an
 * object ahead of the system libraries, answer those calls with the ANSI
 * entries, so the Windows files import no W entry Windows 95 lacks
 * (check_imports.cmake). */
#include <windows.h>

/* A wide name as ANSI text in name[MAX_PATH]; FALSE (with
 * ERROR_FILENAME_EXCED_RANGE) when it does not convert whole. */
static BOOL AnsiName(LPCWSTR wide, char name[MAX_PATH]) {
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, name, MAX_PATH, NULL, NULL) == 0) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return TRUE;
}

static HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount,
                                         LPCWSTR wideName) {
    char name[MAX_PATH];
    if (wideName == NULL) return CreateSemaphoreA(security, initialCount, maximumCount, NULL);
    if (!AnsiName(wideName, name)) return NULL;
    return CreateSemaphoreA(security, initialCount, maximumCount, name);
}

static HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR wideName) {
    char name[MAX_PATH];
    if (wideName == NULL) return GetModuleHandleA(NULL);
    if (!AnsiName(wideName, name)) return NULL;
    return GetModuleHandleA(name);
}

/* The import slots' own names, as the import library would define them. */
HANDLE(WINAPI* const createSemaphoreWSlot)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__(
    "__imp__CreateSemaphoreW@16") = CreateSemaphoreAnsi;
HMODULE(WINAPI* const getModuleHandleWSlot)(LPCWSTR) __asm__("__imp__GetModuleHandleW@4") = GetModuleHandleAnsi;
