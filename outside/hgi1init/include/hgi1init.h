// hgi1init.dll: the chip maker's board initialisation library. Its maker ships
// this header with the library; it is no part of Windows.
#pragma once

#include <windows.h>

// What the board tells about itself.
typedef struct hgi1DeviceInfo {
    DWORD dwSize;            // sizeof(hgi1DeviceInfo)
    DWORD dwBoardNumber;     // the board asked about
    DWORD dwChipRevision;    // revision of the graphics chip
    DWORD dwFrameBufferMB;   // frame buffer memory in megabytes
    DWORD dwTextureMemoryMB; // texture memory in megabytes
    DWORD dwGraphicsClockMHz;// graphics clock at power-on
} hgi1DeviceInfo;

#ifdef __cplusplus
extern "C" {
#endif

// Maps the register space of the board with that number; null when there is
// no such board.
volatile DWORD* WINAPI hgi1InitMapBoard(DWORD dwBoardNumber);
// Puts the board's registers into their start-up state.
BOOL WINAPI hgi1InitRegisters(volatile DWORD* lpRegisters);
// Reads the board's information; FALSE when it cannot be read.
BOOL WINAPI hgi1InitGetDeviceInfo(volatile DWORD* lpRegisters, hgi1DeviceInfo* lpInfo);
// Leaves the board idle and releases its register space.
BOOL WINAPI hgi1InitShutdown(volatile DWORD* lpRegisters);

#ifdef __cplusplus
}
#endif
