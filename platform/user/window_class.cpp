#include "platform/user/window_class.h"

#include <strings.h>

#include <vector>

#include "platform/user/window_store.h"

namespace brontar::platform {

namespace {

// Largest class name accepted, as on Windows.
constexpr size_t kMaxClassNameLength = 255;
// Class atoms come from the range Windows gives string atoms.
constexpr ATOM kFirstClassAtom = 0xC000;

struct ClassTable {
    std::vector<std::shared_ptr<const WindowClass>> classes;
    ATOM nextAtom = kFirstClassAtom;
};

ClassTable& Classes() {
    static ClassTable table;
    return table;
}

bool NamesClass(LPCSTR nameOrAtom, const WindowClass& windowClass) {
    if (IS_INTRESOURCE(nameOrAtom)) return reinterpret_cast<ULONG_PTR>(nameOrAtom) == windowClass.atom;
    return ::strcasecmp(nameOrAtom, windowClass.name.c_str()) == 0;
}

}  // namespace

std::shared_ptr<const WindowClass> FindWindowClass(LPCSTR nameOrAtom) {
    if (nameOrAtom == nullptr) return nullptr;
    for (const auto& windowClass : Classes().classes)
        if (NamesClass(nameOrAtom, *windowClass)) return windowClass;
    return nullptr;
}

}  // namespace brontar::platform

using namespace brontar::platform;

// Records a class; 0 when the record is malformed or the name is taken.
extern "C" ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpwcx) {
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) || lpwcx->lpfnWndProc == nullptr ||
        lpwcx->lpszClassName == nullptr || IS_INTRESOURCE(lpwcx->lpszClassName) || lpwcx->cbWndExtra < 0 ||
        lpwcx->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = ::strnlen(lpwcx->lpszClassName, kMaxClassNameLength + 1);
    if (length == 0 || length > kMaxClassNameLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindWindowClass(lpwcx->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ClassTable& table = Classes();
    if (table.nextAtom == 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name.assign(lpwcx->lpszClassName, length);
    windowClass->atom = table.nextAtom++;
    windowClass->style = lpwcx->style;
    windowClass->procedure = lpwcx->lpfnWndProc;
    windowClass->windowExtraBytes = lpwcx->cbWndExtra;
    windowClass->instance = lpwcx->hInstance;
    windowClass->icon = lpwcx->hIcon;
    windowClass->smallIcon = lpwcx->hIconSm;
    windowClass->cursor = lpwcx->hCursor;
    windowClass->background = lpwcx->hbrBackground;
    table.classes.push_back(windowClass);
    return windowClass->atom;
}

// Forgets a class no window uses any more.
extern "C" BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    auto windowClass = FindWindowClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (AnyWindowOfClass(*windowClass)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase(Classes().classes, windowClass);
    return TRUE;
}

// The class name of a window, cut to fit the buffer; its length, 0 on failure.
extern "C" int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    Window* window = LookUpWindow(hWnd);
    if (window == nullptr || lpClassName == nullptr || nMaxCount <= 0) return 0;
    size_t count = std::min(window->windowClass->name.size(), static_cast<size_t>(nMaxCount - 1));
    window->windowClass->name.copy(lpClassName, count);
    lpClassName[count] = '\0';
    return static_cast<int>(count);
}
