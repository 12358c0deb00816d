// What the page knows of the attached monitor: its description, limits and
// maximum resolution, and the limits that apply to one resolution.
#pragma once

#include <windows.h>

#define MONITOR_TEXT_SIZE 40

// Filled by LoadMonitorInfo; fields it cannot read keep what the caller put there.
typedef struct MonitorInfo {
    char description[MONITOR_TEXT_SIZE];   // "DriverDesc" of the class key
    char classKeyName[MONITOR_TEXT_SIZE];  // "Driver" of the device key
    LONG verticalMax;                      // Hz
    LONG verticalMin;
    LONG horizontalMax;                    // kHz
    LONG horizontalMin;
    LONG maxWidth;                         // "MaxResolution"
    LONG maxHeight;
} MonitorInfo;

// Limits of one resolution; 0 is a missing limit.
typedef struct ModeLimits {
    WORD width;
    WORD height;
    WORD horizontalMax;  // kHz
    WORD horizontalMin;
    WORD verticalMax;    // Hz
    WORD verticalMin;
} ModeLimits;

// 1 when the monitor's class key was found, else 0.
int LoadMonitorInfo(MonitorInfo* lpInfo);
// Fills the limits of the resolution set in lpLimits; 0 when the monitor
// cannot be identified (all limits 0), else 1.
int GetModeLimits(ModeLimits* lpLimits);
