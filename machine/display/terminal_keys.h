// Keys typed at the terminal a headless program runs in: the terminal is
// put in raw mode while the program listens, and each byte or escape
// sequence becomes the key a keyboard at the board's window would give.
#pragma once

#include <string_view>
#include <vector>

#include "machine/display/display_input.h"

namespace brontar::machine {

// What a run of terminal bytes means.
struct TerminalKeys {
    std::vector<DisplayInputEvent> events;  // for the board's window (window 0)
    bool interrupted = false;               // Ctrl+C came (the bytes after it are dropped)
};

// Turns terminal bytes into keys: printable characters as typed characters,
// Enter, Tab, Backspace and Escape, the VT100 sequences of the arrows, Home,
// End, Page Up, Page Down and Delete, Ctrl+letter as Ctrl held with the
// letter. An escape sequence cut off at the end of the bytes is dropped,
// bytes above 0x7F are ignored.
TerminalKeys TranslateTerminalBytes(std::string_view bytes);

// Puts standard input in raw mode when it is the terminal of the program's
// foreground, until the process ends (exit, a signal, or Ctrl+C, which
// restores the terminal and interrupts the foreground as Ctrl+C does).
// Refuses a terminal another program already keeps raw. True while
// listening.
bool ListenToTerminal();

// True while the terminal's keys are taken.
bool ListeningToTerminal();

// The keys typed since the last call; waits up to timeoutMs for the first.
// Nothing when not listening; a hung-up terminal ends the listening.
std::vector<DisplayInputEvent> TakeTerminalKeys(int timeoutMs);

// Gives the terminal back as it was (also done when the process ends).
void StopListeningToTerminal();

}  // namespace brontar::machine
