// Watching the texts that DrawTextExA draws, so a host that runs without a
// screen can say what a window painted where (SetDrawnTextObserver in
// platform/automation.h).
#pragma once

#include <windows.h>

#include <string_view>

namespace brontar::platform {

// Called by DrawTextExA for every text it draws.
void NotifyTextDrawn(const RECT& rect, std::string_view text, UINT format);

}  // namespace brontar::platform
