// The board initialisation library: answers as machine.ini describes the
// board ([hgi1init] boardpresent, deviceinfo) and counts every call in the
// machine folder.
#include <hgi1init.h>

#include <exception>
#include <iostream>

#include "machine/hgi1init_calls.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"

namespace {

// The board's register space while it is mapped.
volatile DWORD boardRegisters[1024];

// Counts the call and answers the machine's description of the board;
// a machine that cannot be read has no board.
brontar::machine::MachineIni CountCall(const char* function) {
    try {
        brontar::machine::CountHgi1InitCall(brontar::machine::EnsureMachineFolder(), function);
        return brontar::machine::CurrentMachineIni();
    } catch (const std::exception& error) {
        std::cerr << function << ": " << error.what() << '\n';
        return brontar::machine::MachineIni::Parse("[hgi1init]\nboardpresent=no\n");
    }
}

bool IsMapped(volatile DWORD* lpRegisters) { return lpRegisters == boardRegisters; }

}  // namespace

extern "C" volatile DWORD* WINAPI hgi1InitMapBoard(DWORD dwBoardNumber) {
    const auto ini = CountCall("hgi1InitMapBoard");
    if (dwBoardNumber != 0 || !ini.GetBool("hgi1init", "boardpresent", true)) return nullptr;
    return boardRegisters;
}

extern "C" BOOL WINAPI hgi1InitRegisters(volatile DWORD* lpRegisters) {
    CountCall("hgi1InitRegisters");
    if (!IsMapped(lpRegisters)) return FALSE;
    for (volatile DWORD& reg : boardRegisters) reg = 0;
    return TRUE;
}

extern "C" BOOL WINAPI hgi1InitGetDeviceInfo(volatile DWORD* lpRegisters, hgi1DeviceInfo* lpInfo) {
    const auto ini = CountCall("hgi1InitGetDeviceInfo");
    if (!IsMapped(lpRegisters) || lpInfo == nullptr || !ini.GetBool("hgi1init", "deviceinfo", true)) return FALSE;
    lpInfo->dwSize = sizeof(hgi1DeviceInfo);
    lpInfo->dwBoardNumber = 0;
    // The one board the machine simulates: 2 MB of frame buffer, 2 MB of
    // texture memory, a 50 MHz graphics clock at power-on.
    lpInfo->dwChipRevision = 2;
    lpInfo->dwFrameBufferMB = 2;
    lpInfo->dwTextureMemoryMB = 2;
    lpInfo->dwGraphicsClockMHz = 50;
    return TRUE;
}

extern "C" BOOL WINAPI hgi1InitShutdown(volatile DWORD* lpRegisters) {
    CountCall("hgi1InitShutdown");
    return IsMapped(lpRegisters) ? TRUE : FALSE;
}
