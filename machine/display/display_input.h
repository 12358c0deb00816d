// What the user does at the board's display window: keys, mouse buttons and
// the close button, for the platform to turn into window messages.
#pragma once

#include <vector>

namespace brontar::machine {

struct DisplayInputEvent {
    enum class Kind { Character, LeftButton, RightButton, Close };
    Kind kind = Kind::Character;
    char character = 0;  // for Character: the typed character
    int x = 0;           // for the buttons: position in the picture
    int y = 0;
};

// True while a window shows the board's picture.
bool DisplayWindowOpen();

// The input given to the display window since the last call. While the window
// is open and nothing is pending, waits up to timeoutMs for the first event;
// without a window returns at once.
std::vector<DisplayInputEvent> TakeDisplayInput(int timeoutMs);

}  // namespace brontar::machine
