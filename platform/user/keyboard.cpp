// Virtual keys to characters, the key state, and TranslateMessage.
#include "platform/user/keyboard.h"

#include <array>
#include <cstring>

#include "platform/user/message_queue.h"

namespace brontar::platform {
namespace {

// The punctuation keys of the US layout: key, character, shifted character.
struct PunctuationKey {
    int virtualKey;
    char plain;
    char shifted;
};
constexpr PunctuationKey kPunctuation[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'},  {0xBE, '.', '>'}, {0xBF, '/', '?'},
    {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// Bit 0x80: held down; bit 0x01: toggled (each press flips it).
std::array<BYTE, 256>& KeyState() {
    static std::array<BYTE, 256> state{};
    return state;
}

void SetKey(int virtualKey, bool down) {
    BYTE& entry = KeyState()[static_cast<size_t>(virtualKey & 0xFF)];
    if (down && !(entry & 0x80)) entry ^= 0x01;
    entry = static_cast<BYTE>(down ? (entry | 0x80) : (entry & ~0x80));
}

bool IsDown(int virtualKey) { return (KeyState()[static_cast<size_t>(virtualKey)] & 0x80) != 0; }

}  // namespace

char CharacterOfKey(int virtualKey, bool shift) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<char>(shift ? virtualKey : virtualKey + ('a' - 'A'));
    if (virtualKey >= '0' && virtualKey <= '9') return shift ? kShiftedDigits[virtualKey - '0'] : static_cast<char>(virtualKey);
    for (const PunctuationKey& key : kPunctuation)
        if (key.virtualKey == virtualKey) return shift ? key.shifted : key.plain;
    switch (virtualKey) {
        case VK_SPACE: return ' ';
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 0x1B;
        case VK_BACK: return '\b';
        case VK_TAB: return '\t';
        default: return 0;
    }
}

std::optional<KeyStroke> KeyOfCharacter(char character) {
    if (character >= 'a' && character <= 'z') return KeyStroke{character - 'a' + 'A', false};
    if (character >= 'A' && character <= 'Z') return KeyStroke{character, true};
    if (character >= '0' && character <= '9') return KeyStroke{character, false};
    if (const char* digit = std::strchr(kShiftedDigits, character); digit != nullptr && character != '\0')
        return KeyStroke{static_cast<int>('0' + (digit - kShiftedDigits)), true};
    for (const PunctuationKey& key : kPunctuation) {
        if (key.plain == character) return KeyStroke{key.virtualKey, false};
        if (key.shifted == character) return KeyStroke{key.virtualKey, true};
    }
    for (int virtualKey : {VK_SPACE, VK_RETURN, VK_ESCAPE, VK_BACK, VK_TAB})
        if (CharacterOfKey(virtualKey, false) == character) return KeyStroke{virtualKey, false};
    return std::nullopt;
}

void NoteRetrievedMessage(const MSG& message) {
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: SetKey(static_cast<int>(message.wParam), true); break;
        case WM_KEYUP:
        case WM_SYSKEYUP: SetKey(static_cast<int>(message.wParam), false); break;
        default: return;
    }
    // The left and right keys of a pair count as the pair's key too.
    SetKey(VK_SHIFT, IsDown(VK_SHIFT));
}

void ResetKeyState() { KeyState().fill(0); }

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" SHORT WINAPI GetKeyState(int nVirtKey) {
    BYTE entry = KeyState()[static_cast<size_t>(nVirtKey & 0xFF)];
    return static_cast<SHORT>(((entry & 0x80) ? 0x8000 : 0) | (entry & 0x01));
}

// A key-down message that types a character posts WM_CHAR (WM_SYSCHAR for a
// key pressed with Alt) to the same window; posted messages come before the
// input that followed the key. Control
// with a letter types the control character (Ctrl+A is 1).
extern "C" BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (lpMsg == nullptr) return FALSE;
    const UINT message = lpMsg->message;
    if (message == WM_KEYUP || message == WM_SYSKEYUP) return TRUE;
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return FALSE;
    const int virtualKey = static_cast<int>(lpMsg->wParam);
    char character = CharacterOfKey(virtualKey, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
    if ((GetKeyState(VK_CONTROL) & 0x8000) && virtualKey >= 'A' && virtualKey <= 'Z')
        character = static_cast<char>(virtualKey - 'A' + 1);
    if (character == 0) return TRUE;
    PostToQueue(lpMsg->hwnd, message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR,
                     static_cast<unsigned char>(character), lpMsg->lParam);
    return TRUE;
}
