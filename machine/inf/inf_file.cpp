#include "machine/inf/inf_file.h"

#include <algorithm>
#include <charconv>

#include "machine/plain_text.h"

namespace brontar::machine::inf {

namespace {

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

bool IsNumber(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What %name% stands for in the fields of the file's lines.
struct Substitutions {
    const Strings& strings;
    const DirectoryIds& directories;
    std::vector<UnresolvedString>* unresolved;  // null: not recorded (the [Strings] values themselves)
    int line = 0;
};

// A field's text: quotes removed ("" inside quotes is one quote), %name%
// replaced, %% is %. A name nothing defines stays as written.
std::string Expand(std::string_view raw, const Substitutions& with) {
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
            if (name.empty()) {
                text += '%';
            } else if (const auto found = with.strings.find(AsciiLower(name)); found != with.strings.end()) {
                text += found->second;
            } else if (IsNumber(name)) {
                const auto folder = name.size() <= 9 ? with.directories.find(std::stoi(std::string(name)))
                                                     : with.directories.end();
                if (folder != with.directories.end())
                    text += folder->second;
                else
                    text.append(raw.substr(i, close - i + 1));
            } else {
                if (with.unresolved != nullptr) with.unresolved->push_back({std::string(name), with.line});
                text.append(raw.substr(i, close - i + 1));
            }
            i = close;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::optional<uint32_t> ReadInfNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFul)
        return std::nullopt;
    return uint32_t(value);
}

InfFile InfFile::Parse(std::string_view bytes, const DirectoryIds& directories) {
    if (bytes.size() > kMaxInfBytes) throw InfError("larger than any INF file (over 4 MB)");
    const std::string text = DecodeText(bytes.substr(0, bytes.find('\x1A')));  // Ctrl-Z ends a DOS file
    if (text.find('\0') != std::string::npos) throw InfError("not a text file");

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
                throw InfError("line " + std::to_string(pendingNumber) + ": section name without ']'");
            current = &raw[AsciiLower(Trim(std::string_view(logical).substr(1, close - 1)))];
            continue;
        }
        if (current != nullptr) current->push_back({logical, pendingNumber});  // lines before any section are ignored
    }

    // The values of [Strings] are taken as written, apart from their quotes.
    Strings strings;
    const Strings noStrings;
    const DirectoryIds noDirectories;
    if (const auto found = raw.find("strings"); found != raw.end())
        for (const RawLine& line : found->second) {
            const auto parts = SplitOutsideQuotes(line.text, '=', 2);
            if (parts.size() == 2)
                strings[AsciiLower(Trim(parts[0]))] = Expand(parts[1], {noStrings, noDirectories, nullptr});
        }

    InfFile inf;
    for (const auto& [name, lines] : raw) {
        std::vector<InfLine>& section = inf.sections_[name];
        const bool isStrings = name == "strings";
        for (const RawLine& rawLine : lines) {
            const Substitutions with{strings, directories, isStrings ? nullptr : &inf.unresolved_, rawLine.number};
            InfLine line;
            line.number = rawLine.number;
            auto parts = SplitOutsideQuotes(rawLine.text, '=', 2);
            if (parts.size() == 2) line.key = Expand(parts[0], with);
            for (std::string_view field : SplitOutsideQuotes(parts.back(), ',', SIZE_MAX))
                line.fields.push_back(Expand(field, with));
            section.push_back(std::move(line));
        }
    }
    std::stable_sort(inf.unresolved_.begin(), inf.unresolved_.end(),
                     [](const UnresolvedString& a, const UnresolvedString& b) { return a.line < b.line; });
    return inf;
}

const std::vector<InfLine>* InfFile::Section(std::string_view name) const {
    const auto found = sections_.find(AsciiLower(Trim(name)));
    return found == sections_.end() ? nullptr : &found->second;
}

std::vector<std::string> InfFile::DirectiveList(const std::vector<InfLine>& section, std::string_view directive) {
    std::vector<std::string> names;
    for (const InfLine& line : section)
        if (EqualsIgnoreCase(line.key, directive)) names.insert(names.end(), line.fields.begin(), line.fields.end());
    return names;
}

std::optional<std::string> InfFile::Value(std::string_view section, std::string_view key) const {
    if (const std::vector<InfLine>* lines = Section(section))
        for (const InfLine& line : *lines)
            if (EqualsIgnoreCase(line.key, key)) return line.fields[0];
    return std::nullopt;
}

}  // namespace brontar::machine::inf
