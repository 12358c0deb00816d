#include "machine/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "machine/machine_folder.h"

namespace brontar::machine {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(content).str();
}

namespace {

// Writes the content into a new file beside the target and flushes it;
// returns its path. Throws MachineError, leaving nothing behind.
std::filesystem::path WriteBeside(const std::filesystem::path& path, std::string_view content, bool executable) {
    const std::filesystem::path temporary = path.string() + ".new-" + std::to_string(getpid());
    const auto fail = [&](const char* step) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        throw MachineError(std::string(step) + " " + path.string() + ": " + reason);
    };
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, executable ? 0755 : 0644);
    if (fd < 0) fail("cannot create a file beside");
    size_t written = 0;
    while (written < content.size()) {
        ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            fail("cannot write");
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        fail("cannot flush");
    }
    if (::close(fd) != 0) fail("cannot close");
    return temporary;
}

[[noreturn]] void FailPlacing(const std::filesystem::path& temporary, const std::filesystem::path& path) {
    const std::string reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    throw MachineError("cannot place " + path.string() + ": " + reason);
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content, bool executable) {
    const std::filesystem::path temporary = WriteBeside(path, content, executable);
    if (::rename(temporary.c_str(), path.c_str()) != 0) FailPlacing(temporary, path);
}

bool CreateFileIfMissing(const std::filesystem::path& path, std::string_view content) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return false;
    const std::filesystem::path temporary = WriteBeside(path, content, false);
    // link() refuses to replace an existing file, unlike rename().
    const bool created = ::link(temporary.c_str(), path.c_str()) == 0;
    if (!created && errno != EEXIST) FailPlacing(temporary, path);
    ::unlink(temporary.c_str());
    return created;
}

}  // namespace brontar::machine
