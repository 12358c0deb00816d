#include "machine/inf/inf_registry.h"

#include <algorithm>

#include "machine/machine_folder.h"  // MachineError

namespace brontar::machine::inf {

namespace {

namespace reg = registry;

// The names of a backslash path; empty ones (doubled or trailing
// backslashes) skipped.
std::vector<std::string_view> PathNames(std::string_view path) {
    std::vector<std::string_view> names;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find('\\', start), path.size());
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The key below root along a backslash path, created when asked.
reg::RegistryKey* Walk(reg::RegistryKey& root, std::string_view path, bool create) {
    reg::RegistryKey* key = &root;
    for (const std::string_view name : PathNames(path)) {
        key = create ? &key->CreateSubkey(name) : key->FindSubkey(name);
        if (key == nullptr) break;
    }
    return key;
}

reg::Bytes ValueData(uint32_t& type, uint32_t flags, const InfLine& line) {
    const std::vector<std::string>& fields = line.fields;
    const uint32_t typeWord = flags >> 16;
    reg::Bytes data;
    if ((flags & kAddRegBinary) == 0) {
        if (typeWord == 1) {
            type = reg::kTypeMultiString;
            for (size_t i = 4; i < fields.size(); ++i) {
                data.insert(data.end(), fields[i].begin(), fields[i].end());
                data.push_back(0);
            }
            data.push_back(0);
            return data;
        }
        if (typeWord > 2) throw InfError("unknown registry flags " + std::to_string(flags));
        type = typeWord == 2 ? reg::kTypeExpandString : reg::kTypeString;
        return reg::StringBytes(line.Field(4));
    }
    type = typeWord == 0 ? reg::kTypeBinary : typeWord == 1 ? reg::kTypeDword : typeWord == 2 ? 0 : typeWord;
    if (type == reg::kTypeDword && fields.size() == 5) {
        const auto number = ReadInfNumber(fields[4]);
        if (!number) throw InfError("'" + fields[4] + "' is not a number");
        return reg::DwordBytes(*number);
    }
    for (size_t i = 4; i < fields.size(); ++i) {
        const auto byte = ReadInfNumber(fields[i].starts_with("0x") || fields[i].starts_with("0X") ? fields[i]
                                                                                                   : "0x" + fields[i]);
        if (!byte || *byte > 0xFF) throw InfError("'" + fields[i] + "' is not a hex byte");
        data.push_back(uint8_t(*byte));
    }
    return data;
}

void AddLine(const InfLine& line, reg::RegistryKey& root) {
    const std::string flagText = line.Field(3);
    const auto flags = ReadInfNumber(flagText.empty() ? "0" : flagText);
    if (!flags) throw InfError("the flags '" + flagText + "' are not a number");
    const bool namesValue = line.fields.size() >= 3;
    uint32_t type = 0;
    reg::Bytes data;
    if (namesValue && !(*flags & kAddRegDeleteValue)) data = ValueData(type, *flags, line);
    // Every name is checked before the first key is made, so a refused line
    // leaves nothing behind.
    const std::string subkey = line.Field(1);
    // Half the registry's depth, so a line's key stays within the registry
    // below any root an INF writes to; a deeper key would make the registry
    // file one the machine refuses to read back.
    constexpr size_t kDeepestPath = reg::kDeepestKey / 2;
    if (PathNames(subkey).size() > kDeepestPath)
        throw InfError("the key lies deeper than " + std::to_string(kDeepestPath) + " levels");
    for (const std::string_view name : PathNames(subkey))
        if (!reg::IsStorableKeyName(name))
            throw InfError("the registry cannot hold a key named '" + std::string(name) + "'");
    const std::string valueName = line.Field(2);
    if (!reg::IsStorableValueName(valueName))
        throw InfError("the registry cannot hold a value named '" + valueName + "'");
    reg::RegistryKey& key = *Walk(root, subkey, true);
    if (!namesValue) return;
    if (*flags & kAddRegDeleteValue)
        key.DeleteValue(valueName);
    else if (*flags & kAddRegNoClobber)
        key.SetValueIfMissing(valueName, type, data);
    else
        key.SetValue(valueName, type, data);
}

}  // namespace

void ApplyAddRegLine(const InfLine& line, reg::RegistryKey& root) {
    try {
        AddLine(line, root);
    } catch (const InfError& error) {
        throw InfError(line.Where() + error.what());
    } catch (const MachineError& error) {
        throw InfError(line.Where() + error.what());
    }
}

void ApplyDelRegLine(const InfLine& line, reg::RegistryKey& root) {
    const std::string subkey = line.Field(1);
    if (line.fields.size() < 3) {
        if (subkey.empty()) return;  // never the root itself
        const size_t slash = subkey.rfind('\\');
        reg::RegistryKey* parent = slash == std::string::npos ? &root : Walk(root, subkey.substr(0, slash), false);
        if (parent != nullptr) parent->DeleteSubkey(subkey.substr(slash + 1));
    } else if (reg::RegistryKey* key = Walk(root, subkey, false)) {
        key->DeleteValue(line.Field(2));
    }
}

}  // namespace brontar::machine::inf
