// The registry in memory: keys below the roots HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, each holding named values with a type code and exact
// bytes. Key and value names match without regard to ASCII case and keep the
// case they were created with. Subkeys are listed in the order Windows
// enumerates them (names compared in upper case), values in the order they
// were created.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "machine/machine_folder.h"  // MachineError

namespace brontar::machine::registry {

// Win32 type codes.
inline constexpr uint32_t kTypeNone = 0;
inline constexpr uint32_t kTypeString = 1;
inline constexpr uint32_t kTypeExpandString = 2;
inline constexpr uint32_t kTypeBinary = 3;
inline constexpr uint32_t kTypeDword = 4;
inline constexpr uint32_t kTypeDwordBigEndian = 5;
inline constexpr uint32_t kTypeMultiString = 7;
inline constexpr uint32_t kTypeQword = 11;

inline constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
inline constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

using Bytes = std::vector<uint8_t>;

// One named value: its name as created, its type code and its bytes.
struct RegistryValue {
    std::string name;
    uint32_t type = kTypeNone;
    Bytes data;
};

// The bytes a REG_SZ value holds for a text: the characters and a terminator.
Bytes StringBytes(std::string_view text);
// The four little-endian bytes of a REG_DWORD.
Bytes DwordBytes(uint32_t value);

// Windows' own limits: a key name has at most 255 characters, and a key lies
// at most 512 levels deep (its root counted as the first level).
inline constexpr size_t kLongestKeyName = 255;
inline constexpr size_t kDeepestKey = 512;

// The lookup form of a key or value name (ASCII lower case).
std::string FoldName(std::string_view name);

// Whether a name can be stored and written to the registry file: no NUL, and
// for key names also no line break or backslash, not empty and at most
// kLongestKeyName characters.
bool IsStorableValueName(std::string_view name);
bool IsStorableKeyName(std::string_view name);

// Orders folded names as Windows enumerates subkeys: by their upper case.
struct SubkeyOrder {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const;
};

class RegistryKey {
public:
    using SubkeyMap = std::map<std::string, std::unique_ptr<RegistryKey>, SubkeyOrder>;  // by folded name

    explicit RegistryKey(std::string name) : name_(std::move(name)) {}
    RegistryKey(const RegistryKey& other);  // deep copy
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();  // copy and destruction take the tree level by level, never recursing into it

    const std::string& Name() const { return name_; }

    const RegistryKey* FindSubkey(std::string_view name) const;
    RegistryKey* FindSubkey(std::string_view name);
    // The direct subkey of that name, created when missing. Throws
    // MachineError for a name that cannot be stored (IsStorableKeyName).
    RegistryKey& CreateSubkey(std::string_view name);
    // Removes the direct subkey and everything below it; false when missing.
    bool DeleteSubkey(std::string_view name);

    const RegistryValue* FindValue(std::string_view name) const;
    // Stores the value, replacing any earlier one of that name (the earlier
    // spelling of the name is kept, as a rewrite does not rename). Throws
    // MachineError for a name that cannot be stored (IsStorableValueName).
    void SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data);
    // Stores the value only when none of that name exists; true when it did.
    // The installer uses it so a user's value is never replaced.
    bool SetValueIfMissing(std::string_view name, uint32_t type, std::span<const uint8_t> data);
    // False when there was no such value.
    bool DeleteValue(std::string_view name);
    void DeleteAllValues();

    const SubkeyMap& Subkeys() const { return subkeys_; }
    // In the order they were created; a rewrite keeps a value's place.
    const std::vector<RegistryValue>& Values() const { return values_; }

private:
    std::string name_;
    SubkeyMap subkeys_;
    std::vector<RegistryValue> values_;
    std::map<std::string, size_t, std::less<>> valueIndex_;  // folded name -> place in values_
};

// A key path split into its canonical components: the long root name first
// ("HKEY_LOCAL_MACHINE"), then each subkey name. Roots may be abbreviated
// (HKLM, HKCU); HKEY_CLASSES_ROOT and HKCR stand for
// HKEY_LOCAL_MACHINE\Software\Classes. Empty components (doubled or trailing
// backslashes) are skipped. Nothing when the root is not one of these.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// The whole registry: the two roots and everything below them.
class RegistryTree {
public:
    RegistryTree();
    RegistryTree(const RegistryTree& other) = default;  // deep copy
    RegistryTree& operator=(const RegistryTree&) = delete;

    // Keys addressed by full paths ("HKEY_LOCAL_MACHINE\Software\...").
    // FindKey gives nullptr when the key or the root is missing.
    const RegistryKey* FindKey(std::string_view path) const;
    RegistryKey* FindKey(std::string_view path);
    // The key, created with every missing parent. Throws MachineError when the
    // path does not start with a known root or lies deeper than kDeepestKey.
    RegistryKey& CreateKey(std::string_view path);
    // Removes the key and all below it; false when missing. Roots stay.
    bool DeleteKey(std::string_view path);

    // The same by split components (SplitKeyPath's form).
    const RegistryKey* FindKey(std::span<const std::string> components) const;
    RegistryKey* FindKey(std::span<const std::string> components);
    RegistryKey& CreateKey(std::span<const std::string> components);
    bool DeleteKey(std::span<const std::string> components);

    // The invisible key above the roots; its subkeys are the roots.
    const RegistryKey& Top() const { return top_; }

private:
    RegistryKey top_;
};

}  // namespace brontar::machine::registry
