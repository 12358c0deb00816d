// Whole numbers at the start of a text, read as the C library reads them.
#pragma once

// Skips leading white space, takes an optional sign, then decimal digits up
// to the first other character (0 when there are none). Values beyond the
// range of an int are clamped.
int ReadDecimal(const char* lpszText);
