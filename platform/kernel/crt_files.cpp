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
#include <optional>
#include <string>

#include "machine/dos_path.h"
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

FILE* OpenDos(const char* path, const char* mode) {
    const auto host = MapForCrt(path);
    return host ? brontar::platform::OpenDosFileStream(*host, mode) : nullptr;
}

// Deletes a file; a folder is refused with EACCES, as on Windows.
int RemoveDos(const char* path) {
    const auto host = MapForCrt(path);
    if (!host) return -1;
    struct stat info {};
    if (::lstat(host->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EACCES;
        return -1;
    }
    return NextDefinition<int (*)(const char*)>("unlink")(host->c_str());
}

// Renames a file. As on Windows, an existing target is never replaced: the
// call fails with EACCES.
int RenameDos(const char* from, const char* to) {
    const auto hostFrom = IsDos(from) ? MapForCrt(from) : std::optional<std::string>(from);
    const auto hostTo = IsDos(to) ? MapForCrt(to) : std::optional<std::string>(to);
    if (!hostFrom || !hostTo) return -1;
    if (::renameat2(AT_FDCWD, hostFrom->c_str(), AT_FDCWD, hostTo->c_str(), RENAME_NOREPLACE) == 0) return 0;
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
    return NextDefinition<int (*)(const char*, const char*)>("rename")(hostFrom->c_str(), hostTo->c_str());
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
