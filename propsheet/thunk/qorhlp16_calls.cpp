#include "propsheet/thunk/qorhlp16_calls.h"

#include <thunk16.h>

static const char g_szHelperLibrary[] = "qorhlp16.dll";

// The last answer of GETMONITORPATH16.
static WORD g_wMonitorPathAnswer = 0;
// The last answer of IsBrontrInstalled16.
static SHORT g_sInstalledAnswer = 0;
// The library as loaded by QueryInstalledFlag, for StoreInstalledFlag to reuse.
static HINSTANCE16 g_hHelper16 = 0;

static void ShowLoadFailure(void) {
    MessageBoxA(NULL, "Error Loading qorhlp16.dll", "ERROR", MB_ICONERROR);
}

WORD GetMonitorPath(LPSTR lpszBuffer, WORD cbBuffer) {
    SEGPTR segBuffer = SMapLS_IP_EBP_8(lpszBuffer);
    if (segBuffer == 0) return g_wMonitorPathAnswer;

    HINSTANCE16 hHelper = LoadLibrary16(g_szHelperLibrary);
    if (hHelper < 32) {
        ShowLoadFailure();
        SUnMapLS_IP_EBP_8(segBuffer);
        return g_wMonitorPathAnswer;
    }
    FARPROC16 lpfnGetMonitorPath = GetProcAddress16(hHelper, "GETMONITORPATH16");
    if (lpfnGetMonitorPath != 0) {
        // Pascal order: the far pointer (segment word, then offset), then the size.
        WORD awArgs[3] = {HIWORD(segBuffer), LOWORD(segBuffer), cbBuffer};
        g_wMonitorPathAnswer = LOWORD(QT_Thunk(lpfnGetMonitorPath, awArgs, sizeof awArgs));
    }
    FreeLibrary16(hHelper);
    SUnMapLS_IP_EBP_8(segBuffer);
    return g_wMonitorPathAnswer;
}

SHORT QueryInstalledFlag(void) {
    g_hHelper16 = LoadLibrary16(g_szHelperLibrary);
    if (g_hHelper16 < 32) {
        ShowLoadFailure();
        return g_sInstalledAnswer;
    }
    FARPROC16 lpfnIsInstalled = GetProcAddress16(g_hHelper16, "IsBrontrInstalled16");
    if (lpfnIsInstalled != 0) g_sInstalledAnswer = (SHORT)LOWORD(QT_Thunk(lpfnIsInstalled, NULL, 0));
    // Nothing recorded yet: the library stays loaded for the record that follows the probe.
    if (g_sInstalledAnswer != 0) {
        FreeLibrary16(g_hHelper16);
        g_hHelper16 = 0;
    }
    return g_sInstalledAnswer;
}

void StoreInstalledFlag(int flag) {
    if (g_hHelper16 < 32) g_hHelper16 = LoadLibrary16(g_szHelperLibrary);
    if (g_hHelper16 < 32) {
        ShowLoadFailure();
        return;
    }
    FARPROC16 lpfnSetInstalled = GetProcAddress16(g_hHelper16, "SetBrontarInstalled16");
    if (lpfnSetInstalled != 0) {
        WORD awArgs[1] = {(WORD)flag};
        QT_Thunk(lpfnSetInstalled, awArgs, sizeof awArgs);
    }
}
