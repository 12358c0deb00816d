// The board's settings: the one registry key that the page writes and the
// test screen reads, its values, the board's four full-screen modes, and the
// typed reads and writes through which the page and the test screen reach it.
#pragma once

#include <windows.h>

#include "settings/registry_access.h"

// Below HKEY_LOCAL_MACHINE; created on the first write.
#define SETTINGS_KEY_PATH "Software\\Corvane Interactive\\Halcyon Graphics"

// "REFRESH_%dx%d" with the width and height (REG_DWORD, Hz; absent = 0).
#define REFRESH_VALUE_FORMAT "REFRESH_%dx%d"
// Gamma values: REG_DWORD type code holding the bits of a single-precision
// float (absent = 1.7, bytes 9A 99 D9 3F).
#define GAMMA_VALUE_NAME "HGI_GAMMA"
#define GAMMA_RED_VALUE_NAME "HGI_GAMMAR"
#define GAMMA_GREEN_VALUE_NAME "HGI_GAMMAG"
#define GAMMA_BLUE_VALUE_NAME "HGI_GAMMAB"
// State of the check box linking the colour sliders: 0 clear, 1 set, 2 indeterminate.
#define LOCKED_VALUE_NAME "KSX_LOCKED"
// Last selected resolution: height in the high 16 bits, width in the low 16.
#define LAST_RESOLUTION_VALUE_NAME "KSX_LASTREZ"

#define DEFAULT_GAMMA 1.7f

// The four gamma values, in the order of their names above.
typedef enum GammaChannel {
    GAMMA_CHANNEL_OVERALL = 0,
    GAMMA_CHANNEL_RED = 1,
    GAMMA_CHANNEL_GREEN = 2,
    GAMMA_CHANNEL_BLUE = 3,
    GAMMA_CHANNEL_COUNT = 4
} GammaChannel;

// One of the board's full-screen resolutions, each with a stored rate.
typedef struct BoardMode {
    int width;   // pixels
    int height;  // pixels
} BoardMode;

// The board's four full-screen modes, in the order the page lists their
// rates and the test screen tries its mode argument: 512x384, 640x400,
// 640x480, 800x600.
#define BOARD_MODE_COUNT 4
extern const BoardMode BoardModes[BOARD_MODE_COUNT];
// The entry of 640x480, whose rate also goes into the boot file and which the
// gamma test shows.
#define BOARD_MODE_640X480 2

// Typed accessors on the settings key.

// The stored rate of the mode in Hz, 0 when it cannot be read. Data shorter
// than four bytes is taken byte for byte.
DWORD GetRefreshRate(int width, int height);
// The test screen's read: when the value holds exactly four bytes, their
// signed number into *lpRate and 1; else 0 with *lpRate as it was.
int ReadFourByteRefreshRate(int width, int height, LONG* lpRate);
// Stores the rate as a four-byte REG_DWORD (0 too: only the restore below deletes).
void SetRefreshRate(DWORD rate, int width, int height);
// Deletes the stored rates of the four board modes, in table order, and nothing else.
void ResetRefreshRates(void);
// The stored gamma of the channel, 1.7 when it cannot be read.
float GetGamma(int channel);
// Stores the four bytes of the float with the REG_DWORD type code.
void SetGamma(float value, int channel);
// The stored state of the linking check box, 0 when it cannot be read.
DWORD GetLockState(void);
void SetLockState(DWORD state);
// The last selected resolution; 0 x 0 when it cannot be read.
void GetLastResolution(int* lpWidth, int* lpHeight);
void SetLastResolution(int width, int height);

// The rates and gammas as the page found them, to put back when the user cancels.
typedef struct SettingsSnapshot {
    DWORD rates[BOARD_MODE_COUNT];      // in BoardModes order; 0 = not set
    float gammas[GAMMA_CHANNEL_COUNT];  // by channel; 0.0 = not set
} SettingsSnapshot;

// Reads the four rates in table order, then the gammas red, green, blue,
// overall: an absent rate is 0, an absent gamma 1.7.
void TakeSettingsSnapshot(SettingsSnapshot* lpSnapshot);
// Writes every value back in the order it was read, each under its own name,
// with the rule that zero means absent: a rate of 0 or a gamma of exactly
// 0.0 deletes its value, anything else is written.
void RestoreSettingsSnapshot(const SettingsSnapshot* lpSnapshot);

// Gamma slider scale: position p stands for 0.25 + 0.05 x p (single precision).
float PositionToGamma(int position);
// The position whose gamma is nearest to the value (negative below 0.25).
int GammaToPosition(float value);

// Writes the value with a fixed number of decimals into the buffer, never more
// than bufferSize - 1 characters and a terminator. Returns 1 when the whole
// text fit, else 0 (the text then ends one character early).
int FormatFixed(double value, int decimals, char* lpBuffer, int bufferSize);
