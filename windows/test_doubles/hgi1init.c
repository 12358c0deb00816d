/* hgi1init.dll for Windows test runs: the chip maker's board library as a
 * test fixture (nothing installs it as a product file). It exports exactly
 * what windows/hgi1init.def lists, and answers as a present board unless
 * told otherwise:
 *
 *   HGI1INIT_BOARD=absent     hgi1InitMapBoard finds no board
 *   HGI1INIT_BOARD=noinfo     the board maps, but its information cannot be read
 *   HGI1INIT_LOG=FILE         every call appends its name and a line end to FILE
 *
 * so a test sees whether the page probed the board, and how far. */
#include <hgi1init.h>

/* The board's register space while it is mapped. */
static volatile DWORD boardRegisters[1024];

/* The variable's value, or "" when it is not set or longer than the room. */
static void ReadSetting(const char* name, char* value, DWORD room) {
    const DWORD length = GetEnvironmentVariableA(name, value, room);
    if (length == 0 || length >= room) value[0] = '\0';
}

static void LogCall(const char* function) {
    char path[MAX_PATH];
    ReadSetting("HGI1INIT_LOG", path, sizeof path);
    if (path[0] == '\0') return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    SetFilePointer(file, 0, NULL, FILE_END);
    WriteFile(file, function, lstrlenA(function), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

static BOOL BoardIs(const char* state) {
    char board[16];
    ReadSetting("HGI1INIT_BOARD", board, sizeof board);
    return lstrcmpiA(board, state) == 0;
}

static BOOL IsMapped(volatile DWORD* lpRegisters) { return lpRegisters == boardRegisters; }

volatile DWORD* WINAPI hgi1InitMapBoard(DWORD dwBoardNumber) {
    LogCall("hgi1InitMapBoard");
    if (dwBoardNumber != 0 || BoardIs("absent")) return NULL;
    return boardRegisters;
}

BOOL WINAPI hgi1InitRegisters(volatile DWORD* lpRegisters) {
    LogCall("hgi1InitRegisters");
    if (!IsMapped(lpRegisters)) return FALSE;
    for (DWORD i = 0; i < sizeof boardRegisters / sizeof boardRegisters[0]; ++i) boardRegisters[i] = 0;
    return TRUE;
}

BOOL WINAPI hgi1InitGetDeviceInfo(volatile DWORD* lpRegisters, hgi1DeviceInfo* lpInfo) {
    LogCall("hgi1InitGetDeviceInfo");
    if (!IsMapped(lpRegisters) || lpInfo == NULL || BoardIs("noinfo")) return FALSE;
    /* The board the machine simulates: 2 MB of frame buffer, 2 MB of
     * texture memory, a 50 MHz graphics clock at power-on. */
    lpInfo->dwSize = sizeof(hgi1DeviceInfo);
    lpInfo->dwBoardNumber = 0;
    lpInfo->dwChipRevision = 2;
    lpInfo->dwFrameBufferMB = 2;
    lpInfo->dwTextureMemoryMB = 2;
    lpInfo->dwGraphicsClockMHz = 50;
    return TRUE;
}

BOOL WINAPI hgi1InitShutdown(volatile DWORD* lpRegisters) {
    LogCall("hgi1InitShutdown");
    return IsMapped(lpRegisters);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
