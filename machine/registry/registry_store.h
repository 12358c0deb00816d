// The registry file of a machine folder (registry.reg) and the parsed copy a
// process keeps of it. Reads re-parse only when the file changed; writes are
// read-modify-write cycles under an exclusive lock (flock on registry.reg.lock),
// the new file written beside the old one, flushed and renamed over it, so
// readers see the old file or the new one and no process loses another's write.
// A file that cannot be parsed is never written: edits are refused so nothing
// of the user's is lost.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "machine/registry/registry_text.h"
#include "machine/registry/registry_tree.h"

namespace brontar::machine::registry {

// What a process holds of the registry file.
struct RegistryContent {
    RegistryTree tree;
    std::vector<ParseProblem> problems;  // not empty: the file is refused for writes
    std::string text;                    // the file's bytes as read or last written
};

// One reading of the registry: the content and a number that changes
// whenever the content may have (so callers can cache lookups into it).
struct RegistrySnapshot {
    std::shared_ptr<const RegistryContent> content;  // never null
    uint64_t version = 0;
};

class RegistryStore {
public:
    explicit RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::filesystem::path& File() const { return file_; }

    // The current content; the file is read again only when its inode,
    // modification time or size changed. A missing file reads as an empty
    // registry; an unreadable one as an empty registry with a problem.
    RegistrySnapshot Snapshot();

    // Locked read-modify-write of the file. The edit sees the current tree;
    // when it throws, nothing is written and the exception passes on. An
    // unchanged tree is not written again. Throws MachineError when the file
    // has problems or cannot be written; the file is then untouched.
    void Edit(const std::function<void(RegistryTree&)>& edit);

    // Who the file was last seen as.
    struct FileIdentity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        int64_t mtimeSeconds = 0;
        int64_t mtimeNanoseconds = 0;
        off_t size = 0;
        bool operator==(const FileIdentity&) const = default;
    };

private:
    void RefreshLocked();
    void LoadLocked();
    void ForgetLocked();

    std::filesystem::path file_;
    std::mutex mutex_;
    std::shared_ptr<RegistryContent> content_;  // null until first read
    FileIdentity identity_;
    uint64_t version_ = 0;
};

// The process-wide store of a machine folder's registry.reg.
RegistryStore& RegistryStoreFor(const std::filesystem::path& machineFolder);

// A locked read-modify-write of the machine folder's registry.reg (the
// folder must exist). Throws MachineError on failure; nothing is lost then.
void EditRegistry(const std::filesystem::path& machineFolder, const std::function<void(RegistryTree&)>& edit);

// The machine folder's registry as it is now, read-only.
RegistrySnapshot ReadRegistry(const std::filesystem::path& machineFolder);

// Steps of writing the file, for tests that stop a writer part way.
enum class WriteStep { Write, Flush, Rename };

struct WriteTestHooks {
    size_t chunkSize = 0;  // bytes per write call; 0: the whole file at once
    // Called before each step; index counts the write calls of one file from 0.
    std::function<void(WriteStep step, size_t index)> beforeStep;
};

// Installs hooks for this process's later writes (tests only; a forked child
// can kill itself at a chosen step).
void SetWriteTestHooks(WriteTestHooks hooks);

}  // namespace brontar::machine::registry
