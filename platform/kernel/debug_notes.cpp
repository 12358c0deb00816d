#include "platform/kernel/debug_notes.h"

#include <array>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

#include "machine/plain_text.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

constexpr std::array<std::string_view, 3> kChannelNames = {"d3d", "gdi", "user"};

std::mutex& NotesMutex() {
    static std::mutex mutex;
    return mutex;
}

// The keys said so far; callers hold NotesMutex.
bool FirstTime(std::string key) {
    static std::set<std::string> said;
    return said.insert(std::move(key)).second;
}

struct ChannelSwitch {
    std::string setting;  // the BRONTAR_DEBUG these bits were read from
    unsigned on = 0;      // bit per channel
    std::string problem;  // the first item not understood, if any
};

ChannelSwitch ReadSetting(std::string setting) {
    ChannelSwitch parsed;
    parsed.setting = std::move(setting);
    const std::string_view all = parsed.setting;
    for (size_t start = 0; start <= all.size();) {
        size_t end = all.find(',', start);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view item = machine::Trim(all.substr(start, end - start));
        start = end + 1;
        if (item.empty()) continue;
        const std::string_view name = item.substr(1);
        unsigned bits = 0;
        if (machine::EqualsIgnoreCase(name, "all")) bits = (1u << kChannelNames.size()) - 1;
        for (size_t i = 0; i < kChannelNames.size(); ++i)
            if (machine::EqualsIgnoreCase(name, kChannelNames[i])) bits = 1u << i;
        if (bits == 0 || (item[0] != '+' && item[0] != '-')) {
            if (parsed.problem.empty()) parsed.problem = std::string(item);
            continue;
        }
        parsed.on = item[0] == '+' ? parsed.on | bits : parsed.on & ~bits;
    }
    return parsed;
}

// The channels as BRONTAR_DEBUG holds them now, read again when it changes;
// callers hold NotesMutex.
unsigned ChannelsOn() {
    static ChannelSwitch current;
    const char* value = std::getenv("BRONTAR_DEBUG");
    const std::string_view setting = value != nullptr ? value : "";
    if (setting != current.setting) {
        current = ReadSetting(std::string(setting));
        if (!current.problem.empty() && FirstTime("BRONTAR_DEBUG=" + current.setting)) {
            std::string channels = "all";
            for (std::string_view name : kChannelNames) channels += ", " + std::string(name);
            WriteDiagnostic("BRONTAR_DEBUG: cannot understand \"" + current.problem +
                            "\"; ignored (items are +CHANNEL or -CHANNEL, separated by commas; channels: " + channels +
                            ")");
        }
    }
    return current.on;
}

bool OnLocked(DebugChannel channel) { return (ChannelsOn() >> static_cast<unsigned>(channel)) & 1u; }

}  // namespace

bool DebugChannelOn(DebugChannel channel) {
    std::lock_guard lock(NotesMutex());
    return OnLocked(channel);
}

void DebugNote(DebugChannel channel, std::string_view text) {
    if (DebugChannelOn(channel)) WriteDiagnostic(text);
}

void DebugNoteOnce(DebugChannel channel, std::string_view key, std::string_view text) {
    {
        std::lock_guard lock(NotesMutex());
        const std::string_view name = kChannelNames[static_cast<size_t>(channel)];
        if (!OnLocked(channel) || !FirstTime(std::string(name) + ":" + std::string(key))) return;
    }
    WriteDiagnostic(text);
}

void WriteDiagnosticOnce(std::string_view key, std::string_view text) {
    {
        std::lock_guard lock(NotesMutex());
        if (!FirstTime(":" + std::string(key))) return;
    }
    WriteDiagnostic(text);
}

}  // namespace brontar::platform
