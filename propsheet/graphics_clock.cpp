// The boot drive and the graphics clock line read back from its boot file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "propsheet/autoexec.h"
#include "propsheet/decimal_text.h"

char GetBootDrive(void) {
    char szBootDir[256];
    DWORD cch = GetEnvironmentVariableA("winbootdir", szBootDir, sizeof szBootDir);
    // Only a drive letter names the boot drive: any other text would put the
    // boot file outside the machine's drives.
    char chDrive = szBootDir[0];
    if (cch >= 1 && cch <= 255 && szBootDir[1] == ':' &&
        ((chDrive >= 'A' && chDrive <= 'Z') || (chDrive >= 'a' && chDrive <= 'z')))
        return chDrive;
    MessageBoxA(NULL, "Failed to read env var", "BAD", MB_OK);
    return 'c';
}

// 1 with the value when the line sets HGI_GRXCLK: the name, then an equals
// sign somewhere after it, then the number. The line is taken whole,
// whatever its length; lpLine[cbLine] is 0.
static int GraphicsClockOfLine(const char* lpLine, size_t cbLine, int* pValue) {
    static const char szName[] = "HGI_GRXCLK";
    const size_t cbName = sizeof szName - 1;
    for (size_t i = 0; i + cbName <= cbLine; ++i) {
        if (!LineMentions(lpLine + i, (DWORD)cbName, szName)) continue;
        const char* lpEquals = (const char*)memchr(lpLine + i + cbName, '=', cbLine - i - cbName);
        if (lpEquals == NULL) return 0;
        *pValue = ReadDecimal(lpEquals + 1);
        return 1;
    }
    return 0;
}

int ReadGraphicsClock(void) {
    char szPath[] = "c:\\autoexec.bat";
    szPath[0] = GetBootDrive();
    FILE* lpFile = fopen(szPath, "r");
    if (lpFile == NULL) return 0;

    // Lines end at a line feed or a carriage return; each is gathered whole.
    // The buffer always keeps a terminator after the line, so the number after
    // the equals sign is read within the line.
    size_t cbCapacity = 1024;
    char* lpLine = (char*)malloc(cbCapacity);
    int value = 0;
    size_t cbLine = 0;
    int c = 0;
    while (lpLine != NULL && c != EOF) {
        c = fgetc(lpFile);
        if (c != EOF && c != '\n' && c != '\r') {
            if (cbLine + 2 > cbCapacity) {
                char* lpLarger = (char*)realloc(lpLine, cbCapacity * 2);
                if (lpLarger == NULL) break;
                lpLine = lpLarger;
                cbCapacity *= 2;
            }
            lpLine[cbLine++] = (char)c;
            continue;
        }
        lpLine[cbLine] = 0;
        GraphicsClockOfLine(lpLine, cbLine, &value);  // the last line that sets it wins
        cbLine = 0;
    }
    free(lpLine);
    fclose(lpFile);
    return value;
}

int IsGraphicsClock57(void) { return ReadGraphicsClock() == 57 ? 1 : 0; }
