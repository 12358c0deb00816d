// The Win32 registry functions over the machine's registry file, as Windows 95
// shows them to a caller: roots HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
// (HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes), names matched
// without regard to case, ERROR_FILE_NOT_FOUND for a missing key or value,
// ERROR_MORE_DATA with the needed size and the caller's buffer untouched.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include "machine/machine_folder.h"
#include "platform/kernel/event_log.h"
#include "platform/registry/open_keys.h"

namespace mr = brontar::machine::registry;
using brontar::platform::KeyTarget;
using brontar::platform::OpenKey;

namespace {

// The key a handle and subkey name, looked up in a fresh reading of its store.
struct FoundKey {
    LONG error = ERROR_SUCCESS;
    mr::RegistrySnapshot snapshot;
    const mr::RegistryKey* key = nullptr;  // null when missing
    KeyTarget target;

    // Lets go of the snapshot before an edit (see EditStore).
    void Release() {
        key = nullptr;
        snapshot = {};
    }
};

FoundKey FindKey(HKEY hKey, LPCSTR lpSubKey) {
    FoundKey found;
    OpenKey* handle = nullptr;
    if (lpSubKey == nullptr || *lpSubKey == '\0') handle = brontar::platform::OpenKeys().Find(hKey);
    found.error = brontar::platform::ResolveKey(hKey, lpSubKey, found.target);
    if (found.error != ERROR_SUCCESS) return found;
    found.snapshot = brontar::platform::ReadStore(*found.target.store);
    found.key = brontar::platform::LookUpKey(found.snapshot, found.target, handle);
    return found;
}

// The error for a key that is missing: a subkey path that names nothing, or
// an open handle whose key another caller has deleted meanwhile.
LONG MissingKeyError(HKEY hKey, LPCSTR lpSubKey) {
    const bool openHandle = brontar::platform::OpenKeys().Find(hKey) != nullptr;
    return openHandle && (lpSubKey == nullptr || *lpSubKey == '\0') ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
}

// The key a handle itself names; a key gone meanwhile is the missing-key error.
FoundKey FindHandleKey(HKEY hKey) {
    FoundKey found = FindKey(hKey, nullptr);
    if (found.error == ERROR_SUCCESS && found.key == nullptr) found.error = MissingKeyError(hKey, nullptr);
    return found;
}

// Runs an edit of the target's registry file; the edit returns the Win32
// result, and nothing is written unless it is ERROR_SUCCESS.
// The caller must hold no snapshot of the store, so the edit can change the
// kept tree in place instead of copying it.
// A change that cannot be saved is recorded under its name (the key's path,
// and the value's name when one is given).
LONG EditStore(const KeyTarget& target, const std::optional<std::string>& valueName,
               const std::function<LONG(mr::RegistryTree&)>& edit) {
    const auto unsaved = [&] {
        std::string change;
        for (const std::string& component : target.components) change += (change.empty() ? "" : "\\") + component;
        if (valueName) change += "\\" + (valueName->empty() ? std::string("(Default)") : *valueName);
        brontar::platform::RecordUnsavedRegistryChange(std::move(change));
    };
    if (!brontar::platform::ReadStore(*target.store).content->problems.empty()) {
        unsaved();
        return ERROR_BADDB;
    }
    struct Refused {
        LONG error;
    };
    try {
        target.store->Edit([&](mr::RegistryTree& tree) {
            const LONG result = edit(tree);
            if (result != ERROR_SUCCESS) throw Refused{result};
        });
    } catch (const Refused& refused) {
        return refused.error;
    } catch (const brontar::machine::MachineError& error) {
        brontar::platform::WriteDiagnostic(std::string("registry: ") + error.what());
        unsaved();
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

bool NamesStorable(const KeyTarget& target, size_t from) {
    if (target.components.size() > mr::kDeepestKey) return false;
    for (size_t i = from; i < target.components.size(); ++i)
        if (!mr::IsStorableKeyName(target.components[i])) return false;
    return true;
}

// Opens or creates the key below hKey; shared by RegOpenKeyA and RegCreateKeyA.
LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult, bool create) {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    FoundKey found = FindKey(hKey, lpSubKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    // No subkey: the caller gets its own handle back, as Windows does.
    if (lpSubKey == nullptr || *lpSubKey == '\0') {
        if (found.key == nullptr) return MissingKeyError(hKey, lpSubKey);
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    if (found.key == nullptr) {
        if (!create) {
            *phkResult = nullptr;
            return ERROR_FILE_NOT_FOUND;
        }
        if (!NamesStorable(found.target, 1)) return ERROR_INVALID_PARAMETER;
        found.Release();
        const LONG result = EditStore(found.target, std::nullopt, [&](mr::RegistryTree& tree) {
            tree.CreateKey(found.target.components);
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS) return result;
    }
    *phkResult = brontar::platform::OpenKeys().Open(std::move(found.target));
    return ERROR_SUCCESS;
}

// Copies a name with its terminator when it fits in capacity characters.
bool CopyName(const std::string& name, LPSTR buffer, DWORD capacity) {
    if (name.size() + 1 > capacity) return false;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

}  // namespace

extern "C" {

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, phkResult, false);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, phkResult, true);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    std::lock_guard lock(brontar::platform::RegistryMutex());
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER || hKey == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
    return brontar::platform::OpenKeys().Close(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    const FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    const mr::RegistryValue* value = found.key->FindValue(lpValueName != nullptr ? lpValueName : "");
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    const DWORD size = static_cast<DWORD>(value->data.size());
    if (lpType != nullptr) *lpType = value->type;
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        std::copy(value->data.begin(), value->data.end(), lpData);
    }
    if (lpcbData != nullptr) *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    if (!mr::IsStorableValueName(name)) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    const LONG missing = MissingKeyError(hKey, nullptr);
    found.Release();
    return EditStore(found.target, name, [&](mr::RegistryTree& tree) -> LONG {
        mr::RegistryKey* key = tree.FindKey(std::span<const std::string>(found.target.components));
        if (key == nullptr) return missing;
        key->SetValue(name, dwType, std::span<const uint8_t>(lpData, lpData != nullptr ? cbData : 0));
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    std::lock_guard lock(brontar::platform::RegistryMutex());
    FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    if (found.key->FindValue(name) == nullptr) return ERROR_FILE_NOT_FOUND;
    const LONG missing = MissingKeyError(hKey, nullptr);
    found.Release();
    return EditStore(found.target, name, [&](mr::RegistryTree& tree) -> LONG {
        mr::RegistryKey* key = tree.FindKey(std::span<const std::string>(found.target.components));
        if (key == nullptr) return missing;
        return key->DeleteValue(name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

// As on Windows 95, the key goes with everything below it.
LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr || *lpSubKey == '\0') return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    FoundKey found = FindKey(hKey, lpSubKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    if (found.key == nullptr) return ERROR_FILE_NOT_FOUND;
    if (found.target.components.size() < 2) return ERROR_ACCESS_DENIED;  // a root stays
    found.Release();
    return EditStore(found.target, std::nullopt, [&](mr::RegistryTree& tree) -> LONG {
        return tree.DeleteKey(found.target.components) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    if (lpName == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    const FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    const auto& subkeys = found.key->Subkeys();
    if (dwIndex >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const auto& child = *std::next(subkeys.begin(), dwIndex)->second;
    return CopyName(child.Name(), lpName, cchName) ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    const FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    const auto& values = found.key->Values();
    if (dwIndex >= values.size()) return ERROR_NO_MORE_ITEMS;
    const mr::RegistryValue& value = values[dwIndex];
    const DWORD size = static_cast<DWORD>(value.data.size());
    // Neither buffer is touched unless both fit.
    if (value.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
    if (lpData != nullptr && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    CopyName(value.name, lpValueName, *lpcchValueName);
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    if (lpType != nullptr) *lpType = value.type;
    if (lpData != nullptr) std::copy(value.data.begin(), value.data.end(), lpData);
    if (lpcbData != nullptr) *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             LPFILETIME lpftLastWriteTime) {
    if (lpReserved != nullptr || (lpClass != nullptr && lpcchClass == nullptr)) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(brontar::platform::RegistryMutex());
    const FoundKey found = FindHandleKey(hKey);
    if (found.error != ERROR_SUCCESS) return found.error;
    const mr::RegistryKey& key = *found.key;
    // Keys here carry no class name, security data or write time.
    if (lpClass != nullptr) {
        if (*lpcchClass < 1) return ERROR_MORE_DATA;
        lpClass[0] = '\0';
    }
    if (lpcchClass != nullptr) *lpcchClass = 0;
    DWORD longestSubkey = 0, longestName = 0, largestData = 0;
    for (const auto& [folded, child] : key.Subkeys())
        longestSubkey = std::max(longestSubkey, static_cast<DWORD>(child->Name().size()));
    for (const mr::RegistryValue& value : key.Values()) {
        longestName = std::max(longestName, static_cast<DWORD>(value.name.size()));
        largestData = std::max(largestData, static_cast<DWORD>(value.data.size()));
    }
    if (lpcSubKeys != nullptr) *lpcSubKeys = static_cast<DWORD>(key.Subkeys().size());
    if (lpcbMaxSubKeyLen != nullptr) *lpcbMaxSubKeyLen = longestSubkey;
    if (lpcbMaxClassLen != nullptr) *lpcbMaxClassLen = 0;
    if (lpcValues != nullptr) *lpcValues = static_cast<DWORD>(key.Values().size());
    if (lpcbMaxValueNameLen != nullptr) *lpcbMaxValueNameLen = longestName;
    if (lpcbMaxValueLen != nullptr) *lpcbMaxValueLen = largestData;
    if (lpcbSecurityDescriptor != nullptr) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime != nullptr) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

}  // extern "C"
