// FormatFixed: a number as text with a fixed count of decimals, cut to fit a
// buffer.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "settings/settings_key.h"

// Enough digits for the exact decimal expansion of any double.
#define EXACT_FRACTION_DIGITS 1100
#define MAX_DECIMALS 340

// The value rounded to the decimals as a digit string (leading zeros of a
// zero integer part dropped) and the position of the point relative to the
// first digit. Rounds up when the first dropped digit is 5 or more. Returns a
// heap block the caller frees, or NULL.
static char* FixedDigits(double magnitude, int decimals, int* lpPointPosition)
{
    int length = snprintf(NULL, 0, "%.*f", EXACT_FRACTION_DIGITS, magnitude);
    if (length <= 0)
        return NULL;
    char* lpszExact = (char*)malloc((size_t)length + 1);
    // One digit more than the text, for a carry out of the first digit.
    char* lpszDigits = (char*)malloc((size_t)length + 2);
    if (lpszExact == NULL || lpszDigits == NULL) {
        free(lpszExact);
        free(lpszDigits);
        return NULL;
    }
    snprintf(lpszExact, (size_t)length + 1, "%.*f", EXACT_FRACTION_DIGITS, magnitude);
    const char* lpPoint = strchr(lpszExact, '.');
    if (lpPoint == NULL) {  // a locale with another decimal point
        free(lpszExact);
        free(lpszDigits);
        return NULL;
    }
    int integerDigits = (int)(lpPoint - lpszExact);
    // Digit string: a spare leading 0, the integer digits, then the decimals.
    int count = 0;
    lpszDigits[count++] = '0';
    memcpy(lpszDigits + count, lpszExact, (size_t)integerDigits);
    count += integerDigits;
    memcpy(lpszDigits + count, lpPoint + 1, (size_t)decimals);
    count += decimals;
    lpszDigits[count] = '\0';
    if (lpPoint[1 + decimals] >= '5') {
        int i = count - 1;
        while (lpszDigits[i] == '9')
            lpszDigits[i--] = '0';
        lpszDigits[i]++;
    }
    free(lpszExact);
    // Drop leading zeros; each one moves the point position down.
    int pointPosition = 1 + integerDigits;
    int first = 0;
    while (first < count && lpszDigits[first] == '0') {
        first++;
        pointPosition--;
    }
    memmove(lpszDigits, lpszDigits + first, (size_t)(count - first) + 1);
    *lpPointPosition = pointPosition;
    return lpszDigits;
}

int FormatFixed(double value, int decimals, char* lpBuffer, int bufferSize)
{
    // No room even for a terminator: nothing can be written.
    if (lpBuffer == NULL || bufferSize <= 0)
        return 0;
    if (!isfinite(value) || decimals < 0 || decimals > MAX_DECIMALS) {
        lpBuffer[0] = '\0';
        return 0;
    }
    int pointPosition = 0;
    char* lpszDigits = FixedDigits(fabs(value), decimals, &pointPosition);
    if (lpszDigits == NULL) {
        lpBuffer[0] = '\0';
        return 0;
    }
    int k = 0;
    if (value < 0)
        lpBuffer[k++] = '-';
    int pointWritten = 0;
    if (pointPosition <= 0) {
        if (k + 2 < bufferSize) {
            lpBuffer[k++] = '0';
            lpBuffer[k++] = '.';
        } else {
            // Fill what room is left, so no character before the terminator
            // is left unwritten; the text is cut (result 0).
            const char* lpszZeroPoint = "0.";
            while (k < bufferSize && *lpszZeroPoint != '\0')
                lpBuffer[k++] = *lpszZeroPoint++;
            k = bufferSize;
        }
        while (pointPosition < 0 && k < bufferSize) {
            lpBuffer[k++] = '0';
            pointPosition++;
        }
        pointWritten = 1;
    }
    for (int i = 0; lpszDigits[i] != '\0' && k < bufferSize - 1; i++) {
        if (!pointWritten && i == pointPosition) {
            lpBuffer[k++] = '.';
            pointWritten = 1;
        }
        lpBuffer[k++] = lpszDigits[i];
    }
    free(lpszDigits);
    if (k < bufferSize) {
        lpBuffer[k] = '\0';
        return 1;
    }
    lpBuffer[bufferSize - 1] = '\0';
    return 0;
}
