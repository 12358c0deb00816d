// The C runtime's file functions on DOS paths. The platform library defines
// fopen, remove, rename and unlink itself; a program that links it resolves
// those names here first. A DOS path (C:\AUTOEXEC.BAT) is opened in the
// machine as the Windows C runtime opens it; every other path goes on to the
// C library unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "machine/dos_path.h"
#include "machine/faults.h"
#include "machine/plain_text.h"
#include "platform/kernel/dos_file_stream.h"
#include "platform/kernel/event_log.h"

namespace {

// The C library's own definition of a function we stand in for.
template <typename Function>
Function NextDefinition(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// The host path of a DOS path; errno ENOENT when the machine cannot map it.
std::optional<std::string> MapForCrt(const char* path) {
    try {
        if (auto host = brontar::machine::MapDosPath(path)) return host->string();
    } catch (const std::exception& error) {
        brontar::platform::WriteDiagnostic(std::string("C runtime: ") + error.what());
    }
    errno = ENOENT;
    return std::nullopt;
}

bool IsDos(const char* path) { return path != nullptr && brontar::machine::IsDosPath(path); }

// File-name tunnelling, as Windows does it: a file put under a name that
// another file left (by rename or delete) within the last 15 seconds takes
// over that file's properties. So a program that replaces a file the safe
// way (new file beside, old one moved away, new one renamed in) keeps the
// user's file as it was set up; here the properties are the host file's
// mode and owner.
class NameTunnel {
public:
    // The file described by info has left hostPath.
    void Vacate(const std::string& hostPath, const struct stat& info) {
        if (!S_ISREG(info.st_mode)) return;
        std::lock_guard lock(mutex_);
        left_[Key(hostPath)] = {info.st_mode & 07777, info.st_uid, info.st_gid, Clock::now()};
    }
    // Gives the file at source the properties of the file that left target.
    void Arrive(const std::string& source, const std::string& target) {
        Left left;
        {
            std::lock_guard lock(mutex_);
            const auto found = left_.find(Key(target));
            if (found == left_.end()) return;
            left = found->second;
            left_.erase(found);
        }
        if (Clock::now() - left.when > std::chrono::seconds(15)) return;
        // The owner first: a change of owner may clear set-id bits of the mode.
        if (::lchown(source.c_str(), left.owner, left.group) != 0) {
            // Only the superuser may give a file away; the mode is kept still.
        }
        ::chmod(source.c_str(), left.mode);
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Left {
        mode_t mode = 0;
        uid_t owner = 0;
        gid_t group = 0;
        Clock::time_point when;
    };
    static std::string Key(const std::string& hostPath) { return brontar::machine::AsciiLower(hostPath); }

    std::mutex mutex_;
    std::map<std::string, Left> left_;
};

NameTunnel& Tunnel() {
    static NameTunnel tunnel;
    return tunnel;
}

FILE* OpenDos(const char* path, const char* mode) {
    brontar::machine::StopIfRequested("CrtStop");
    const auto host = MapForCrt(path);
    if (!host) return nullptr;
    struct stat info {};
    const bool created = mode != nullptr && mode[0] != 'r' && ::lstat(host->c_str(), &info) != 0;
    FILE* file = brontar::platform::OpenDosFileStream(*host, mode);
    if (file != nullptr && created) Tunnel().Arrive(*host, *host);
    return file;
}

// Deletes a file; a folder is refused with EACCES, as on Windows.
int RemoveDos(const char* path) {
    brontar::machine::StopIfRequested("CrtStop");
    const auto host = MapForCrt(path);
    if (!host) return -1;
    struct stat info {};
    const bool exists = ::lstat(host->c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        errno = EACCES;
        return -1;
    }
    if (NextDefinition<int (*)(const char*)>("unlink")(host->c_str()) != 0) return -1;
    Tunnel().Vacate(*host, info);
    return 0;
}

// Renames a file. As on Windows, an existing target is never replaced: the
// call fails with EACCES.
int RenameDos(const char* from, const char* to) {
    brontar::machine::StopIfRequested("CrtStop");
    const auto hostFrom = IsDos(from) ? MapForCrt(from) : std::optional<std::string>(from);
    const auto hostTo = IsDos(to) ? MapForCrt(to) : std::optional<std::string>(to);
    if (!hostFrom || !hostTo) return -1;
    struct stat moved {};
    if (::lstat(hostTo->c_str(), &moved) != 0) Tunnel().Arrive(*hostFrom, *hostTo);
    const bool sourceSeen = ::lstat(hostFrom->c_str(), &moved) == 0;
    if (::renameat2(AT_FDCWD, hostFrom->c_str(), AT_FDCWD, hostTo->c_str(), RENAME_NOREPLACE) == 0) {
        if (sourceSeen) Tunnel().Vacate(*hostFrom, moved);
        return 0;
    }
    if (errno == EEXIST) {
        errno = EACCES;
        return -1;
    }
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // A file system without RENAME_NOREPLACE: check, then rename.
    struct stat info {};
    if (::lstat(hostTo->c_str(), &info) == 0) {
        errno = EACCES;
        return -1;
    }
    if (NextDefinition<int (*)(const char*, const char*)>("rename")(hostFrom->c_str(), hostTo->c_str()) != 0) return -1;
    if (sourceSeen) Tunnel().Vacate(*hostFrom, moved);
    return 0;
}

}  // namespace

extern "C" {

FILE* fopen(const char* path, const char* mode) {
    if (IsDos(path)) return OpenDos(path, mode);
    static const auto next = NextDefinition<FILE* (*)(const char*, const char*)>("fopen");
    return next(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    if (IsDos(path)) return OpenDos(path, mode);
    static const auto next = NextDefinition<FILE* (*)(const char*, const char*)>("fopen64");
    return next(path, mode);
}

int remove(const char* path) {
    if (IsDos(path)) return RemoveDos(path);
    static const auto next = NextDefinition<int (*)(const char*)>("remove");
    return next(path);
}

int unlink(const char* path) noexcept {
    if (IsDos(path)) return RemoveDos(path);
    static const auto next = NextDefinition<int (*)(const char*)>("unlink");
    return next(path);
}

int rename(const char* from, const char* to) {
    if (IsDos(from) || IsDos(to)) return RenameDos(from, to);
    static const auto next = NextDefinition<int (*)(const char*, const char*)>("rename");
    return next(from, to);
}

}  // extern "C"
