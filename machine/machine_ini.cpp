#include "machine/machine_ini.h"
#include "machine/plain_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <mutex>

#include "machine/default_machine.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"

namespace brontar::machine {

MachineIni MachineIni::Parse(std::string_view text) {
    MachineIni ini;
    Section* current = nullptr;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) {
                current = nullptr;  // a broken header: its keys belong nowhere
                continue;
            }
            current = &ini.sections_[AsciiLower(Trim(line.substr(1, close - 1)))];
            continue;
        }
        const size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) continue;
        std::string key(Trim(line.substr(0, equals)));
        std::string value(Trim(line.substr(equals + 1)));
        auto& entries = current->entries;
        auto existing = std::find_if(entries.begin(), entries.end(),
                                     [&](const auto& entry) { return EqualsIgnoreCase(entry.first, key); });
        if (existing != entries.end())
            existing->second = std::move(value);  // the last line of a key wins
        else
            entries.emplace_back(std::move(key), std::move(value));
    }
    return ini;
}

std::optional<std::string> MachineIni::Get(std::string_view section, std::string_view key) const {
    auto found = sections_.find(AsciiLower(section));
    if (found == sections_.end()) return std::nullopt;
    for (const auto& [name, value] : found->second.entries)
        if (EqualsIgnoreCase(name, key)) return value;
    return std::nullopt;
}

std::string MachineIni::GetOr(std::string_view section, std::string_view key, std::string_view fallback) const {
    return Get(section, key).value_or(std::string(fallback));
}

long long MachineIni::GetInt(std::string_view section, std::string_view key, long long fallback) const {
    auto text = Get(section, key);
    if (!text || text->empty()) return fallback;
    long long value = 0;
    int base = 10;
    std::string_view digits = *text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return fallback;
    return value;
}

bool MachineIni::GetBool(std::string_view section, std::string_view key, bool fallback) const {
    auto text = Get(section, key);
    if (!text) return fallback;
    for (std::string_view yes : {"yes", "true", "1", "on"})
        if (EqualsIgnoreCase(*text, yes)) return true;
    for (std::string_view no : {"no", "false", "0", "off"})
        if (EqualsIgnoreCase(*text, no)) return false;
    return fallback;
}

bool MachineIni::HasSection(std::string_view section) const { return sections_.contains(AsciiLower(section)); }

std::vector<std::pair<std::string, std::string>> MachineIni::Entries(std::string_view section) const {
    auto found = sections_.find(AsciiLower(section));
    if (found == sections_.end()) return {};
    return found->second.entries;
}

std::string WithIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value) {
    const std::string line = std::string(key) + "=" + std::string(value);
    // Offsets of the key's last line and of the end of the section's last
    // non-blank line.
    size_t keyStart = std::string_view::npos, keyEnd = 0, sectionEnd = std::string_view::npos;
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view content = Trim(text.substr(start, end - start));
        if (!content.empty() && content.front() == '[') {
            const size_t close = content.find(']');
            inSection = close != std::string_view::npos && EqualsIgnoreCase(Trim(content.substr(1, close - 1)), section);
            if (inSection) sectionEnd = std::min(end + 1, text.size());
        } else if (inSection && !content.empty()) {
            sectionEnd = std::min(end + 1, text.size());
            const size_t equals = content.find('=');
            if (content.front() != ';' && content.front() != '#' && equals != std::string_view::npos &&
                EqualsIgnoreCase(Trim(content.substr(0, equals)), key)) {
                keyStart = start;
                keyEnd = end;
            }
        }
        start = end + 1;
    }
    std::string result(text);
    if (keyStart != std::string_view::npos) {
        const bool carriageReturn = keyEnd > keyStart && text[keyEnd - 1] == '\r';
        return result.replace(keyStart, keyEnd - keyStart - (carriageReturn ? 1 : 0), line);
    }
    if (sectionEnd != std::string_view::npos) {
        const bool newline = sectionEnd > 0 && result[sectionEnd - 1] == '\n';
        return result.insert(sectionEnd, (newline ? "" : "\n") + line + "\n");
    }
    if (!result.empty() && result.back() != '\n') result += '\n';
    return result + "\n[" + std::string(section) + "]\n" + line + "\n";
}

MachineIni CurrentMachineIni() {
    // Keyed by path and modification time, so an edited file is read again.
    static std::mutex mutex;
    static std::filesystem::path cachedPath;
    static struct timespec cachedTime {};
    static off_t cachedSize = -1;
    static MachineIni cached;

    std::filesystem::path folder;
    try {
        folder = EnsureMachineFolder();
    } catch (const MachineError& error) {
        // Callers deep inside the platform cannot stop for it: the machine
        // runs on its defaults, and says so once.
        static std::once_flag reported;
        std::call_once(reported, [&] { std::fprintf(stderr, "machine: %s; the defaults are used\n", error.what()); });
        return MachineIni::Parse(DefaultMachineIni());
    }
    const std::filesystem::path path = MachineIniPath(folder);
    struct stat info {};
    const bool present = ::stat(path.c_str(), &info) == 0;
    std::lock_guard lock(mutex);
    if (present && path == cachedPath && info.st_mtim.tv_sec == cachedTime.tv_sec &&
        info.st_mtim.tv_nsec == cachedTime.tv_nsec && info.st_size == cachedSize)
        return cached;
    cached = MachineIni::Parse(ReadWholeFile(path).value_or(std::string()));
    cachedPath = path;
    cachedTime = present ? info.st_mtim : timespec{};
    cachedSize = present ? info.st_size : -1;
    return cached;
}

}  // namespace brontar::machine
