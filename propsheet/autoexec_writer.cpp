// Rewriting the boot file. The new content goes into a file beside the old
// one, which is replaced only once that file is complete, so a failed write
// never costs the user a line.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "propsheet/autoexec.h"

// The variables this updater owns: an old line mentioning any of them is dropped.
static const char* const g_aszOwnedVariables[] = {
    "HGI_SCREENREFRESH", "HGI_RGAMMA", "HGI_GGAMMA", "HGI_GRXCLK", "HGI_BGAMMA",
};

// Tells the user the file could not be written, under the writer's name.
static void ShowWriteFailure(LPCSTR lpszPath, LPCSTR lpszWriter) {
    char szMessage[MAX_PATH + 64];
    snprintf(szMessage, sizeof szMessage, "Unable to open %s for writing", lpszPath);
    MessageBoxA(NULL, szMessage, lpszWriter, MB_ICONERROR);
}

// The path with its extension replaced (AUTOEXEC.BAT -> AUTOEXEC.$$$), in a
// MAX_PATH buffer; 0 when it does not fit.
static int MakeSiblingPath(LPCSTR lpszPath, LPCSTR lpszExtension, char* lpszSibling) {
    size_t cbPath = strlen(lpszPath);
    size_t cbStem = cbPath;
    for (size_t i = cbPath; i > 0; --i) {
        char c = lpszPath[i - 1];
        if (c == '\\' || c == '/' || c == ':') break;
        if (c == '.') {
            cbStem = i - 1;
            break;
        }
    }
    if (cbStem + 1 + strlen(lpszExtension) + 1 > MAX_PATH) return 0;
    memcpy(lpszSibling, lpszPath, cbStem);
    lpszSibling[cbStem] = '.';
    strcpy(lpszSibling + cbStem + 1, lpszExtension);
    return 1;
}

// A new file beside the target, to be filled and then committed; null (the
// writer's message shown) when it cannot be created. The commit flag makes
// the final flush put the bytes on the disk before the file can be renamed
// into place.
static FILE* CreateAsideFile(LPCSTR lpszPath, char* lpszAside, LPCSTR lpszWriter) {
    FILE* lpFile = NULL;
    if (MakeSiblingPath(lpszPath, "$$$", lpszAside)) {
        remove(lpszAside);  // left over from an earlier attempt that broke off
        lpFile = fopen(lpszAside, "w+bc");
    }
    if (lpFile == NULL) ShowWriteFailure(lpszPath, lpszWriter);
    return lpFile;
}

// 1 when something is at the path (a file that cannot be opened counts).
static int FileExists(LPCSTR lpszPath) {
    FILE* lpFile = fopen(lpszPath, "rb");
    if (lpFile == NULL) return errno != ENOENT;
    fclose(lpFile);
    return 1;
}

// Moves the file at the path to lpszOld, because a rename never replaces an
// existing file; 0 when the rewrite must not go on. At every step the user's
// lines are in the file or in the moved-aside copy, never in neither.
static int MoveOldFileAside(LPCSTR lpszPath, LPCSTR lpszOld, int* pbMoved) {
    *pbMoved = 0;
    if (!FileExists(lpszPath)) {
        // A moved-aside copy that could not be put back is the only copy
        // of the user's lines: it stays, and nothing is written.
        return !FileExists(lpszOld);
    }
    // A copy beside a file in place is older than that file (a rewrite
    // stopped after renaming its new file in), which holds the same lines.
    if (FileExists(lpszOld) && remove(lpszOld) != 0) return 0;
    if (rename(lpszPath, lpszOld) != 0) return 0;
    *pbMoved = 1;
    return 1;
}

// Closes the filled file and puts it in place of the target; the old file is
// moved aside first and put back if the new one cannot take its place. On
// any failure the new file is dropped, the old one stays, and the writer's
// message is shown.
static void CommitAsideFile(FILE* lpFile, int bWritten, LPCSTR lpszAside, LPCSTR lpszPath, LPCSTR lpszWriter) {
    if (fflush(lpFile) != 0 || ferror(lpFile)) bWritten = 0;
    if (fclose(lpFile) != 0) bWritten = 0;

    char szOld[MAX_PATH];
    int bOldMoved = 0;
    if (!bWritten || !MakeSiblingPath(lpszPath, "~$$", szOld) || !MoveOldFileAside(lpszPath, szOld, &bOldMoved))
        bWritten = 0;
    if (bWritten && rename(lpszAside, lpszPath) == 0) {
        if (bOldMoved) remove(szOld);
        return;
    }
    if (bOldMoved) rename(szOld, lpszPath);
    remove(lpszAside);
    ShowWriteFailure(lpszPath, lpszWriter);
}

// A rewrite that broke off after moving the old file aside left no file in
// its place: the old file is put back before anything else happens. (A
// rename never replaces a file, so this does nothing when the file is there.)
static void RecoverMovedAsideFile(LPCSTR lpszPath) {
    char szOld[MAX_PATH];
    if (MakeSiblingPath(lpszPath, "~$$", szOld)) rename(szOld, lpszPath);
}

void WriteAutoexecSettings(LPCSTR lpszPath, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]) {
    RecoverMovedAsideFile(lpszPath);
    DWORD cbImage = 0;
    char* lpImage = NULL;
    AutoexecLine* lpLines = NULL;
    DWORD cLines = 0;
    int result = ReadAutoexecLines(lpszPath, &cbImage, &lpImage, &lpLines, &cLines);
    if (result == AUTOEXEC_MISSING) {
        CreateAutoexecBatAndDoUpdate(lpszPath, lpszNewLines);
        return;
    }
    if (result == AUTOEXEC_UNREADABLE) {
        // The user's file stays as it is; it is never replaced by the new lines alone.
        ShowWriteFailure(lpszPath, "UpdateAutoexecBatFile");
        return;
    }
    UpdateAutoexecBatFile(lpszPath, cLines, lpLines, lpszNewLines);
    free(lpLines);
    free(lpImage);
}

void UpdateAutoexecBatFile(LPCSTR lpszPath, DWORD cLines, const AutoexecLine* lpLines,
                           LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]) {
    char szAside[MAX_PATH];
    FILE* lpFile = CreateAsideFile(lpszPath, szAside, "UpdateAutoexecBatFile");
    if (lpFile == NULL) return;

    int bWritten = 1;
    for (DWORD j = 0; j < cLines && bWritten; ++j) {
        int bOwned = 0;
        for (size_t k = 0; k < sizeof g_aszOwnedVariables / sizeof g_aszOwnedVariables[0] && !bOwned; ++k)
            bOwned = LineMentions(lpLines[j].lpText, lpLines[j].cbLength, g_aszOwnedVariables[k]);
        if (!bOwned) bWritten = WriteLine(lpFile, lpLines[j].lpText, lpLines[j].cbLength);
    }
    if (bWritten) bWritten = WriteSettingLines(lpFile, lpszNewLines);
    CommitAsideFile(lpFile, bWritten, szAside, lpszPath, "UpdateAutoexecBatFile");
}

void CreateAutoexecBatAndDoUpdate(LPCSTR lpszPath, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]) {
    char szAside[MAX_PATH];
    FILE* lpFile = CreateAsideFile(lpszPath, szAside, "CreateAutoexecBatAndDoUpdate");
    if (lpFile == NULL) return;
    int bWritten = WriteSettingLines(lpFile, lpszNewLines);
    CommitAsideFile(lpFile, bWritten, szAside, lpszPath, "CreateAutoexecBatAndDoUpdate");
}

int WriteSettingLines(FILE* lpFile, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]) {
    for (int i = 0; i < AUTOEXEC_NEW_LINES; ++i) {
        if (lpszNewLines[i] == NULL) continue;  // only line 5 is ever missing
        if (!WriteLine(lpFile, lpszNewLines[i], (DWORD)strlen(lpszNewLines[i]))) return 0;
    }
    return 1;
}

int WriteLine(FILE* lpFile, const char* lpText, DWORD cbText) {
    if (cbText > 0 && fwrite(lpText, 1, cbText, lpFile) != cbText) return 0;
    return fwrite("\r\n", 1, 2, lpFile) == 2;
}
