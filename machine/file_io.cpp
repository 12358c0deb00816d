#include "machine/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "machine/machine_folder.h"

namespace brontar::machine {

namespace {

std::string TooLarge() {
    return "is larger than " + std::to_string(kLargestInputFile >> 20) + " MiB, the limit for a file read whole";
}

// Why a file that was opened cannot be read whole; empty when it can.
std::string InputFileRefusal(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return "is a folder, not a file";
    if (!S_ISREG(info.st_mode)) return "is not a regular file (a FIFO, socket or device is not read)";
    if (static_cast<uint64_t>(info.st_size) > kLargestInputFile) return TooLarge();
    return {};
}

}  // namespace

std::string ReadInputFile(const std::filesystem::path& path) {
    // O_NONBLOCK: opening a FIFO does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw MachineError(path.string() + ": " + std::strerror(errno));
    struct stat info {};
    std::string refusal = ::fstat(fd, &info) != 0 ? std::strerror(errno) : InputFileRefusal(info);
    std::string content;
    if (refusal.empty()) {
        // The file may grow while it is read: the limit holds for what is read.
        content.reserve(static_cast<size_t>(info.st_size));
        char buffer[65536];
        while (true) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) refusal = std::strerror(errno);
            if (count <= 0) break;
            if (content.size() + static_cast<size_t>(count) > kLargestInputFile) {
                refusal = TooLarge();
                break;
            }
            content.append(buffer, static_cast<size_t>(count));
        }
    }
    ::close(fd);
    if (!refusal.empty()) throw MachineError(path.string() + ": " + refusal);
    return content;
}

void CheckInputFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return;
    if (const std::string refusal = InputFileRefusal(info); !refusal.empty())
        throw MachineError(path.string() + ": " + refusal);
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    try {
        return ReadInputFile(path);
    } catch (const MachineError&) {
        return std::nullopt;
    }
}

int CreateFileBeside(const std::filesystem::path& target, std::string_view tag, mode_t mode,
                     std::filesystem::path& created) {
    const std::string stem = target.string() + std::string(tag) + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = attempt == 0 ? stem : stem + "-" + std::to_string(attempt);
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    throw MachineError("cannot create a file beside " + target.string() + ": " + std::strerror(errno));
}

void TakeOverModeAndOwner(int fd, const std::filesystem::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
    // The owner first (it may clear set-id bits); only the superuser may give
    // a file to another user, so a failure there keeps the writer's own.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)!::fchmod(fd, old.st_mode & 07777);
}

int OpenLockFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    // A lock file made by an earlier version may be open to others: only its
    // owner can change that, and only the owner should hold it.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        (void)!::fchmod(fd, info.st_mode & 0700);
    return fd;
}

bool LockWithin(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWaitLimit;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

namespace {

// Writes the content into a new file beside the target and flushes it;
// returns its path. Throws MachineError, leaving nothing behind.
std::filesystem::path WriteBeside(const std::filesystem::path& path, std::string_view content, bool executable) {
    std::filesystem::path temporary;
    const int fd = CreateFileBeside(path, ".new-", executable ? 0755 : 0644, temporary);
    const auto fail = [&](const char* step) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        throw MachineError(std::string(step) + " " + path.string() + ": " + reason);
    };
    TakeOverModeAndOwner(fd, path);
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
    // A folder, FIFO or device under the name is never replaced by a file.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw MachineError(path.string() + ": is not a regular file; it is not replaced");
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
