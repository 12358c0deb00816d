// Icons and cursors. The system's stock icons and cursors exist; the programs
// here carry no icon or cursor resources of their own, so asking a program
// module for one fails as it does on Windows for a missing resource, and the
// window shows the default icon.
#include <windows.h>

#include <string>

#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

// Ids of the stock icons (IDI_APPLICATION ... IDI_WINLOGO) and cursors (IDC_ARROW ... IDC_WAIT).
constexpr ULONG_PTR kFirstStockId = 32512;
constexpr ULONG_PTR kLastStockIcon = 32517;
constexpr ULONG_PTR kLastStockCursor = 32514;
// Stock handles: fixed values no other kind of handle takes, one per id.
constexpr uintptr_t kStockIconBase = 0x00020000;
constexpr uintptr_t kStockCursorBase = 0x00030000;

// The stock handle of a system image, or null with the error Windows gives.
HANDLE StockImage(HINSTANCE instance, LPCSTR name, ULONG_PTR lastId, uintptr_t base) {
    auto id = reinterpret_cast<ULONG_PTR>(name);
    if (instance == nullptr && IS_INTRESOURCE(name) && id >= kFirstStockId && id <= lastId)
        return reinterpret_cast<HANDLE>(base + (id - kFirstStockId));
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

}  // namespace

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return static_cast<HICON>(StockImage(hInstance, lpIconName, kLastStockIcon, kStockIconBase));
}

extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    return static_cast<HCURSOR>(StockImage(hInstance, lpCursorName, kLastStockCursor, kStockCursorBase));
}

// Icons and cursors as above, whatever the size asked for; image files and
// bitmaps are not loaded by this platform and say so.
extern "C" HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int, int, UINT fuLoad) {
    if (fuLoad & LR_LOADFROMFILE) {
        WriteDiagnostic("LoadImageA: loading images from files is not supported");
        return nullptr;
    }
    switch (type) {
        case IMAGE_ICON: return LoadIconA(hInst, name);
        case IMAGE_CURSOR: return LoadCursorA(hInst, name);
        default: WriteDiagnostic("LoadImageA: bitmap resources are not supported"); return nullptr;
    }
}
