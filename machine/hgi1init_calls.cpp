#include "machine/hgi1init_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <string>

#include "machine/file_io.h"

namespace brontar::machine {

namespace {

// "name=count" lines.
std::map<std::string, long long> ParseCounts(std::string_view text) {
    std::map<std::string, long long> counts;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        long long count = 0;
        const std::string_view digits = line.substr(equals + 1);
        if (std::from_chars(digits.data(), digits.data() + digits.size(), count).ec == std::errc())
            counts[std::string(line.substr(0, equals))] = count;
    }
    return counts;
}

std::string FormatCounts(const std::map<std::string, long long>& counts) {
    std::string text;
    for (const auto& [name, count] : counts) text += name + "=" + std::to_string(count) + "\n";
    return text;
}

}  // namespace

std::filesystem::path Hgi1InitCallsPath(const std::filesystem::path& machineFolder) {
    return machineFolder / "hgi1init.calls";
}

void CountHgi1InitCall(const std::filesystem::path& machineFolder, std::string_view function) {
    // The file is updated in place under an exclusive lock, so two processes
    // counting at once lose no call.
    // Created 0600 so no other user can hold its lock; a lock held past the
    // limit costs this one count, never a hang.
    const int fd = OpenLockFile(Hgi1InitCallsPath(machineFolder));
    if (fd < 0) return;
    if (!LockWithin(fd)) {
        std::fprintf(stderr, "hgi1init: %s is locked by another program; this call is not counted\n",
                     Hgi1InitCallsPath(machineFolder).c_str());
        ::close(fd);
        return;
    }
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    auto counts = ParseCounts(text);
    ++counts[std::string(function)];
    const std::string updated = FormatCounts(counts);
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, updated.data(), updated.size(), 0);
    ::close(fd);  // releases the lock
}

std::map<std::string, long long> ReadHgi1InitCalls(const std::filesystem::path& machineFolder) {
    return ParseCounts(ReadWholeFile(Hgi1InitCallsPath(machineFolder)).value_or(std::string()));
}

}  // namespace brontar::machine
