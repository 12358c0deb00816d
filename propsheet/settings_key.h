// The board's settings key: its path, its value names and the routines
// through which all registry traffic of the page goes.
#pragma once

#include <windows.h>

#include "propsheet/read_registry_value.h"

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

// Generic registry routines; the root is a registry root, paths are relative to it.

// Opens (creating it and its parents) the key and stores the bytes under the
// name with the type code. Does nothing when an argument is missing; failures
// are silent.
void WriteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, DWORD dwType, const BYTE* lpData,
                        DWORD cbData);
// Deletes the named value of an existing key; silent when anything is missing.
void DeleteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName);
// The number of direct subkeys, or -1 when the key cannot be opened or queried.
int CountSubkeys(HKEY hRootKey, LPCSTR lpszKeyPath);

// Typed accessors on the settings key.

// The stored rate of the mode in Hz, 0 when it cannot be read.
DWORD GetRefreshRate(int width, int height);
// Stores the rate as a four-byte REG_DWORD (0 too: deleting is the caller's step).
void SetRefreshRate(DWORD rate, int width, int height);
// Deletes the stored rate of the mode.
void DeleteRefreshRate(int width, int height);
// The stored gamma of the channel, 1.7 when it cannot be read.
float GetGamma(int channel);
// Stores the four bytes of the float with the REG_DWORD type code.
void SetGamma(float value, int channel);
// Deletes the stored gamma of the channel.
void DeleteGamma(int channel);
// The stored state of the linking check box, 0 when it cannot be read.
DWORD GetLockState(void);
void SetLockState(DWORD state);
// The last selected resolution; 0 x 0 when it cannot be read.
void GetLastResolution(int* lpWidth, int* lpHeight);
void SetLastResolution(int width, int height);

// Writing back with the rule that zero means absent (the restore of the
// page's snapshot goes value by value through these): a rate of 0 deletes the
// mode's value, a gamma of exactly 0.0 deletes the channel's value, anything
// else is written.
void SaveRefreshRate(DWORD rate, int width, int height);
void SaveGamma(float value, int channel);
// Deletes the four "REFRESH_" values of the board's modes, in the order
// 512x384, 640x400, 640x480, 800x600, and nothing else.
void ResetRefreshRates(void);

// Gamma slider scale: position p stands for 0.25 + 0.05 x p (single precision).
float PositionToGamma(int position);
// The position whose gamma is nearest to the value (negative below 0.25).
int GammaToPosition(float value);

// Writes the value with a fixed number of decimals into the buffer, never more
// than bufferSize - 1 characters and a terminator. Returns 1 when the whole
// text fit, else 0 (the text then ends one character early).
int FormatFixed(double value, int decimals, char* lpBuffer, int bufferSize);
