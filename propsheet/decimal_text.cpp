#include "propsheet/decimal_text.h"

#include <limits.h>

int ReadDecimal(const char* lpszText) {
    const char* p = lpszText;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    int negative = 0;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        // Stop growing once past the int range; the clamp below decides.
        if (value <= (long long)INT_MAX + 1) value = value * 10 + (*p - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return (int)value;
}
