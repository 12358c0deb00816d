// The settings store: every read and write of the settings key, the restore
// of a snapshot, and the conversions between stored gammas and slider
// positions.
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "settings/settings_key.h"

#define REFRESH_NAME_SIZE 32

const BoardMode BoardModes[BOARD_MODE_COUNT] = {{512, 384}, {640, 400}, {640, 480}, {800, 600}};

static const char* const gammaValueNames[GAMMA_CHANNEL_COUNT] = {
    GAMMA_VALUE_NAME, GAMMA_RED_VALUE_NAME, GAMMA_GREEN_VALUE_NAME, GAMMA_BLUE_VALUE_NAME};

// The snapshot reads and restores the gammas in this order.
static const int snapshotGammaOrder[GAMMA_CHANNEL_COUNT] = {GAMMA_CHANNEL_RED, GAMMA_CHANNEL_GREEN,
                                                            GAMMA_CHANNEL_BLUE, GAMMA_CHANNEL_OVERALL};

// The value name of a mode's refresh rate; each dimension taken as 16 bits.
static void RefreshValueName(int width, int height, char* lpszName, int cbName)
{
    snprintf(lpszName, (size_t)cbName, REFRESH_VALUE_FORMAT, (int)(WORD)width, (int)(WORD)height);
}

// The value name of a gamma channel, or NULL for a channel out of range.
static LPCSTR GammaValueName(int channel)
{
    if (channel < GAMMA_CHANNEL_OVERALL || channel >= GAMMA_CHANNEL_COUNT)
        return NULL;
    return gammaValueNames[channel];
}

// Reads up to four bytes of a settings value over the caller's bytes, which
// stay when the value is missing or longer than four bytes. Returns the
// number of bytes read, 0 when the read failed.
static DWORD ReadSettingsDword(LPCSTR lpszValueName, BYTE bytes[4])
{
    DWORD cbData = 4;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszValueName, bytes, &cbData))
        return 0;
    return cbData;
}

static void WriteSettingsDword(LPCSTR lpszValueName, const BYTE bytes[4])
{
    WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszValueName, REG_DWORD, bytes, 4);
}

static DWORD BytesToDword(const BYTE bytes[4])
{
    return (DWORD)bytes[0] | ((DWORD)bytes[1] << 8) | ((DWORD)bytes[2] << 16) | ((DWORD)bytes[3] << 24);
}

static void DwordToBytes(DWORD value, BYTE bytes[4])
{
    bytes[0] = (BYTE)value;
    bytes[1] = (BYTE)(value >> 8);
    bytes[2] = (BYTE)(value >> 16);
    bytes[3] = (BYTE)(value >> 24);
}

DWORD GetRefreshRate(int width, int height)
{
    char szName[REFRESH_NAME_SIZE];
    BYTE bytes[4] = {0, 0, 0, 0};
    RefreshValueName(width, height, szName, sizeof szName);
    ReadSettingsDword(szName, bytes);
    return BytesToDword(bytes);
}

int ReadFourByteRefreshRate(int width, int height, LONG* lpRate)
{
    char szName[REFRESH_NAME_SIZE];
    BYTE bytes[4] = {0, 0, 0, 0};
    RefreshValueName(width, height, szName, sizeof szName);
    if (ReadSettingsDword(szName, bytes) != 4)
        return 0;
    *lpRate = (LONG)BytesToDword(bytes);
    return 1;
}

void SetRefreshRate(DWORD rate, int width, int height)
{
    char szName[REFRESH_NAME_SIZE];
    BYTE bytes[4];
    RefreshValueName(width, height, szName, sizeof szName);
    DwordToBytes(rate, bytes);
    WriteSettingsDword(szName, bytes);
}

static void DeleteRefreshRate(int width, int height)
{
    char szName[REFRESH_NAME_SIZE];
    RefreshValueName(width, height, szName, sizeof szName);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, szName);
}

void ResetRefreshRates(void)
{
    for (int i = 0; i < BOARD_MODE_COUNT; i++)
        DeleteRefreshRate(BoardModes[i].width, BoardModes[i].height);
}

float GetGamma(int channel)
{
    LPCSTR lpszName = GammaValueName(channel);
    float value = DEFAULT_GAMMA;
    BYTE bytes[4];
    if (lpszName == NULL)
        return value;
    memcpy(bytes, &value, 4);
    ReadSettingsDword(lpszName, bytes);
    memcpy(&value, bytes, 4);
    return value;
}

void SetGamma(float value, int channel)
{
    LPCSTR lpszName = GammaValueName(channel);
    BYTE bytes[4];
    if (lpszName == NULL)
        return;
    memcpy(bytes, &value, 4);
    WriteSettingsDword(lpszName, bytes);
}

static void DeleteGamma(int channel)
{
    LPCSTR lpszName = GammaValueName(channel);
    if (lpszName == NULL)
        return;
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszName);
}

DWORD GetLockState(void)
{
    BYTE bytes[4] = {0, 0, 0, 0};
    ReadSettingsDword(LOCKED_VALUE_NAME, bytes);
    return BytesToDword(bytes);
}

void SetLockState(DWORD state)
{
    BYTE bytes[4];
    DwordToBytes(state, bytes);
    WriteSettingsDword(LOCKED_VALUE_NAME, bytes);
}

void GetLastResolution(int* lpWidth, int* lpHeight)
{
    BYTE bytes[4] = {0, 0, 0, 0};
    ReadSettingsDword(LAST_RESOLUTION_VALUE_NAME, bytes);
    DWORD packed = BytesToDword(bytes);
    if (lpWidth != NULL)
        *lpWidth = LOWORD(packed);
    if (lpHeight != NULL)
        *lpHeight = HIWORD(packed);
}

void SetLastResolution(int width, int height)
{
    BYTE bytes[4];
    DwordToBytes((DWORD)MAKELONG(width, height), bytes);
    WriteSettingsDword(LAST_RESOLUTION_VALUE_NAME, bytes);
}

void TakeSettingsSnapshot(SettingsSnapshot* lpSnapshot)
{
    for (int i = 0; i < BOARD_MODE_COUNT; i++)
        lpSnapshot->rates[i] = GetRefreshRate(BoardModes[i].width, BoardModes[i].height);
    for (int i = 0; i < GAMMA_CHANNEL_COUNT; i++)
        lpSnapshot->gammas[snapshotGammaOrder[i]] = GetGamma(snapshotGammaOrder[i]);
}

void RestoreSettingsSnapshot(const SettingsSnapshot* lpSnapshot)
{
    for (int i = 0; i < BOARD_MODE_COUNT; i++) {
        if (lpSnapshot->rates[i] != 0)
            SetRefreshRate(lpSnapshot->rates[i], BoardModes[i].width, BoardModes[i].height);
        else
            DeleteRefreshRate(BoardModes[i].width, BoardModes[i].height);
    }
    for (int i = 0; i < GAMMA_CHANNEL_COUNT; i++) {
        int channel = snapshotGammaOrder[i];
        if (lpSnapshot->gammas[channel] != 0.0f)
            SetGamma(lpSnapshot->gammas[channel], channel);
        else
            DeleteGamma(channel);
    }
}

float PositionToGamma(int position)
{
    return 0.25f + 0.05f * (float)position;
}

int GammaToPosition(float value)
{
    float position = (value - 0.25f) / 0.05f;
    // Out-of-range values (and NaN) are bounded so the rounding stays defined.
    if (!(position > (float)INT_MIN))
        return INT_MIN;
    if (!(position < (float)INT_MAX))
        return INT_MAX;
    return (int)lroundf(position);
}
