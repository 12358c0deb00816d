// Reading the boot file into memory and splitting it into lines.
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "propsheet/autoexec.h"

// Largest file taken into memory; a boot file is a few kilobytes.
#define AUTOEXEC_MAX_BYTES 0x10000000L

int ReadAutoexecLines(LPCSTR lpszPath, DWORD* pcbImage, char** ppImage, AutoexecLine** ppLines, DWORD* pcLines) {
    *pcbImage = 0;
    *ppImage = NULL;
    *ppLines = NULL;
    *pcLines = 0;

    FILE* lpFile = fopen(lpszPath, "r+b");
    if (lpFile == NULL) return errno == ENOENT ? AUTOEXEC_MISSING : AUTOEXEC_UNREADABLE;

    long cbFile = -1;
    if (fseek(lpFile, 0, SEEK_END) == 0) cbFile = ftell(lpFile);
    if (cbFile == 0) {
        fclose(lpFile);
        return AUTOEXEC_MISSING;
    }
    // A file whose length cannot be taken, or is beyond any boot file, is not ours to replace.
    if (cbFile < 0 || cbFile > AUTOEXEC_MAX_BYTES || fseek(lpFile, 0, SEEK_SET) != 0) {
        fclose(lpFile);
        return AUTOEXEC_UNREADABLE;
    }

    char* lpImage = (char*)malloc((size_t)cbFile + 1);
    if (lpImage == NULL) {
        fclose(lpFile);
        return AUTOEXEC_UNREADABLE;
    }
    size_t cbRead = fread(lpImage, 1, (size_t)cbFile, lpFile);
    int failed = ferror(lpFile);
    fclose(lpFile);
    if (failed) {
        free(lpImage);
        return AUTOEXEC_UNREADABLE;
    }
    lpImage[cbRead] = 0;

    DWORD cLines = CountLines(lpImage, (DWORD)cbRead);
    AutoexecLine* lpLines = (AutoexecLine*)calloc((size_t)cLines + 1, sizeof(AutoexecLine));
    if (lpLines == NULL) {
        free(lpImage);
        return AUTOEXEC_UNREADABLE;
    }
    SplitLines(lpImage, (DWORD)cbRead, cLines, lpLines);

    *pcbImage = (DWORD)cbRead;
    *ppImage = lpImage;
    *ppLines = lpLines;
    *pcLines = cLines;
    return AUTOEXEC_READ;
}

DWORD CountLines(const char* lpImage, DWORD cbImage) {
    DWORD cLines = 0;
    DWORD dwPos = 0;
    DWORD dwLineStart = 0;
    while (dwPos < cbImage) {
        char c = lpImage[dwPos++];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && dwPos < cbImage && lpImage[dwPos] == '\n') ++dwPos;
            ++cLines;
            dwLineStart = dwPos;
        }
    }
    if (dwLineStart < cbImage) ++cLines;  // text after the last line end
    return cLines;
}

void SplitLines(char* lpImage, DWORD cbImage, DWORD cLines, AutoexecLine* lpLines) {
    DWORD dwStart = 0;
    DWORD dwPos = 0;
    DWORD j = 0;
    while (dwPos < cbImage && j < cLines) {
        char c = lpImage[dwPos];
        if (c != '\r' && c != '\n') {
            ++dwPos;
            continue;
        }
        DWORD cbLength = dwPos - dwStart;
        lpImage[dwPos++] = 0;
        if (c == '\r' && dwPos < cbImage && lpImage[dwPos] == '\n') lpImage[dwPos++] = 0;
        lpLines[j].dwOffset = dwStart;
        lpLines[j].cbLength = cbLength;
        lpLines[j].lpText = lpImage + dwStart;
        ++j;
        dwStart = dwPos;
    }
    if (dwStart < cbImage && j < cLines) {
        lpLines[j].dwOffset = dwStart;
        lpLines[j].cbLength = cbImage - dwStart;
        lpLines[j].lpText = lpImage + dwStart;
    }
}

// ASCII upper case; other bytes as they are.
static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

int LineMentions(const char* lpLine, DWORD cbLine, LPCSTR lpszName) {
    size_t cbName = strlen(lpszName);
    if (cbName > cbLine) return 0;
    for (DWORD dwStart = 0; dwStart + cbName <= cbLine; ++dwStart) {
        size_t i = 0;
        while (i < cbName && UpperAscii(lpLine[dwStart + i]) == UpperAscii(lpszName[i])) ++i;
        if (i == cbName) return 1;
    }
    return 0;
}
