#include "platform/ddraw/unsupported.h"

#include <ddraw.h>

#include <cstdio>
#include <string>

#include "platform/kernel/event_log.h"

namespace brontar::platform {

HRESULT UnsupportedDirectDraw(std::string_view what) {
    WriteDiagnostic("DirectDraw: " + std::string(what) + " is not implemented");
    return DDERR_UNSUPPORTED;
}

std::string HexFlags(DWORD flags) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(flags));
    return text;
}

}  // namespace brontar::platform
