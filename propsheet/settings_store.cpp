// The settings store: every registry read and write of the page, and the
// conversions between stored gamma values, slider positions and text.
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <limits.h>

#include "propsheet/settings_key.h"

static const char* const gammaValueNames[GAMMA_CHANNEL_COUNT] = {
    GAMMA_VALUE_NAME, GAMMA_RED_VALUE_NAME, GAMMA_GREEN_VALUE_NAME, GAMMA_BLUE_VALUE_NAME};

// The board's four full-screen modes, the only ones the page names.
static const struct {
    int width;
    int height;
} boardModes[] = {{512, 384}, {640, 400}, {640, 480}, {800, 600}};

// The value name of a mode's refresh rate; each dimension taken as 16 bits.
static void RefreshValueName(int width, int height, char* lpName, int nameSize) {
    snprintf(lpName, (size_t)nameSize, REFRESH_VALUE_FORMAT, (int)(WORD)width, (int)(WORD)height);
}

// The value name of a gamma channel, or NULL for a channel out of range.
static const char* GammaValueName(int channel) {
    if (channel < GAMMA_CHANNEL_OVERALL || channel >= GAMMA_CHANNEL_COUNT) return NULL;
    return gammaValueNames[channel];
}

// Reads up to four bytes of a settings value over the caller's default; the
// default stays when the value is missing or longer than four bytes.
static void ReadSettingsDword(LPCSTR lpszValueName, BYTE defaultBytes[4]) {
    DWORD cbData = 4;
    ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszValueName, defaultBytes, &cbData);
}

static void WriteSettingsDword(LPCSTR lpszValueName, const BYTE bytes[4]) {
    WriteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszValueName, REG_DWORD, bytes, 4);
}

static DWORD BytesToDword(const BYTE bytes[4]) {
    return (DWORD)bytes[0] | ((DWORD)bytes[1] << 8) | ((DWORD)bytes[2] << 16) | ((DWORD)bytes[3] << 24);
}

static void DwordToBytes(DWORD value, BYTE bytes[4]) {
    bytes[0] = (BYTE)value;
    bytes[1] = (BYTE)(value >> 8);
    bytes[2] = (BYTE)(value >> 16);
    bytes[3] = (BYTE)(value >> 24);
}

void WriteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName, DWORD dwType, const BYTE* lpData,
                        DWORD cbData) {
    if (hRootKey == NULL || lpszKeyPath == NULL || lpszValueName == NULL || lpData == NULL) return;
    HKEY hKey = NULL;
    if (RegCreateKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS) return;
    RegSetValueExA(hKey, lpszValueName, 0, dwType, lpData, cbData);
    RegCloseKey(hKey);
}

void DeleteRegistryValue(HKEY hRootKey, LPCSTR lpszKeyPath, LPCSTR lpszValueName) {
    if (hRootKey == NULL || lpszKeyPath == NULL || lpszValueName == NULL) return;
    HKEY hKey = NULL;
    if (RegOpenKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS) return;
    RegDeleteValueA(hKey, lpszValueName);
    RegCloseKey(hKey);
}

int CountSubkeys(HKEY hRootKey, LPCSTR lpszKeyPath) {
    if (hRootKey == NULL || lpszKeyPath == NULL) return -1;
    HKEY hKey = NULL;
    if (RegOpenKeyA(hRootKey, lpszKeyPath, &hKey) != ERROR_SUCCESS) return -1;
    DWORD cSubKeys = 0;
    LONG result = RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &cSubKeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS ? (int)cSubKeys : -1;
}

DWORD GetRefreshRate(int width, int height) {
    char szName[32];
    BYTE bytes[4] = {0, 0, 0, 0};
    RefreshValueName(width, height, szName, sizeof szName);
    ReadSettingsDword(szName, bytes);
    return BytesToDword(bytes);
}

void SetRefreshRate(DWORD rate, int width, int height) {
    char szName[32];
    BYTE bytes[4];
    RefreshValueName(width, height, szName, sizeof szName);
    DwordToBytes(rate, bytes);
    WriteSettingsDword(szName, bytes);
}

void DeleteRefreshRate(int width, int height) {
    char szName[32];
    RefreshValueName(width, height, szName, sizeof szName);
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, szName);
}

float GetGamma(int channel) {
    const char* lpszName = GammaValueName(channel);
    float value = DEFAULT_GAMMA;
    BYTE bytes[4];
    if (lpszName == NULL) return value;
    memcpy(bytes, &value, 4);
    ReadSettingsDword(lpszName, bytes);
    memcpy(&value, bytes, 4);
    return value;
}

void SetGamma(float value, int channel) {
    const char* lpszName = GammaValueName(channel);
    BYTE bytes[4];
    if (lpszName == NULL) return;
    memcpy(bytes, &value, 4);
    WriteSettingsDword(lpszName, bytes);
}

void DeleteGamma(int channel) {
    const char* lpszName = GammaValueName(channel);
    if (lpszName == NULL) return;
    DeleteRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, lpszName);
}

DWORD GetLockState(void) {
    BYTE bytes[4] = {0, 0, 0, 0};
    ReadSettingsDword(LOCKED_VALUE_NAME, bytes);
    return BytesToDword(bytes);
}

void SetLockState(DWORD state) {
    BYTE bytes[4];
    DwordToBytes(state, bytes);
    WriteSettingsDword(LOCKED_VALUE_NAME, bytes);
}

void GetLastResolution(int* lpWidth, int* lpHeight) {
    BYTE bytes[4] = {0, 0, 0, 0};
    ReadSettingsDword(LAST_RESOLUTION_VALUE_NAME, bytes);
    const DWORD packed = BytesToDword(bytes);
    if (lpWidth != NULL) *lpWidth = LOWORD(packed);
    if (lpHeight != NULL) *lpHeight = HIWORD(packed);
}

void SetLastResolution(int width, int height) {
    BYTE bytes[4];
    DwordToBytes((DWORD)MAKELONG(width, height), bytes);
    WriteSettingsDword(LAST_RESOLUTION_VALUE_NAME, bytes);
}

void SaveRefreshRate(DWORD rate, int width, int height) {
    if (rate == 0)
        DeleteRefreshRate(width, height);
    else
        SetRefreshRate(rate, width, height);
}

void SaveGamma(float value, int channel) {
    if (value == 0.0f)
        DeleteGamma(channel);
    else
        SetGamma(value, channel);
}

void ResetRefreshRates(void) {
    for (int i = 0; i < (int)(sizeof boardModes / sizeof boardModes[0]); i++)
        DeleteRefreshRate(boardModes[i].width, boardModes[i].height);
}

float PositionToGamma(int position) {
    return 0.25f + 0.05f * (float)position;
}

int GammaToPosition(float value) {
    const float position = (value - 0.25f) / 0.05f;
    // Out-of-range values (and NaN) are bounded so the rounding stays defined.
    if (!(position > (float)INT_MIN)) return INT_MIN;
    if (!(position < (float)INT_MAX)) return INT_MAX;
    return (int)lroundf(position);
}
