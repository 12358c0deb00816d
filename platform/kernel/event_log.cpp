#include "platform/kernel/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace brontar::platform {

namespace {

std::string EscapeLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    line += '\n';
    return line;
}

// One write of the whole line with O_APPEND, so lines of two processes sharing
// the log never interleave.
void AppendTo(const char* target, const std::string& line) {
    if (std::string_view(target) == "-") {
        (void)!::write(STDERR_FILENO, line.data(), line.size());
        return;
    }
    int fd = ::open(target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

}  // namespace

void WriteEventLog(std::string_view text) {
    const char* target = std::getenv("BRONTAR_LOG");
    if (target == nullptr || *target == '\0') return;
    AppendTo(target, EscapeLine(text));
}

void WriteDiagnostic(std::string_view text) {
    const char* target = std::getenv("BRONTAR_LOG");
    AppendTo(target != nullptr && *target != '\0' ? target : "-", EscapeLine(text));
}

}  // namespace brontar::platform
