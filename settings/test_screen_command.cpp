#include "settings/test_screen_command.h"

#include <stdio.h>
#include <string.h>

#define SWITCH_CHARACTERS "-/"

int FormatTestScreenArguments(int width, int height, int gammaTest, LPSTR lpszArguments, int cchArguments)
{
    if (lpszArguments == NULL || cchArguments <= 0)
        return 0;
    int cch = snprintf(lpszArguments, (size_t)cchArguments, gammaTest ? "/%dx%d /" GAMMA_SWITCH : "/%dx%d", width,
                       height);
    if (cch < 0 || cch >= cchArguments) {
        lpszArguments[0] = '\0';
        return 0;
    }
    return 1;
}

int FindModeArgument(LPCSTR lpszCommandLine)
{
    if (lpszCommandLine == NULL)
        return -1;
    LPCSTR lpszToken = lpszCommandLine + strspn(lpszCommandLine, SWITCH_CHARACTERS);
    size_t tokenLength = strcspn(lpszToken, SWITCH_CHARACTERS);
    if (tokenLength < MODE_ARGUMENT_LENGTH)
        return -1;
    for (int i = 0; i < BOARD_MODE_COUNT; i++) {
        char szArgument[TEST_SCREEN_ARGUMENTS_SIZE];
        snprintf(szArgument, sizeof szArgument, "%dx%d", BoardModes[i].width, BoardModes[i].height);
        if (strncmp(lpszToken, szArgument, MODE_ARGUMENT_LENGTH) == 0)
            return i;
    }
    return -1;
}

int HasGammaSwitch(LPCSTR lpszCommandLine)
{
    return lpszCommandLine != NULL && strstr(lpszCommandLine, GAMMA_SWITCH) != NULL;
}
