// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brontar::machine {

// The largest file any part of the machine or the brontar command reads
// whole (registry files, machine.ini, scripts): far above any real one.
inline constexpr uint64_t kLargestInputFile = uint64_t{256} << 20;

// The bytes of a regular file of at most kLargestInputFile bytes. A FIFO or
// a device is refused without being waited on or read. Throws MachineError
// saying which file and why (missing, a folder, not a regular file, too
// large, a read error).
std::string ReadInputFile(const std::filesystem::path& path);

// Throws ReadInputFile's MachineError when something is at the path that
// ReadInputFile would refuse; nothing at the path is fine.
void CheckInputFile(const std::filesystem::path& path);

// The bytes of a file, or nothing when ReadInputFile refuses it.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// A new file for writing beside the target (in its folder), named target +
// tag + the process id: created with O_EXCL and O_NOFOLLOW, so nothing another
// user planted under that name is followed or reused (a taken name gets a
// further number). Returns the descriptor; throws MachineError.
int CreateFileBeside(const std::filesystem::path& target, std::string_view tag, mode_t mode,
                     std::filesystem::path& created);

// Gives the open file the mode of the regular file at the target, and its
// owner and group where the process may; nothing when no file is there.
void TakeOverModeAndOwner(int fd, const std::filesystem::path& target);

// How long a process waits for a lock another holds before it gives up.
inline constexpr std::chrono::seconds kLockWaitLimit{3};

// Opens (creating it 0600, within the umask) a lock file that only its owner
// can open; -1 with errno on failure. A lock file open to others is narrowed.
int OpenLockFile(const std::filesystem::path& path);

// Takes the exclusive lock of the open lock file, waiting at most
// kLockWaitLimit; false with errno EWOULDBLOCK when another holds it longer.
bool LockWithin(int fd);

// Writes the content beside the target, flushes it to disk and renames it over
// the target, so a reader sees the old file or the new one, never a part.
// Throws MachineError on failure; the old file is then untouched. A file
// that is replaced keeps its mode and, where the process may set it, its
// owner; a new executable file gets mode 0755, any other 0644 (within the
// umask). Anything but a regular file at the path (a folder, a FIFO, a
// device) is refused, never replaced. The file beside is created anew (never through a link planted
// under its name) in the target's folder and removed on failure.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content, bool executable = false);

// Creates the file with the content only when nothing is at the path: the
// content is written beside and linked into place, so two processes creating
// the same file at once never overwrite each other nor a writer that got there
// first. Returns false when a file was already there. Throws MachineError.
bool CreateFileIfMissing(const std::filesystem::path& path, std::string_view content);

}  // namespace brontar::machine
