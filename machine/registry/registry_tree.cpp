#include "machine/registry/registry_tree.h"

#include "machine/machine_folder.h"
#include "machine/plain_text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace brontar::machine::registry {

Bytes StringBytes(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

Bytes DwordBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::string FoldName(std::string_view name) { return AsciiLower(name); }

bool IsStorableValueName(std::string_view name) { return name.find('\0') == name.npos; }

bool IsStorableKeyName(std::string_view name) {
    return !name.empty() && name.size() <= kLongestKeyName &&
           name.find_first_of(std::string_view("\r\n\0\\", 4)) == name.npos;
}

bool SubkeyOrder::operator()(std::string_view left, std::string_view right) const {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : static_cast<unsigned char>(c); };
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [&](char a, char b) { return upper(a) < upper(b); });
}

RegistryKey::RegistryKey(const RegistryKey& other)
    : name_(other.name_), values_(other.values_), valueIndex_(other.valueIndex_) {
    // Each pending pair is a key copied without its subkeys yet, and its original.
    std::vector<std::pair<RegistryKey*, const RegistryKey*>> pending{{this, &other}};
    while (!pending.empty()) {
        const auto [copy, original] = pending.back();
        pending.pop_back();
        for (const auto& [folded, child] : original->subkeys_) {
            auto childCopy = std::make_unique<RegistryKey>(child->name_);
            childCopy->values_ = child->values_;
            childCopy->valueIndex_ = child->valueIndex_;
            pending.emplace_back(childCopy.get(), child.get());
            copy->subkeys_.emplace(folded, std::move(childCopy));
        }
    }
}

RegistryKey::~RegistryKey() {
    std::vector<std::unique_ptr<RegistryKey>> pending;
    const auto detach = [&](SubkeyMap& subkeys) {
        for (auto& [folded, child] : subkeys) pending.push_back(std::move(child));
        subkeys.clear();
    };
    detach(subkeys_);
    while (!pending.empty()) {
        std::unique_ptr<RegistryKey> key = std::move(pending.back());
        pending.pop_back();
        detach(key->subkeys_);
    }  // each key goes without subkeys, so no destructor calls another
}

const RegistryKey* RegistryKey::FindSubkey(std::string_view name) const {
    auto found = subkeys_.find(FoldName(name));
    return found == subkeys_.end() ? nullptr : found->second.get();
}

RegistryKey* RegistryKey::FindSubkey(std::string_view name) {
    return const_cast<RegistryKey*>(std::as_const(*this).FindSubkey(name));
}

RegistryKey& RegistryKey::CreateSubkey(std::string_view name) {
    std::string folded = FoldName(name);
    auto found = subkeys_.find(folded);
    if (found != subkeys_.end()) return *found->second;
    if (!IsStorableKeyName(name)) throw MachineError("registry key name cannot be stored: " + std::string(name));
    auto child = std::make_unique<RegistryKey>(std::string(name));
    RegistryKey& created = *child;
    subkeys_.emplace(std::move(folded), std::move(child));
    return created;
}

bool RegistryKey::DeleteSubkey(std::string_view name) { return subkeys_.erase(FoldName(name)) > 0; }

const RegistryValue* RegistryKey::FindValue(std::string_view name) const {
    auto found = valueIndex_.find(FoldName(name));
    return found == valueIndex_.end() ? nullptr : &values_[found->second];
}

void RegistryKey::SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    if (!IsStorableValueName(name)) throw MachineError("registry value name cannot be stored: " + std::string(name));
    auto [slot, inserted] = valueIndex_.try_emplace(FoldName(name), values_.size());
    if (inserted) values_.push_back({std::string(name), type, {}});
    RegistryValue& value = values_[slot->second];
    value.type = type;
    value.data.assign(data.begin(), data.end());
}

bool RegistryKey::SetValueIfMissing(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    if (FindValue(name) != nullptr) return false;
    SetValue(name, type, data);
    return true;
}

bool RegistryKey::DeleteValue(std::string_view name) {
    auto found = valueIndex_.find(FoldName(name));
    if (found == valueIndex_.end()) return false;
    const size_t place = found->second;
    valueIndex_.erase(found);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(place));
    for (auto& [folded, index] : valueIndex_)
        if (index > place) --index;
    return true;
}

void RegistryKey::DeleteAllValues() {
    values_.clear();
    valueIndex_.clear();
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    while (!path.empty()) {
        const size_t end = path.find('\\');
        std::string_view part = path.substr(0, end);
        if (!part.empty()) parts.emplace_back(part);
        if (end == std::string_view::npos) break;
        path.remove_prefix(end + 1);
    }
    if (parts.empty()) return std::nullopt;
    const std::string root = AsciiLower(parts.front());
    if (root == "hkey_local_machine" || root == "hklm") {
        parts.front() = kLocalMachine;
    } else if (root == "hkey_current_user" || root == "hkcu") {
        parts.front() = kCurrentUser;
    } else if (root == "hkey_classes_root" || root == "hkcr") {
        parts.front() = "Classes";
        parts.insert(parts.begin(), {std::string(kLocalMachine), "Software"});
    } else {
        return std::nullopt;
    }
    return parts;
}

RegistryTree::RegistryTree() : top_("") {
    top_.CreateSubkey(kLocalMachine);
    top_.CreateSubkey(kCurrentUser);
}

const RegistryKey* RegistryTree::FindKey(std::span<const std::string> components) const {
    const RegistryKey* key = &top_;
    for (const std::string& name : components) {
        key = key->FindSubkey(name);
        if (key == nullptr) return nullptr;
    }
    return key;
}

RegistryKey* RegistryTree::FindKey(std::span<const std::string> components) {
    return const_cast<RegistryKey*>(std::as_const(*this).FindKey(components));
}

RegistryKey& RegistryTree::CreateKey(std::span<const std::string> components) {
    if (components.size() > kDeepestKey)
        throw MachineError("registry key deeper than " + std::to_string(kDeepestKey) + " levels");
    RegistryKey* key = &top_;
    for (const std::string& name : components) key = &key->CreateSubkey(name);
    return *key;
}

bool RegistryTree::DeleteKey(std::span<const std::string> components) {
    if (components.size() < 2) return false;
    RegistryKey* parent = FindKey(components.first(components.size() - 1));
    return parent != nullptr && parent->DeleteSubkey(components.back());
}

const RegistryKey* RegistryTree::FindKey(std::string_view path) const {
    const auto components = SplitKeyPath(path);
    return components ? FindKey(*components) : nullptr;
}

RegistryKey* RegistryTree::FindKey(std::string_view path) {
    return const_cast<RegistryKey*>(std::as_const(*this).FindKey(path));
}

RegistryKey& RegistryTree::CreateKey(std::string_view path) {
    const auto components = SplitKeyPath(path);
    if (!components) throw MachineError("not a registry key path: " + std::string(path));
    return CreateKey(*components);
}

bool RegistryTree::DeleteKey(std::string_view path) {
    const auto components = SplitKeyPath(path);
    return components && DeleteKey(*components);
}

}  // namespace brontar::machine::registry
