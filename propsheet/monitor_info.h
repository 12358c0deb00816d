// The attached monitor's limits, from the display class data of the registry.
#pragma once

#include <windows.h>

// Below HKEY_LOCAL_MACHINE: the class keys; the monitor's class key name follows.
#define MONITOR_CLASS_ROOT "System\\CurrentControlSet\\Services\\Class\\"
// Most "MODES" subkeys handled; a key with more gives no entries at all.
#define MODE_ENTRY_CAPACITY 10
// A maximum resolution the class key does not give: nothing is above it.
#define MONITOR_NO_BOUND 0x7FFFFFFF

typedef struct tagMonitorInfo {
    char szDescription[40];  // "DriverDesc" of the class key
    char szClassKey[40];     // "Driver" of the device key: the class key below MONITOR_CLASS_ROOT
    LONG lVerticalMax;       // Hz, from the widest mode entry (0: unknown)
    LONG lVerticalMin;       // Hz
    LONG lHorizontalMax;     // kHz
    LONG lHorizontalMin;     // kHz
    LONG lMaxWidth;          // pixels, from "MaxResolution" (MONITOR_NO_BOUND when not given)
    LONG lMaxHeight;         // pixels
} MonitorInfo;

// The limits of one resolution; a limit of 0 is unknown.
typedef struct tagModeLimits {
    WORD wWidth;          // pixels, set by the caller
    WORD wHeight;         // pixels, set by the caller
    WORD wHorizontalMax;  // kHz
    WORD wHorizontalMin;  // kHz
    WORD wVerticalMax;    // Hz
    WORD wVerticalMin;    // Hz
} ModeLimits;

// One "MODES" subkey, by the numbers of its name "width,height".
typedef struct tagModeEntry {
    int width;
    int height;
} ModeEntry;

// Fills the record from the monitor's keys; 1 when the class key name was
// found, else 0. Fields that cannot be read keep what the caller put there,
// except the maximum resolution, which is MONITOR_NO_BOUND where the class
// key does not give it.
int LoadMonitorInfo(MonitorInfo* lpInfo);

// Fills the four limits of the resolution in the record; 0 when the monitor
// cannot be identified, else 1 (also when the limits are all 0).
int GetModeLimits(ModeLimits* lpLimits);

// The limits of the widest mode entry into the record's four limit fields (0 when unknown).
void ReadDefaultLimits(MonitorInfo* lpInfo);

// Reads the names of the key's subkeys into the entries; 1 when they could
// be read. The caller clears the entries first.
int EnumModeEntries(LPCSTR lpszKeyPath, ModeEntry* lpEntries, int capacity);

// Writes the name of the subkey whose limits apply to the requested width:
// the narrowest entry at least that wide, else the widest. 1 when a name was written.
int SelectModeEntry(const ModeLimits* lpLimits, LPCSTR lpszModesPath, LPSTR lpszName, int capacity);

// Reads a timing text "h[-h],v[-v],..." into the record's limits (kHz, Hz);
// 1 when it held at least the comma before the vertical range.
int ParseModeTiming(LPCSTR lpszTiming, MonitorInfo* lpInfo);
