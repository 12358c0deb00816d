// The keyboard: the US layout that turns virtual keys into characters, and
// the key state as the messages retrieved so far leave it (GetKeyState).
#pragma once

#include <windows.h>

#include <optional>

namespace brontar::platform {

// The character a key gives on the US layout, with or without Shift; 0 for
// a key that types nothing.
char CharacterOfKey(int virtualKey, bool shift);

// The key (and whether Shift is needed) that types an ASCII character on the
// US layout; nothing for a character no key types.
struct KeyStroke {
    int virtualKey = 0;
    bool shift = false;
};
std::optional<KeyStroke> KeyOfCharacter(char character);

// Key messages update the key state as the program retrieves them, so
// GetKeyState answers what was down when the message being handled was made.
void NoteRetrievedMessage(const MSG& message);

// Forgets every key held (for tests that start afresh).
void ResetKeyState();

}  // namespace brontar::platform
