// The test screen's command line: the page and `brontar test` write it, the
// test screen reads it. "/WxH" tests one of the board's modes, "/640x480
// /gamma" is the gamma test.
#pragma once

#include <windows.h>

#include "settings/settings_key.h"

// The gamma test shows 640x480 at 60 Hz, whatever mode the page has selected.
#define GAMMA_TEST_MODE BOARD_MODE_640X480
#define GAMMA_TEST_RATE 60
// These letters anywhere in the line, also inside a word, make a test of
// 640x480 the gamma test.
#define GAMMA_SWITCH "gamma"
// The characters of the first token that name the mode ("640x480").
#define MODE_ARGUMENT_LENGTH 7
// Room for the longest arguments, "/-2147483648x-2147483648 /gamma", and a terminator.
#define TEST_SCREEN_ARGUMENTS_SIZE 32

// Writes "/WxH", followed by " /gamma" for the gamma test, into the buffer.
// Returns 1, or 0 with an empty text when it does not fit.
int FormatTestScreenArguments(int width, int height, int gammaTest, LPSTR lpszArguments, int cchArguments);

// The entry of BoardModes that the first token of the command line names, or
// -1. Leading '-' and '/' are skipped and the token ends at the next one
// (blanks belong to it); its first seven characters must match the mode
// exactly, in lower case ("640x480"); further characters are ignored.
int FindModeArgument(LPCSTR lpszCommandLine);

// 1 when the line holds the letters of the gamma switch, else 0.
int HasGammaSwitch(LPCSTR lpszCommandLine);
