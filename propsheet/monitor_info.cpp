// The monitor's description, maximum resolution and limits, read from its
// display class key. Nothing is kept: every call reads the registry again.
#include "propsheet/monitor_info.h"

#include <stdio.h>
#include <string.h>

#include "propsheet/decimal_text.h"
#include "settings/registry_access.h"
#include "propsheet/thunk/qorhlp16_calls.h"

// Capacities of the values read, terminator included.
#define MONITOR_PATH_SIZE 256
#define MAX_RESOLUTION_SIZE 256
#define DEFAULT_TIMING_SIZE 30
#define MODE_TIMING_SIZE 64
#define MODE_NAME_SIZE 50
#define KEY_PATH_SIZE 256

// Reads a text value below HKEY_LOCAL_MACHINE into the buffer; 1 when it
// fit with its terminator. A value that fills the buffer without one counts
// as missing, so the buffer always ends up terminated.
static int ReadRegistryText(LPCSTR lpszKeyPath, LPCSTR lpszValueName, LPSTR lpszBuffer, DWORD cbBuffer) {
    DWORD cbData = cbBuffer;
    if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, lpszKeyPath, lpszValueName, (LPBYTE)lpszBuffer, &cbData)) return 0;
    if (cbData > 0 && memchr(lpszBuffer, 0, cbData) != NULL) return 1;
    if (cbData >= cbBuffer) {
        lpszBuffer[0] = 0;
        return 0;
    }
    lpszBuffer[cbData] = 0;
    return 1;
}

static void ClearLimits(MonitorInfo* lpInfo) {
    lpInfo->lVerticalMax = 0;
    lpInfo->lVerticalMin = 0;
    lpInfo->lHorizontalMax = 0;
    lpInfo->lHorizontalMin = 0;
}

// The "MODES" key of the monitor's class key; 0 when the path does not fit.
static int MakeModesPath(const MonitorInfo* lpInfo, LPSTR lpszPath) {
    int cch = snprintf(lpszPath, KEY_PATH_SIZE, MONITOR_CLASS_ROOT "%s\\MODES", lpInfo->szClassKey);
    return cch > 0 && cch < KEY_PATH_SIZE;
}

// The bounds of "MaxResolution" ("width,height"). A bound it does not give,
// or gives as no positive number, is no bound.
static void ParseMaxResolution(LPCSTR lpszText, MonitorInfo* lpInfo) {
    int width = ReadDecimal(lpszText);
    const char* lpComma = strchr(lpszText, ',');
    int height = lpComma != NULL ? ReadDecimal(lpComma + 1) : 0;
    lpInfo->lMaxWidth = width > 0 ? width : MONITOR_NO_BOUND;
    lpInfo->lMaxHeight = height > 0 ? height : MONITOR_NO_BOUND;
}

int LoadMonitorInfo(MonitorInfo* lpInfo) {
    char szDevicePath[MONITOR_PATH_SIZE] = "";
    if (GetMonitorPath(szDevicePath, sizeof szDevicePath) == 0) return 0;
    if (!ReadRegistryText(szDevicePath, "Driver", lpInfo->szClassKey, sizeof lpInfo->szClassKey)) return 0;

    char szClassPath[KEY_PATH_SIZE];
    snprintf(szClassPath, sizeof szClassPath, MONITOR_CLASS_ROOT "%s", lpInfo->szClassKey);
    char szDescription[sizeof lpInfo->szDescription];
    if (ReadRegistryText(szClassPath, "DriverDesc", szDescription, sizeof szDescription))
        memcpy(lpInfo->szDescription, szDescription, sizeof szDescription);

    char szMaxResolution[MAX_RESOLUTION_SIZE];
    if (ReadRegistryText(szClassPath, "MaxResolution", szMaxResolution, sizeof szMaxResolution))
        ParseMaxResolution(szMaxResolution, lpInfo);
    else
        ParseMaxResolution("", lpInfo);

    ReadDefaultLimits(lpInfo);
    return 1;
}

void ReadDefaultLimits(MonitorInfo* lpInfo) {
    char szModesPath[KEY_PATH_SIZE];
    ModeEntry entries[MODE_ENTRY_CAPACITY];
    memset(entries, 0, sizeof entries);
    if (!MakeModesPath(lpInfo, szModesPath) || !EnumModeEntries(szModesPath, entries, MODE_ENTRY_CAPACITY)) {
        ClearLimits(lpInfo);
        return;
    }
    const ModeEntry* lpWidest = &entries[0];
    for (int i = 1; i < MODE_ENTRY_CAPACITY && entries[i].width != 0; ++i)
        if (entries[i].width > lpWidest->width) lpWidest = &entries[i];

    char szModePath[KEY_PATH_SIZE];
    char szTiming[DEFAULT_TIMING_SIZE];
    int cch = snprintf(szModePath, sizeof szModePath, "%s\\%d,%d", szModesPath, lpWidest->width, lpWidest->height);
    if (cch <= 0 || cch >= (int)sizeof szModePath || !ReadRegistryText(szModePath, "Mode1", szTiming, sizeof szTiming) ||
        !ParseModeTiming(szTiming, lpInfo))
        ClearLimits(lpInfo);
}

int EnumModeEntries(LPCSTR lpszKeyPath, ModeEntry* lpEntries, int capacity) {
    int count = CountSubkeys(HKEY_LOCAL_MACHINE, lpszKeyPath);
    if (count <= 0 || count > capacity) return 0;
    HKEY hKey = NULL;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, lpszKeyPath, &hKey) != ERROR_SUCCESS) return 0;
    for (int i = 0; i < count; ++i) {
        char szName[MODE_NAME_SIZE];
        if (RegEnumKeyA(hKey, (DWORD)i, szName, sizeof szName) != ERROR_SUCCESS) {
            lpEntries[i].width = 0;
            continue;
        }
        lpEntries[i].width = ReadDecimal(szName);
        const char* lpComma = strchr(szName, ',');
        lpEntries[i].height = lpComma != NULL ? ReadDecimal(lpComma + 1) : 0;
    }
    RegCloseKey(hKey);
    return 1;
}

int SelectModeEntry(const ModeLimits* lpLimits, LPCSTR lpszModesPath, LPSTR lpszName, int capacity) {
    ModeEntry entries[MODE_ENTRY_CAPACITY];
    memset(entries, 0, sizeof entries);
    if (!EnumModeEntries(lpszModesPath, entries, MODE_ENTRY_CAPACITY)) return 0;

    const ModeEntry* lpChosen = NULL;
    const ModeEntry* lpWidest = &entries[0];
    for (int i = 0; i < MODE_ENTRY_CAPACITY; ++i) {
        if (entries[i].width >= (int)lpLimits->wWidth && (lpChosen == NULL || entries[i].width < lpChosen->width))
            lpChosen = &entries[i];
        if (entries[i].width > lpWidest->width) lpWidest = &entries[i];
    }
    if (lpChosen == NULL) lpChosen = lpWidest;

    char szName[32];
    int cch = snprintf(szName, sizeof szName, "%d,%d", lpChosen->width, lpChosen->height);
    if (cch < 0 || cch >= capacity) return 0;
    memcpy(lpszName, szName, (size_t)cch + 1);
    return 1;
}

// The working record's limits into the caller's, each cut to 16 bits.
static void CopyLimits(const MonitorInfo* lpInfo, ModeLimits* lpLimits) {
    lpLimits->wHorizontalMax = (WORD)lpInfo->lHorizontalMax;
    lpLimits->wHorizontalMin = (WORD)lpInfo->lHorizontalMin;
    lpLimits->wVerticalMax = (WORD)lpInfo->lVerticalMax;
    lpLimits->wVerticalMin = (WORD)lpInfo->lVerticalMin;
}

static void ClearModeLimits(ModeLimits* lpLimits) {
    lpLimits->wHorizontalMax = 0;
    lpLimits->wHorizontalMin = 0;
    lpLimits->wVerticalMax = 0;
    lpLimits->wVerticalMin = 0;
}

int GetModeLimits(ModeLimits* lpLimits) {
    MonitorInfo info;
    memset(&info, 0, sizeof info);
    if (!LoadMonitorInfo(&info)) {
        ClearModeLimits(lpLimits);
        return 0;
    }
    if ((DWORD)lpLimits->wWidth > (DWORD)info.lMaxWidth || (DWORD)lpLimits->wHeight > (DWORD)info.lMaxHeight) {
        ClearModeLimits(lpLimits);
        return 1;
    }
    char szModesPath[KEY_PATH_SIZE];
    int count = MakeModesPath(&info, szModesPath) ? CountSubkeys(HKEY_LOCAL_MACHINE, szModesPath) : -1;
    if (count <= 0) {
        ClearModeLimits(lpLimits);
        return 1;
    }
    if (count == 1) {  // the default limits come from that one entry
        CopyLimits(&info, lpLimits);
        return 1;
    }
    char szName[256];
    char szModePath[KEY_PATH_SIZE];
    char szTiming[MODE_TIMING_SIZE];
    if (!SelectModeEntry(lpLimits, szModesPath, szName, sizeof szName) ||
        snprintf(szModePath, sizeof szModePath, "%s\\%s", szModesPath, szName) >= (int)sizeof szModePath ||
        !ReadRegistryText(szModePath, "Mode1", szTiming, sizeof szTiming)) {
        ClearModeLimits(lpLimits);
        return 1;
    }
    // Fields the text does not reach keep the default limits.
    ParseModeTiming(szTiming, &info);
    CopyLimits(&info, lpLimits);
    return 1;
}
