// The standard icons of message boxes (stop, exclamation, information,
// question), drawn in code at 32 x 32 in the colours of the Windows 95 set.
#pragma once

#include <windows.h>

namespace brontar::platform {

constexpr int kMessageBoxIconSize = 32;

// Draws the icon a box's MB_ICONx style asks for (MB_ICONHAND, and its other
// names MB_ICONERROR and MB_ICONSTOP; MB_ICONEXCLAMATION; MB_ICONASTERISK;
// MB_ICONQUESTION) with its top left corner at `at`. Pixels outside the
// shape keep what lies beneath. Another value draws nothing.
void DrawMessageBoxIcon(HDC dc, UINT iconStyle, POINT at);

}  // namespace brontar::platform
