// A DirectDraw method or option this platform does not provide: says so in a
// diagnostic line and answers DDERR_UNSUPPORTED.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brontar::platform {

HRESULT UnsupportedDirectDraw(std::string_view what);

// "0x0000ABCD", for naming flags in those lines.
std::string HexFlags(DWORD flags);

}  // namespace brontar::platform
