#include "propsheet/board_probe.h"

#include <hgi1init.h>

#include "propsheet/thunk/qorhlp16_calls.h"

// 1 when the board counts as present.
static int g_bBoardInstalled = 0;
// What the board told about itself at the last probe; only the success counts.
static hgi1DeviceInfo g_deviceInfo;

int IsBoardInstalled(HWND /*hwndOwner*/) {
    SHORT sRecorded = QueryInstalledFlag();
    if (sRecorded == -1) {
        g_bBoardInstalled = 0;
    } else if (sRecorded == 1) {
        g_bBoardInstalled = 1;
    } else if (sRecorded == 0) {
        g_bBoardInstalled = 0;
        ProbeBoard();
        StoreInstalledFlag(g_bBoardInstalled);
    }
    return g_bBoardInstalled;
}

void ProbeBoard(void) {
    g_bBoardInstalled = 0;
    volatile DWORD* lpRegisters = hgi1InitMapBoard(0);
    if (lpRegisters == NULL) return;
    hgi1InitRegisters(lpRegisters);
    g_deviceInfo.dwSize = sizeof g_deviceInfo;
    if (!hgi1InitGetDeviceInfo(lpRegisters, &g_deviceInfo)) return;
    hgi1InitShutdown(lpRegisters);
    g_bBoardInstalled = 1;
}
