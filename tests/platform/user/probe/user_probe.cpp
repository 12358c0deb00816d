// Test program for the program entry and the message loop. Prints
// "[command line]"; with the command line "fail" returns -1; with "loop" opens
// a window, presents a frame every 10 ms and prints each input message with
// the number of frames presented so far, until the window is destroyed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/display/presentation.h"

namespace {

unsigned long long Frames() { return static_cast<unsigned long long>(brontar::machine::PresentedFrameCount()); }

void PresentFrame() {
    static const uint16_t pixels[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    brontar::machine::PresentFrame(pixels, 2, 2, 4, brontar::machine::DisplayGamma{});
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: SetTimer(window, 1, 10, nullptr); return 0;
        case WM_TIMER: PresentFrame(); return 0;
        case WM_CHAR: std::printf("char %c %llu\n", static_cast<char>(wParam), Frames()); return 0;
        case WM_LBUTTONDOWN: std::printf("left\n"); return 0;
        case WM_RBUTTONDOWN: std::printf("right\n"); return 0;
        case WM_CLOSE: std::printf("close\n"); break;
        case WM_DESTROY: PostQuitMessage(3); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "UserProbe";
    if (!RegisterClassExA(&windowClass)) return 1;
    HWND window = CreateWindowExA(0, "UserProbe", "Probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) return 2;
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
    std::printf("[%s]\n", commandLine);
    std::printf("previous %s, inherited %s\n", previous == nullptr ? "null" : "set",
                std::getenv("BRONTAR_COMMAND_LINE") != nullptr ? "yes" : "no");
    std::fflush(stdout);
    if (std::strcmp(commandLine, "fail") == 0) return -1;
    if (std::strcmp(commandLine, "loop") == 0) {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        return RunWindow(instance);
    }
    return 0;
}
