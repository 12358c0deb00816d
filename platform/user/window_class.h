// Registered window classes, found by name without regard to case.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace brontar::platform {

// What RegisterClassExA recorded about a class.
struct WindowClass {
    std::string name;          // as registered
    ATOM atom = 0;             // the class atom RegisterClassExA answered
    UINT style = 0;            // CS_* flags
    WNDPROC procedure = nullptr;
    int windowExtraBytes = 0;  // cbWndExtra
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

// The class named by a string or an atom (MAKEINTATOM); null when unknown.
// Windows keep their class alive through the shared pointer.
std::shared_ptr<const WindowClass> FindWindowClass(LPCSTR nameOrAtom);

}  // namespace brontar::platform
