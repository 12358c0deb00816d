#include "machine/monitor/monitor_inf.h"

#include <charconv>

#include "machine/machine_ini.h"  // AsciiLower, EqualsIgnoreCase, Trim

namespace brontar::machine::monitor {

namespace {

namespace reg = registry;

constexpr size_t kMaxInfBytes = 4 << 20;

// UTF-16LE text (with its byte-order mark) as UTF-8; a UTF-8 mark dropped.
std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
    if (!bytes.starts_with("\xFF\xFE")) return std::string(bytes);
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned unit = uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8;
        if (unit >= 0xD800 && unit < 0xE000) unit = '?';  // outside the names an INF uses
        if (unit < 0x80) {
            text += char(unit);
        } else if (unit < 0x800) {
            text += char(0xC0 | unit >> 6);
            text += char(0x80 | (unit & 0x3F));
        } else {
            text += char(0xE0 | unit >> 12);
            text += char(0x80 | ((unit >> 6) & 0x3F));
            text += char(0x80 | (unit & 0x3F));
        }
    }
    return text;
}

// The line without its comment; continued is set when it ends in '\'
// outside quotes, which is then removed.
std::string_view StripComment(std::string_view line, bool& continued) {
    bool quoted = false;
    size_t end = line.size();
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) {
            end = i;
            break;
        }
    }
    std::string_view kept = Trim(line.substr(0, end));
    continued = !quoted && !kept.empty() && kept.back() == '\\';
    if (continued) kept.remove_suffix(1);
    return kept;
}

// Splits at the separator where it is outside quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator, size_t maxParts) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == separator && !quoted && parts.size() + 1 < maxParts) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

using Strings = std::map<std::string, std::string, std::less<>>;  // by folded key

// A field's text: quotes removed ("" inside quotes is one quote), %name%
// replaced from [Strings] (an unknown name stays as written), %% is %.
std::string Expand(std::string_view raw, const Strings& strings) {
    raw = Trim(raw);
    std::string text;
    bool quoted = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            if (quoted && i + 1 < raw.size() && raw[i + 1] == '"') {
                text += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == '%') {
            const size_t close = raw.find('%', i + 1);
            if (close == std::string_view::npos) {
                text += raw.substr(i);
                break;
            }
            const std::string_view name = raw.substr(i + 1, close - i - 1);
            const auto found = strings.find(AsciiLower(name));
            if (name.empty())
                text += '%';
            else if (found != strings.end())
                text += found->second;
            else
                text.append(raw.substr(i, close - i + 1));
            i = close;
        } else {
            text += c;
        }
    }
    return text;
}

std::string FieldAt(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? fields[index] : std::string();
}

std::optional<unsigned long> ReadInfNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFul)
        return std::nullopt;
    return value;
}

// The key below root along a backslash path, created when asked.
reg::RegistryKey* Walk(reg::RegistryKey& root, std::string_view path, bool create) {
    reg::RegistryKey* key = &root;
    size_t start = 0;
    while (start <= path.size() && key != nullptr) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty()) key = create ? &key->CreateSubkey(name) : key->FindSubkey(name);
        start = end + 1;
    }
    return key;
}

// Setup's AddReg flags: bit 0 binary data, bit 1 keep an existing value, bit 2
// delete the value; the high word picks the type.
constexpr unsigned long kFlagBinary = 0x1, kFlagNoClobber = 0x2, kFlagDeleteValue = 0x4;

reg::Bytes ValueData(uint32_t& type, unsigned long flags, const std::vector<std::string>& fields) {
    const unsigned long typeWord = flags >> 16;
    reg::Bytes data;
    if ((flags & kFlagBinary) == 0) {
        if (typeWord == 1) {
            type = 7;  // REG_MULTI_SZ
            for (size_t i = 4; i < fields.size(); ++i) {
                data.insert(data.end(), fields[i].begin(), fields[i].end());
                data.push_back(0);
            }
            data.push_back(0);
            return data;
        }
        if (typeWord > 2) throw MonitorImportError("unknown registry flags " + std::to_string(flags));
        type = typeWord == 2 ? 2 : reg::kTypeString;  // REG_EXPAND_SZ or REG_SZ
        return reg::StringBytes(FieldAt(fields, 4));
    }
    type = typeWord == 0 ? reg::kTypeBinary : typeWord == 1 ? reg::kTypeDword : typeWord == 2 ? 0 : typeWord;
    if (type == reg::kTypeDword && fields.size() == 5) {
        const auto number = ReadInfNumber(fields[4]);
        if (!number) throw MonitorImportError("'" + fields[4] + "' is not a number");
        return reg::DwordBytes(uint32_t(*number));
    }
    for (size_t i = 4; i < fields.size(); ++i) {
        const auto byte = ReadInfNumber(fields[i].starts_with("0x") || fields[i].starts_with("0X") ? fields[i]
                                                                                                   : "0x" + fields[i]);
        if (!byte || *byte > 0xFF) throw MonitorImportError("'" + fields[i] + "' is not a hex byte");
        data.push_back(uint8_t(*byte));
    }
    return data;
}

}  // namespace

MonitorInf MonitorInf::Parse(std::string_view bytes) {
    if (bytes.size() > kMaxInfBytes) throw MonitorImportError("larger than any monitor INF (over 4 MB)");
    const std::string text = DecodeText(bytes.substr(0, bytes.find('\x1A')));  // Ctrl-Z ends a DOS file
    if (text.find('\0') != std::string::npos) throw MonitorImportError("not a text file");

    struct RawLine {
        std::string text;
        int number;
    };
    std::map<std::string, std::vector<RawLine>, std::less<>> raw;
    std::vector<RawLine>* current = nullptr;
    std::string pending;
    int pendingNumber = 0;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        ++number;
        bool continued = false;
        const std::string_view line = StripComment(std::string_view(text).substr(start, end - start), continued);
        start = end + 1;
        if (pending.empty()) pendingNumber = number;
        pending += line;
        if (continued && start < text.size()) continue;
        std::string logical;
        logical.swap(pending);
        if (logical.empty()) continue;
        if (logical[0] == '[') {
            const size_t close = logical.find(']');
            if (close == std::string::npos)
                throw MonitorImportError("line " + std::to_string(pendingNumber) + ": section name without ']'");
            current = &raw[AsciiLower(Trim(std::string_view(logical).substr(1, close - 1)))];
            continue;
        }
        if (current != nullptr) current->push_back({logical, pendingNumber});  // lines before any section are ignored
    }

    Strings strings;
    if (const auto found = raw.find("strings"); found != raw.end())
        for (const RawLine& line : found->second) {
            const auto parts = SplitOutsideQuotes(line.text, '=', 2);
            if (parts.size() == 2) strings[AsciiLower(Trim(parts[0]))] = Expand(parts[1], {});
        }

    MonitorInf inf;
    for (const auto& [name, lines] : raw) {
        std::vector<Line>& section = inf.sections_[name];
        for (const RawLine& rawLine : lines) {
            Line line;
            line.number = rawLine.number;
            auto parts = SplitOutsideQuotes(rawLine.text, '=', 2);
            if (parts.size() == 2) line.key = Expand(parts[0], strings);
            for (std::string_view field : SplitOutsideQuotes(parts.back(), ',', SIZE_MAX))
                line.fields.push_back(Expand(field, strings));
            section.push_back(std::move(line));
        }
    }
    if (inf.Section("Manufacturer") == nullptr) throw MonitorImportError("no [Manufacturer] section");
    return inf;
}

const std::vector<MonitorInf::Line>* MonitorInf::Section(std::string_view name) const {
    const auto found = sections_.find(AsciiLower(Trim(name)));
    return found == sections_.end() ? nullptr : &found->second;
}

std::vector<InfModel> MonitorInf::Models() const {
    std::vector<InfModel> models;
    for (const Line& maker : *Section("Manufacturer")) {
        if (maker.fields.empty() || maker.fields[0].empty()) continue;
        const std::string& base = maker.fields[0];
        const std::vector<Line>* section = Section(base);
        for (size_t i = 1; i < maker.fields.size() && section == nullptr; ++i)
            if (EqualsIgnoreCase(maker.fields[i], "NTx86") || EqualsIgnoreCase(maker.fields[i], "NT"))
                section = Section(base + "." + maker.fields[i]);
        for (size_t i = 1; i < maker.fields.size() && section == nullptr; ++i)
            section = Section(base + "." + maker.fields[i]);
        if (section == nullptr) continue;
        for (const Line& line : *section)
            if (!line.key.empty() && !line.fields.empty())
                models.push_back({maker.key.empty() ? base : maker.key, line.key, line.fields[0],
                                  FieldAt(line.fields, 1)});
    }
    return models;
}

void MonitorInf::ApplyRegistrySections(const std::vector<std::string>& names, bool deleting,
                                       reg::RegistryKey& root, int& skipped) const {
    for (const std::string& name : names) {
        if (name.empty()) continue;
        const std::vector<Line>* section = Section(name);
        if (section == nullptr)
            throw MonitorImportError(std::string(deleting ? "DelReg" : "AddReg") + " section [" + name +
                                     "] is missing");
        for (const Line& line : *section) {
            const std::string where = "line " + std::to_string(line.number) + ": ";
            try {
                if (!EqualsIgnoreCase(line.fields[0], "HKR")) {
                    ++skipped;
                    continue;
                }
                const std::string subkey = FieldAt(line.fields, 1);
                const bool namesValue = line.fields.size() >= 3;
                const std::string valueName = FieldAt(line.fields, 2);
                if (deleting) {
                    if (!namesValue && !subkey.empty()) {
                        const size_t slash = subkey.rfind('\\');
                        reg::RegistryKey* parent =
                            slash == std::string::npos ? &root : Walk(root, subkey.substr(0, slash), false);
                        if (parent != nullptr) parent->DeleteSubkey(subkey.substr(slash + 1));
                    } else if (reg::RegistryKey* key = Walk(root, subkey, false); key != nullptr && namesValue) {
                        key->DeleteValue(valueName);
                    }
                    continue;
                }
                const auto flags = ReadInfNumber(FieldAt(line.fields, 3).empty() ? "0" : line.fields[3]);
                if (!flags) throw MonitorImportError("the flags '" + line.fields[3] + "' are not a number");
                reg::RegistryKey& key = *Walk(root, subkey, true);
                if (!namesValue) continue;
                if (*flags & kFlagDeleteValue) {
                    key.DeleteValue(valueName);
                    continue;
                }
                uint32_t type = 0;
                const reg::Bytes data = ValueData(type, *flags, line.fields);
                if (*flags & kFlagNoClobber)
                    key.SetValueIfMissing(valueName, type, data);
                else
                    key.SetValue(valueName, type, data);
            } catch (const MonitorImportError& error) {
                throw MonitorImportError(where + error.what());
            } catch (const MachineError& error) {
                throw MonitorImportError(where + error.what());
            }
        }
    }
}

MonitorDescription MonitorInf::Install(const InfModel& model, std::string_view infName, int* skippedLines) const {
    std::string sectionName = model.installSection;
    for (const std::string_view platform : {".NTx86", ".NT"})
        if (Section(model.installSection + std::string(platform)) != nullptr) {
            sectionName = model.installSection + std::string(platform);
            break;
        }
    const std::vector<Line>* install = Section(sectionName);
    if (install == nullptr)
        throw MonitorImportError("the install section [" + model.installSection + "] of '" + model.description +
                                 "' is missing");

    const auto lists = [](const std::vector<Line>& section, std::string_view directive) {
        std::vector<std::string> names;
        for (const Line& line : section)
            if (EqualsIgnoreCase(line.key, directive)) names.insert(names.end(), line.fields.begin(), line.fields.end());
        return names;
    };
    MonitorDescription monitor;
    monitor.name = model.description;
    monitor.manufacturer = model.manufacturer;
    monitor.hardwareId = model.hardwareId;
    int skipped = 0;
    ApplyRegistrySections(lists(*install, "DelReg"), true, monitor.classKey, skipped);
    ApplyRegistrySections(lists(*install, "AddReg"), false, monitor.classKey, skipped);
    if (const std::vector<Line>* hardware = Section(sectionName + ".HW")) {
        ApplyRegistrySections(lists(*hardware, "DelReg"), true, monitor.deviceKey, skipped);
        ApplyRegistrySections(lists(*hardware, "AddReg"), false, monitor.deviceKey, skipped);
    }
    if (skippedLines != nullptr) *skippedLines = skipped;
    CheckClassData(monitor.classKey);

    monitor.classKey.SetValue("InfPath", reg::kTypeString, reg::StringBytes(infName));
    monitor.classKey.SetValue("InfSection", reg::kTypeString, reg::StringBytes(sectionName));
    if (const std::vector<Line>* version = Section("Version"))
        for (const Line& line : *version)
            if (EqualsIgnoreCase(line.key, "Provider") && !line.fields.empty())
                monitor.classKey.SetValue("ProviderName", reg::kTypeString, reg::StringBytes(line.fields[0]));
    return monitor;
}

}  // namespace brontar::machine::monitor
