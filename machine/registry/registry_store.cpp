#include "machine/registry/registry_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>

#include "machine/faults.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"

namespace brontar::machine::registry {

namespace fs = std::filesystem;

namespace {

constexpr size_t kDefaultChunkSize = size_t{1} << 20;
constexpr std::string_view kWritingSuffix = ".writing-";

WriteTestHooks& TestHooks() {
    static WriteTestHooks hooks;
    return hooks;
}

RegistryStore::FileIdentity IdentityOf(const struct stat& status) {
    RegistryStore::FileIdentity identity;
    identity.exists = true;
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.mtimeSeconds = status.st_mtim.tv_sec;
    identity.mtimeNanoseconds = status.st_mtim.tv_nsec;
    identity.size = status.st_size;
    return identity;
}

[[noreturn]] void ThrowSystemError(const std::string& what, const fs::path& path) {
    throw MachineError(what + " " + path.string() + ": " + std::strerror(errno));
}

// Holds the exclusive lock on registry.reg.lock while it lives.
class FileLock {
public:
    explicit FileLock(const fs::path& registryFile) {
        const fs::path lockFile = registryFile.string() + ".lock";
        fd_ = OpenLockFile(lockFile);
        if (fd_ < 0) ThrowSystemError("cannot open the registry lock", lockFile);
        if (!LockWithin(fd_)) {
            const int error = errno;
            ::close(fd_);
            if (error == EWOULDBLOCK) throw MachineError("the registry is locked by another program");
            errno = error;
            ThrowSystemError("cannot lock", lockFile);
        }
    }
    ~FileLock() { ::close(fd_); }  // closing releases the lock
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

// Removes files a writer killed part way left beside the registry. Only
// called under the lock, when no other writer can be at work.
void RemoveAbandonedFiles(const fs::path& registryFile) {
    const std::string prefix = registryFile.filename().string() + std::string(kWritingSuffix);
    DIR* folder = ::opendir(registryFile.parent_path().c_str());
    if (folder == nullptr) return;
    while (const dirent* entry = ::readdir(folder))
        if (std::string_view(entry->d_name).starts_with(prefix))
            ::unlink((registryFile.parent_path() / entry->d_name).c_str());
    ::closedir(folder);
}

void BeforeStep(WriteStep step, size_t index, const char* faultName, const fs::path& temporary) {
    if (TestHooks().beforeStep) TestHooks().beforeStep(step, index);
    if (FaultRequested(faultName)) {
        ::unlink(temporary.c_str());
        throw MachineError(std::string("registry write stopped by BRONTAR_FAULTS at ") + faultName);
    }
}

// The new file's modification time: now, but always after the file it
// replaces, so a reader never takes the new file for one it has cached (a
// freed inode number can come back with the same size within one clock tick).
timespec NextModificationTime(const RegistryStore::FileIdentity& previous) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (!previous.exists) return now;
    if (now.tv_sec > previous.mtimeSeconds ||
        (now.tv_sec == previous.mtimeSeconds && now.tv_nsec > previous.mtimeNanoseconds))
        return now;
    timespec later{static_cast<time_t>(previous.mtimeSeconds), static_cast<long>(previous.mtimeNanoseconds + 1)};
    if (later.tv_nsec >= 1000000000L) {
        later.tv_sec += 1;
        later.tv_nsec = 0;
    }
    return later;
}

// Writes the text beside the file, flushes it and renames it over the file.
// Returns the new file's identity; throws MachineError, the file untouched.
RegistryStore::FileIdentity ReplaceFile(const fs::path& file, std::string_view text,
                                        const RegistryStore::FileIdentity& previous) {
    fs::path temporary;
    const int fd = CreateFileBeside(file, kWritingSuffix, 0644, temporary);
    const auto fail = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
        ThrowSystemError(what, file);
    };
    TakeOverModeAndOwner(fd, file);
    const size_t chunkSize = TestHooks().chunkSize != 0 ? TestHooks().chunkSize : kDefaultChunkSize;
    size_t written = 0;
    for (size_t index = 0; written < text.size(); ++index) {
        BeforeStep(WriteStep::Write, index, "RegistryWrite", temporary);
        const size_t end = std::min(text.size(), written + chunkSize);
        while (written < end) {
            const ssize_t count = ::write(fd, text.data() + written, end - written);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) fail("cannot write");
            written += static_cast<size_t>(count);
        }
    }
    BeforeStep(WriteStep::Flush, 0, "RegistryFlush", temporary);
    const timespec times[2] = {{0, UTIME_OMIT}, NextModificationTime(previous)};
    if (::futimens(fd, times) != 0) fail("cannot set the time of");
    if (::fsync(fd) != 0) fail("cannot flush");
    struct stat status{};
    if (::fstat(fd, &status) != 0) fail("cannot inspect");
    if (::close(fd) != 0) {
        ::unlink(temporary.c_str());
        ThrowSystemError("cannot close", file);
    }
    BeforeStep(WriteStep::Rename, 0, "RegistryRename", temporary);
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        ThrowSystemError("cannot replace", file);
    }
    // Make the rename itself durable; the new content is already on disk.
    if (const int folder = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return IdentityOf(status);
}

std::string DescribeProblems(const fs::path& file, const std::vector<ParseProblem>& problems) {
    return DescribeProblem(file.string(), problems.front()) +
           " (the file is left as it is and not written)";
}

}  // namespace

RegistrySnapshot RegistryStore::Snapshot() {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    return {content_, version_};
}

void RegistryStore::RefreshLocked() {
    struct stat status{};
    FileIdentity now;
    if (::stat(file_.c_str(), &status) == 0) now = IdentityOf(status);
    if (content_ != nullptr && now == identity_) return;
    LoadLocked();
}

void RegistryStore::LoadLocked() {
    auto content = std::make_shared<RegistryContent>();
    FileIdentity identity;
    // O_NONBLOCK: a FIFO put in the file's place is refused, not waited on.
    const int fd = ::open(file_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) content->problems.push_back({0, std::string("cannot open: ") + std::strerror(errno)});
    } else {
        // The identity comes from the open file, so it names exactly the bytes read.
        struct stat status{};
        bool readable = ::fstat(fd, &status) == 0;
        if (readable && !S_ISREG(status.st_mode)) {
            content->problems.push_back({0, "is not a regular file"});
            readable = false;
        } else if (readable && static_cast<uint64_t>(status.st_size) > kLargestInputFile) {
            content->problems.push_back({0, "is larger than " + std::to_string(kLargestInputFile >> 20) +
                                                " MiB, the limit for a registry file"});
            readable = false;
        }
        if (readable) {
            identity = IdentityOf(status);
            content->text.resize(static_cast<size_t>(status.st_size));
            size_t done = 0;
            while (readable && done < content->text.size()) {
                const ssize_t count = ::read(fd, content->text.data() + done, content->text.size() - done);
                if (count < 0 && errno == EINTR) continue;
                if (count <= 0) readable = false;
                else done += static_cast<size_t>(count);
            }
        }
        if (!readable && content->problems.empty())
            content->problems.push_back({0, std::string("cannot read: ") + std::strerror(errno)});
        ::close(fd);
        if (readable) content->problems = ApplyRegistryText(DecodeRegistryFileBytes(content->text), content->tree);
    }
    content_ = std::move(content);
    identity_ = identity;
    ++version_;
}

void RegistryStore::ForgetLocked() {
    content_.reset();
    identity_ = FileIdentity{};
    ++version_;
}

void RegistryStore::Edit(const std::function<void(RegistryTree&)>& edit) {
    std::lock_guard lock(mutex_);
    FileLock fileLock(file_);
    RefreshLocked();
    if (!content_->problems.empty()) throw MachineError(DescribeProblems(file_, content_->problems));
    RemoveAbandonedFiles(file_);
    // Edit in place when no reader holds the content; else edit a copy.
    const bool inPlace = content_.use_count() == 1;
    std::shared_ptr<RegistryContent> edited = inPlace ? content_ : std::make_shared<RegistryContent>(*content_);
    try {
        edit(edited->tree);
        std::string text = SerialiseRegistry(edited->tree);
        if (identity_.exists && text == edited->text) return;
        const FileIdentity written = ReplaceFile(file_, text, identity_);
        edited->text = std::move(text);
        content_ = std::move(edited);
        identity_ = written;
        ++version_;
    } catch (...) {
        if (inPlace) ForgetLocked();  // the kept tree may hold a part of the edit
        throw;
    }
}

RegistryStore& RegistryStoreFor(const fs::path& machineFolder) {
    static std::mutex mutex;
    static std::map<fs::path, std::unique_ptr<RegistryStore>> stores;
    std::lock_guard lock(mutex);
    auto& store = stores[machineFolder];
    if (store == nullptr) store = std::make_unique<RegistryStore>(RegistryFilePath(machineFolder));
    return *store;
}

void EditRegistry(const fs::path& machineFolder, const std::function<void(RegistryTree&)>& edit) {
    RegistryStoreFor(machineFolder).Edit(edit);
}

RegistrySnapshot ReadRegistry(const fs::path& machineFolder) { return RegistryStoreFor(machineFolder).Snapshot(); }

void SetWriteTestHooks(WriteTestHooks hooks) { TestHooks() = std::move(hooks); }

}  // namespace brontar::machine::registry
