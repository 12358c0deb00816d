// Registry key handles: what an HKEY stands for (a machine's registry store
// and a key path in it) and the table of open handles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "machine/registry/registry_store.h"

namespace brontar::platform {

// The key an HKEY names: the store of the machine it was opened in and the
// key's canonical path components. A root handle names the current machine.
struct KeyTarget {
    machine::registry::RegistryStore* store = nullptr;
    std::vector<std::string> components;
};

// One open handle. The key it found is remembered with the store version, so
// repeated queries on a handle skip the path walk.
struct OpenKey {
    KeyTarget target;
    uint64_t cachedVersion = 0;
    const machine::registry::RegistryKey* cachedKey = nullptr;
};

// The open handles of the process. Not thread-safe: callers hold RegistryMutex().
class OpenKeyTable {
public:
    // A new handle for the target.
    HKEY Open(KeyTarget target);
    // Closes an opened handle; false when it is not one.
    bool Close(HKEY key);
    // The open handle, or nullptr for a root or an unknown handle.
    OpenKey* Find(HKEY key);
};

// Serialises every registry call of the process.
std::mutex& RegistryMutex();
OpenKeyTable& OpenKeys();

// What a handle (root or opened) names, with a subkey path appended (NULL or
// "" for none). Returns ERROR_SUCCESS, ERROR_INVALID_HANDLE, or
// ERROR_CANTOPEN when the machine folder cannot be set up.
LONG ResolveKey(HKEY key, LPCSTR subKey, KeyTarget& target);

// The current content of the target's store; reports a damaged file once per
// reading through WriteDiagnostic.
machine::registry::RegistrySnapshot ReadStore(machine::registry::RegistryStore& store);

// The key a target names in a snapshot, or nullptr; uses and fills the
// handle's cache when handle is not null.
const machine::registry::RegistryKey* LookUpKey(const machine::registry::RegistrySnapshot& snapshot,
                                                const KeyTarget& target, OpenKey* handle);

// Adds one to the changes UnsavedRegistryChanges() (automation.h) answers,
// named "KEY\\VALUE" or "KEY"; the caller holds RegistryMutex().
void RecordUnsavedRegistryChange(std::string change);

}  // namespace brontar::platform
