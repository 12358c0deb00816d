#include "platform/registry/open_keys.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "machine/machine_folder.h"
#include "platform/automation.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace mr = machine::registry;

namespace {

std::unordered_map<HKEY, std::unique_ptr<OpenKey>>& Handles() {
    static std::unordered_map<HKEY, std::unique_ptr<OpenKey>> handles;
    return handles;
}

// The path a predefined root handle stands for, or nullptr.
const std::vector<std::string>* RootComponents(HKEY key) {
    static const std::vector<std::string> localMachine{std::string(mr::kLocalMachine)};
    static const std::vector<std::string> currentUser{std::string(mr::kCurrentUser)};
    static const std::vector<std::string> classesRoot{std::string(mr::kLocalMachine), "Software", "Classes"};
    if (key == HKEY_LOCAL_MACHINE) return &localMachine;
    if (key == HKEY_CURRENT_USER) return &currentUser;
    if (key == HKEY_CLASSES_ROOT) return &classesRoot;
    return nullptr;
}

// HKEY_USERS, HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA.
bool IsOtherPredefinedRoot(HKEY key) {
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= static_cast<ULONG_PTR>(static_cast<LONG>(0x80000003)) &&
           value <= static_cast<ULONG_PTR>(static_cast<LONG>(0x80000006));
}

}  // namespace

HKEY OpenKeyTable::Open(KeyTarget target) {
    auto handle = std::make_unique<OpenKey>();
    handle->target = std::move(target);
    HKEY key = reinterpret_cast<HKEY>(handle.get());
    Handles().emplace(key, std::move(handle));
    return key;
}

bool OpenKeyTable::Close(HKEY key) { return Handles().erase(key) > 0; }

OpenKey* OpenKeyTable::Find(HKEY key) {
    auto found = Handles().find(key);
    return found == Handles().end() ? nullptr : found->second.get();
}

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

OpenKeyTable& OpenKeys() {
    static OpenKeyTable table;
    return table;
}

LONG ResolveKey(HKEY key, LPCSTR subKey, KeyTarget& target) {
    if (const auto* root = RootComponents(key)) {
        try {
            target.store = &mr::RegistryStoreFor(machine::EnsureMachineFolder());
        } catch (const machine::MachineError& error) {
            WriteDiagnostic(std::string("registry: ") + error.what());
            return ERROR_CANTOPEN;
        }
        target.components = *root;
    } else if (const OpenKey* open = OpenKeys().Find(key)) {
        target = open->target;
    } else {
        if (IsOtherPredefinedRoot(key))
            WriteDiagnostic("registry: roots other than HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and "
                            "HKEY_CLASSES_ROOT are not part of this machine");
        return ERROR_INVALID_HANDLE;
    }
    std::string_view path = subKey != nullptr ? subKey : "";
    while (!path.empty()) {
        const size_t end = path.find('\\');
        if (end != 0) target.components.emplace_back(path.substr(0, end));
        if (end == std::string_view::npos) break;
        path.remove_prefix(end + 1);
    }
    return ERROR_SUCCESS;
}

mr::RegistrySnapshot ReadStore(mr::RegistryStore& store) {
    static std::unordered_map<mr::RegistryStore*, uint64_t> reportedVersions;
    mr::RegistrySnapshot snapshot = store.Snapshot();
    const auto& problems = snapshot.content->problems;
    if (!problems.empty()) {
        uint64_t& reported = reportedVersions[&store];
        if (reported != snapshot.version) {
            reported = snapshot.version;
            for (const mr::ParseProblem& problem : problems)
                WriteDiagnostic("registry: " + mr::DescribeProblem(store.File().string(), problem));
            WriteDiagnostic("registry: " + store.File().string() +
                            " is read as far as it could be parsed and will not be written");
        }
    }
    return snapshot;
}

const mr::RegistryKey* LookUpKey(const mr::RegistrySnapshot& snapshot, const KeyTarget& target, OpenKey* handle) {
    if (handle != nullptr && handle->cachedVersion == snapshot.version && handle->cachedKey != nullptr)
        return handle->cachedKey;
    const mr::RegistryKey* key = snapshot.content->tree.FindKey(target.components);
    if (handle != nullptr) {
        handle->cachedVersion = snapshot.version;
        handle->cachedKey = key;
    }
    return key;
}

namespace {

std::vector<std::string>& UnsavedChanges() {
    static std::vector<std::string> changes;
    return changes;
}

}  // namespace

std::vector<std::string> UnsavedRegistryChanges() {
    std::lock_guard lock(RegistryMutex());
    return UnsavedChanges();
}

void RecordUnsavedRegistryChange(std::string change) { UnsavedChanges().push_back(std::move(change)); }

}  // namespace brontar::platform
