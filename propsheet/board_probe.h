// Whether the Brontar 3D board is in the machine: the recorded answer, or a
// probe of the board the first time.
#pragma once

#include <windows.h>

// 1 when the board counts as present, else 0. Probes the board only while
// no answer is recorded, and records the probe's answer.
int IsBoardInstalled(HWND hwndOwner);

// Probes board 0; sets the installed flag to 1 when it answers.
void ProbeBoard(void);
