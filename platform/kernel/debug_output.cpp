#include <windows.h>

#include "platform/kernel/event_log.h"

extern "C" void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    if (lpOutputString != nullptr) brontar::platform::WriteEventLog(lpOutputString);
}
