// What the Windows build of the panel host adds to platform/automation.h,
// whose functions it implements with the real Win32 calls: the user stands
// in from the start of the program, and the texts a module draws are watched
// through its own import of DrawTextExA.
#pragma once

#include <windows.h>

namespace brontar::windows {

// Answers every message box of this thread from the first one on (a queued
// answer, else the box's default button) and notices the property sheet when
// it shows, so the sheet's driver can start. Call once, before any window.
void StandInForUser();

// The drawn-text observer sees the DrawTextExA calls of this module.
bool WatchDrawnTexts(HMODULE module);

}  // namespace brontar::windows
