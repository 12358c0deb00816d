// The boot file updater: the board's SET lines in the boot drive's
// autoexec.bat, and the graphics clock read back from it.
#pragma once

#include <stdio.h>
#include <windows.h>

// The new lines: refresh rate, red, green and blue gamma, and the graphics
// clock line (null when the clock switch is off).
#define AUTOEXEC_NEW_LINES 5

// One line of the old file inside the file image. Its bytes are kept whole,
// a NUL byte among them included; the line end is not part of it.
typedef struct tagAutoexecLine {
    DWORD dwOffset;  // byte offset of the line in the image
    DWORD cbLength;  // bytes of the line without its end
    char* lpText;    // the line's first byte
} AutoexecLine;

// Results of ReadAutoexecLines.
#define AUTOEXEC_MISSING 0      // no file, or an empty one: create it
#define AUTOEXEC_READ 1         // the file is in memory
#define AUTOEXEC_UNREADABLE (-1) // the file is there but cannot be read: leave it alone

// Builds the new lines from the three gamma slider positions, the stored
// 640x480 rate and the clock switch (1 on), and rewrites the boot file.
void ApplyAutoexecSettings(int redPosition, int greenPosition, int bluePosition, int clockSwitch);

// The boot drive's letter from "winbootdir"; 'c' (after a message box) when
// the variable cannot be read.
char GetBootDrive(void);

// Rewrites the file at the path: the old lines that mention none of the
// board's variables, then the new lines.
void WriteAutoexecSettings(LPCSTR lpszPath, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]);

// Reads the whole file and splits it into lines; see the AUTOEXEC_ results.
// On AUTOEXEC_READ the caller frees *ppImage and *ppLines.
int ReadAutoexecLines(LPCSTR lpszPath, DWORD* pcbImage, char** ppImage, AutoexecLine** ppLines, DWORD* pcLines);

// The number of lines in the text: one per CR, CR LF or lone LF, and one
// more for text after the last line end.
DWORD CountLines(const char* lpImage, DWORD cbImage);

// Records up to cLines lines and overwrites each line end with 0 bytes.
void SplitLines(char* lpImage, DWORD cbImage, DWORD cLines, AutoexecLine* lpLines);

// 1 when the line's bytes contain the name, compared without regard to
// ASCII case, else 0.
int LineMentions(const char* lpLine, DWORD cbLine, LPCSTR lpszName);

// Writes the kept old lines and the new lines beside the file and puts the
// result in its place.
void UpdateAutoexecBatFile(LPCSTR lpszPath, DWORD cLines, const AutoexecLine* lpLines,
                           LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]);

// Creates the file holding only the new lines.
void CreateAutoexecBatAndDoUpdate(LPCSTR lpszPath, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]);

// Writes lines 1 to 4 and line 5 when it is there; 1 when all were written.
int WriteSettingLines(FILE* lpFile, LPCSTR const lpszNewLines[AUTOEXEC_NEW_LINES]);

// Writes the bytes and CR LF; 1 when all were written.
int WriteLine(FILE* lpFile, const char* lpText, DWORD cbText);

// The value of the last HGI_GRXCLK line of the boot file, else 0.
int ReadGraphicsClock(void);

// 1 when ReadGraphicsClock gives 57, else 0.
int IsGraphicsClock57(void);
