#include <string.h>

#include "propsheet/decimal_text.h"
#include "propsheet/monitor_info.h"

int ParseModeTiming(LPCSTR lpszTiming, MonitorInfo* lpInfo) {
    lpInfo->lHorizontalMin = ReadDecimal(lpszTiming);
    const char* p = lpszTiming + strcspn(lpszTiming, ",-");
    if (*p == '-') {
        lpInfo->lHorizontalMax = ReadDecimal(p + 1);
        p = strchr(p + 1, ',');
    } else if (*p == ',') {
        lpInfo->lHorizontalMax = lpInfo->lHorizontalMin;
    }
    // Without the comma before the vertical range the other fields stay as they were.
    if (p == NULL || *p != ',') return 0;

    const char* lpszVertical = p + 1;
    lpInfo->lVerticalMin = ReadDecimal(lpszVertical);
    const char* lpDash = lpszVertical + strcspn(lpszVertical, ",-");
    lpInfo->lVerticalMax = *lpDash == '-' ? ReadDecimal(lpDash + 1) : lpInfo->lVerticalMin;
    return 1;
}
