// What the user does at the desktop windows (the board's and those showing
// windows of programs): keys, the pointer and the close button, for the
// platform to turn into window messages. Headless, the keys typed at the
// program's terminal come in the same way, as the board window's.
#pragma once

#include <cstdint>
#include <vector>

namespace brontar::machine {

struct DisplayInputEvent {
    enum class Kind { KeyDown, KeyUp, PointerMove, ButtonDown, ButtonUp, Close, Character };
    Kind kind = Kind::Close;
    int key = 0;           // keys: the PC keyboard's virtual-key number (0x41 for A, 0x0D for Enter)
    bool rightButton = false;  // buttons: the right one, else the left
    int x = 0;             // pointer: position in the window's picture (1x)
    int y = 0;
    uint64_t window = 0;   // the desktop window: 0 for the board's, else the key it was shown with
    char character = 0;    // Character: a character typed at a terminal, whose keys the platform knows
};

// True while any desktop window is open.
bool DisplayWindowOpen();

// True while input can come: a desktop window is open, or the terminal's
// keys are taken (ListenToTerminal).
bool DisplayInputOpen();

// The input given to the desktop windows and the terminal since the last
// call. While input can come and nothing is pending, waits up to timeoutMs
// for the first event; otherwise returns at once.
std::vector<DisplayInputEvent> TakeDisplayInput(int timeoutMs);

}  // namespace brontar::machine
