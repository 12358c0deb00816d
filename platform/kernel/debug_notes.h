// Diagnostics said once per process, and the notes a user can do nothing
// about (a request carried out in a lesser way than asked), which stay quiet
// unless BRONTAR_DEBUG turns their channel on: "+d3d,+gdi", "+all,-user".
#pragma once

#include <string_view>

namespace brontar::platform {

enum class DebugChannel { D3d, Gdi, User };

// Whether BRONTAR_DEBUG, as it is now, turns the channel on. An item that is
// not +NAME or -NAME of a known channel (or all) is ignored, with one warning
// per distinct setting.
bool DebugChannelOn(DebugChannel channel);

// Written as WriteDiagnostic writes (BRONTAR_LOG, else standard error), only
// while the channel is on.
void DebugNote(DebugChannel channel, std::string_view text);

// As DebugNote, once per process for each key of the channel: programs repeat
// their requests every frame. A key met while the channel is off is not used up.
void DebugNoteOnce(DebugChannel channel, std::string_view key, std::string_view text);

// WriteDiagnostic, once per process for each key.
void WriteDiagnosticOnce(std::string_view key, std::string_view text);

}  // namespace brontar::platform
