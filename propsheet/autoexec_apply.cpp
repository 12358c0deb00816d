// The board's SET lines built from the page's state.
#include <stdio.h>

#include "propsheet/autoexec.h"
#include "settings/settings_key.h"

// Room for "SET HGI_SCREENREFRESH=" and any number, or a gamma text.
#define SETTING_LINE_SIZE 64
#define GAMMA_TEXT_SIZE 20

// The line "SET <name>=<gamma with 2 decimals>".
static void BuildGammaLine(LPCSTR lpszName, int position, char* lpszLine) {
    char szGamma[GAMMA_TEXT_SIZE];
    FormatFixed(PositionToGamma(position), 2, szGamma, sizeof szGamma);
    snprintf(lpszLine, SETTING_LINE_SIZE, "SET %s=%s", lpszName, szGamma);
}

void ApplyAutoexecSettings(int redPosition, int greenPosition, int bluePosition, int clockSwitch) {
    // Only the 640x480 rate goes into the boot file; outside 60 to 120 Hz
    // (an absent rate is 0) it is 60.
    DWORD rate = GetRefreshRate(BoardModes[BOARD_MODE_640X480].width, BoardModes[BOARD_MODE_640X480].height);
    if (rate < 60 || rate > 120) rate = 60;

    char szRefresh[SETTING_LINE_SIZE];
    char szRed[SETTING_LINE_SIZE];
    char szGreen[SETTING_LINE_SIZE];
    char szBlue[SETTING_LINE_SIZE];
    snprintf(szRefresh, sizeof szRefresh, "SET %s=%d", "HGI_SCREENREFRESH", (int)rate);
    BuildGammaLine("HGI_RGAMMA", redPosition, szRed);
    BuildGammaLine("HGI_GGAMMA", greenPosition, szGreen);
    BuildGammaLine("HGI_BGAMMA", bluePosition, szBlue);
    LPCSTR lpszNewLines[AUTOEXEC_NEW_LINES] = {szRefresh, szRed, szGreen, szBlue,
                                               clockSwitch == 1 ? "SET HGI_GRXCLK=57" : NULL};

    char szPath[] = "c:\\Autoexec.bat";
    szPath[0] = GetBootDrive();
    WriteAutoexecSettings(szPath, lpszNewLines);
}
