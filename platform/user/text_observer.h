// Watching the texts that DrawTextExA draws, so a host that runs without a
// screen can say what a window painted where.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace brontar::platform {

// Receives each text DrawTextExA draws: the rectangle in the context's
// coordinates, the text and the format flags.
using DrawnTextObserver = std::function<void(const RECT& rect, std::string_view text, UINT format)>;

// Installs the observer (an empty one removes it).
void SetDrawnTextObserver(DrawnTextObserver observer);

// Called by DrawTextExA for every text it draws.
void NotifyTextDrawn(const RECT& rect, std::string_view text, UINT format);

}  // namespace brontar::platform
