#include "machine/registry/registry_text.h"

#include <charconv>
#include <optional>

#include "machine/machine_folder.h"

namespace brontar::machine::registry {

namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr uint32_t kTypeExpandString = 2;
constexpr uint32_t kTypeMultiString = 7;
// Hex data lines stay within this many columns, as the registry editor wraps them.
constexpr size_t kHexLineWidth = 80;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && FoldName(text.substr(0, prefix.size())) == FoldName(prefix);
}

// The physical lines of a text, CR LF or LF ended, with their numbers.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}
    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        const size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
        ++number_;
        return true;
    }
    size_t Number() const { return number_; }

private:
    std::string_view rest_;
    size_t number_ = 0;
};

using ParseError = std::string;  // why a line was refused

// Reads a quoted string with \\ and \" escapes from the start of text (which
// begins with the opening quote); advances text past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view& text, ParseError& error) {
    std::string out;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                error = "unknown escape in a quoted string (only \\\\ and \\\" are allowed)";
                return std::nullopt;
            }
            ++i;
        }
        out += text[i];
    }
    error = "quoted string without its closing quote";
    return std::nullopt;
}

std::optional<uint32_t> ParseHexNumber(std::string_view digits, size_t maxDigits) {
    uint32_t value = 0;
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// "4b,00,de" (blanks allowed around bytes, a trailing comma tolerated).
std::optional<Bytes> ParseByteList(std::string_view list) {
    Bytes bytes;
    list = TrimBlanks(list);
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = TrimBlanks(list.substr(0, comma));
        const auto value = ParseHexNumber(item, 2);
        if (!value) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*value));
        if (comma == std::string_view::npos) break;
        list = TrimBlanks(list.substr(comma + 1));
    }
    return bytes;
}

// Text types of a version 5 file hold UTF-16LE; this registry holds 8-bit text.
std::optional<Bytes> NarrowUtf16(const Bytes& wide) {
    if (wide.size() % 2 != 0) return std::nullopt;
    Bytes narrow;
    narrow.reserve(wide.size() / 2);
    for (size_t i = 0; i < wide.size(); i += 2) {
        const unsigned unit = wide[i] | (wide[i + 1] << 8);
        narrow.push_back(unit > 0xFF ? '?' : static_cast<uint8_t>(unit));
    }
    return narrow;
}

struct ParsedData {
    bool deletes = false;  // "name"=-
    uint32_t type = kTypeNone;
    Bytes data;
};

// The data after "name"=, with continuation lines already joined.
std::optional<ParsedData> ParseValueData(std::string_view text, bool version5, ParseError& error) {
    ParsedData parsed;
    text = TrimBlanks(text);
    if (text == "-") {
        parsed.deletes = true;
        return parsed;
    }
    if (!text.empty() && text.front() == '"') {
        auto content = ReadQuoted(text, error);
        if (!content) return std::nullopt;
        if (!TrimBlanks(text).empty()) {
            error = "text after the closing quote";
            return std::nullopt;
        }
        parsed.type = kTypeString;
        parsed.data = StringBytes(*content);
        return parsed;
    }
    if (StartsWithIgnoreCase(text, "dword:")) {
        const auto value = ParseHexNumber(TrimBlanks(text.substr(6)), 8);
        if (!value) {
            error = "dword: needs one to eight hex digits";
            return std::nullopt;
        }
        parsed.type = kTypeDword;
        parsed.data = DwordBytes(*value);
        return parsed;
    }
    if (StartsWithIgnoreCase(text, "hex:")) {
        parsed.type = kTypeBinary;
        text.remove_prefix(4);
    } else if (StartsWithIgnoreCase(text, "hex(")) {
        const size_t close = text.find("):");
        const auto type = close == std::string_view::npos ? std::nullopt : ParseHexNumber(text.substr(4, close - 4), 8);
        if (!type) {
            error = "hex(N): needs a hex type number";
            return std::nullopt;
        }
        parsed.type = *type;
        text.remove_prefix(close + 2);
    } else {
        error = "value data is none of \"text\", dword:, hex:, hex(N): or -";
        return std::nullopt;
    }
    auto bytes = ParseByteList(text);
    if (!bytes) {
        error = "hex bytes must be one or two hex digits separated by commas";
        return std::nullopt;
    }
    if (version5 && (parsed.type == kTypeExpandString || parsed.type == kTypeMultiString)) {
        bytes = NarrowUtf16(*bytes);
        if (!bytes) {
            error = "UTF-16 text with an odd number of bytes";
            return std::nullopt;
        }
    }
    parsed.data = std::move(*bytes);
    return parsed;
}

// Applies the lines after the header line.
class TextApplier {
public:
    TextApplier(RegistryTree& tree, bool version5) : tree_(tree), version5_(version5) {}

    void Run(LineReader& lines) {
        std::string_view line;
        while (lines.Next(line)) {
            const std::string_view trimmed = TrimBlanks(line);
            if (trimmed.empty() || trimmed.front() == ';') continue;
            ParseError error;
            const size_t number = lines.Number();
            bool ok;
            if (trimmed.front() == '[')
                ok = ApplyKeyLine(trimmed, error);
            else if (trimmed.front() == '"' || trimmed.front() == '@')
                ok = ApplyValueLine(trimmed, lines, error);
            else
                ok = (error = "line is neither [KEY] nor \"name\"=data", false);
            if (!ok) problems_.push_back({number, error});
        }
    }

    std::vector<ParseProblem> TakeProblems() { return std::move(problems_); }

private:
    bool ApplyKeyLine(std::string_view line, ParseError& error) {
        key_ = nullptr;
        skipValues_ = true;
        const size_t close = line.rfind(']');
        if (close == std::string_view::npos || !TrimBlanks(line.substr(close + 1)).empty()) {
            error = "key line without its closing ]";
            return false;
        }
        std::string_view path = line.substr(1, close - 1);
        const bool deletes = !path.empty() && path.front() == '-';
        if (deletes) path.remove_prefix(1);
        const auto components = SplitKeyPath(path);
        if (!components) {
            error = "key path does not start with HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER";
            return false;
        }
        for (size_t i = 1; i < components->size(); ++i)
            if (!IsStorableKeyName((*components)[i])) {
                error = (*components)[i].size() > kLongestKeyName
                            ? "key name longer than " + std::to_string(kLongestKeyName) + " characters"
                            : "key name cannot be stored";
                return false;
            }
        if (components->size() > kDeepestKey) {
            error = "key deeper than " + std::to_string(kDeepestKey) + " levels";
            return false;
        }
        if (deletes) {
            tree_.DeleteKey(*components);
            return true;
        }
        key_ = &tree_.CreateKey(*components);
        skipValues_ = false;
        return true;
    }

    bool ApplyValueLine(std::string_view line, LineReader& lines, ParseError& error) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ReadQuoted(line, error);
            if (!quoted) return false;
            name = std::move(*quoted);
            if (!IsStorableValueName(name)) {
                error = "value name cannot be stored";
                return false;
            }
        }
        if (line.empty() || line.front() != '=') {
            error = "value name not followed by =";
            return false;
        }
        std::string data(TrimBlanks(line.substr(1)));
        // Hex data may go on over lines that end with a backslash.
        if (StartsWithIgnoreCase(data, "hex")) {
            std::string_view next;
            while (!data.empty() && data.back() == '\\' && lines.Next(next)) {
                data.pop_back();
                data += TrimBlanks(next);
            }
        }
        auto parsed = ParseValueData(data, version5_, error);
        if (!parsed) return false;
        if (key_ == nullptr) {
            if (skipValues_) return true;  // below a refused or deleted key
            error = "value before any [KEY] line";
            return false;
        }
        if (parsed->deletes)
            key_->DeleteValue(name);
        else
            key_->SetValue(name, parsed->type, parsed->data);
        return true;
    }

    RegistryTree& tree_;
    bool version5_;
    RegistryKey* key_ = nullptr;  // the key the value lines go to
    bool skipValues_ = false;     // the last key line was refused or deleted a key
    std::vector<ParseProblem> problems_;
};

std::string QuoteName(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// REG_SZ data that the quoted form holds exactly: one terminator at the end,
// no other NUL, no line break.
bool IsPlainString(const RegistryValue& value) {
    const Bytes& data = value.data;
    if (value.type != kTypeString || data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    return true;
}

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendValueLine(std::string& out, const RegistryValue& value) {
    const size_t lineStart = out.size();
    out += value.name.empty() ? std::string("@") : QuoteName(value.name);
    out += '=';
    if (IsPlainString(value)) {
        out += QuoteName(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    } else if (value.type == kTypeDword && value.data.size() == 4) {
        char digits[9];
        const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                (static_cast<uint32_t>(value.data[3]) << 24);
        for (int i = 7; i >= 0; --i) digits[7 - i] = kHexDigits[(number >> (4 * i)) & 0xF];
        out += "dword:";
        out.append(digits, 8);
    } else {
        if (value.type == kTypeBinary) {
            out += "hex:";
        } else {
            char type[9];
            auto [end, ec] = std::to_chars(type, type + sizeof type, value.type, 16);
            (void)ec;
            out += "hex(";
            out.append(type, end);
            out += "):";
        }
        size_t column = out.size() - lineStart;
        for (size_t i = 0; i < value.data.size(); ++i) {
            const bool last = i + 1 == value.data.size();
            // Room for "xx," and the continuation backslash.
            if (column + 4 > kHexLineWidth) {
                out += "\\\r\n  ";
                column = 2;
            }
            out += kHexDigits[value.data[i] >> 4];
            out += kHexDigits[value.data[i] & 0xF];
            column += 2;
            if (!last) {
                out += ',';
                ++column;
            }
        }
    }
    out += "\r\n";
}

// The key's section (when asked for) and those of all keys below it, in
// name order, parents first. Walked with a stack of its own, so the depth of
// the tree never reaches the call stack.
void AppendKey(std::string& out, const RegistryKey& key, const std::string& path, bool withSection) {
    struct Pending {
        const RegistryKey* key;
        std::string path;
        bool withSection;
    };
    std::vector<Pending> pending{{&key, path, withSection}};
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        if (next.withSection) {
            out += "\r\n[";
            out += next.path;
            out += "]\r\n";
            for (const auto& [folded, value] : next.key->Values()) AppendValueLine(out, value);
        }
        // Pushed last to first, so the first subkey comes out next.
        const auto& subkeys = next.key->Subkeys();
        for (auto child = subkeys.rbegin(); child != subkeys.rend(); ++child)
            pending.push_back({child->second.get(), next.path + '\\' + child->second->Name(), true});
    }
}

}  // namespace

std::string DescribeProblem(std::string_view file, const ParseProblem& problem) {
    std::string text(file);
    if (problem.line != 0) text += " line " + std::to_string(problem.line);
    return text + ": " + problem.message;
}

std::string DecodeRegistryFileBytes(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE) {
        std::string text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned unit = static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8);
            text += unit > 0xFF ? '?' : static_cast<char>(unit);
        }
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<ParseProblem> ApplyRegistryText(std::string_view text, RegistryTree& tree) {
    LineReader lines(text);
    std::string_view header;
    lines.Next(header);
    header = TrimBlanks(header);
    if (header != kRegedit4Header && header != kVersion5Header)
        return {{1, "first line is neither REGEDIT4 nor Windows Registry Editor Version 5.00"}};
    TextApplier applier(tree, header == kVersion5Header);
    applier.Run(lines);
    return applier.TakeProblems();
}

std::string SerialiseRegistry(const RegistryTree& tree) {
    std::string out(kRegedit4Header);
    out += "\r\n";
    for (const auto& [folded, root] : tree.Top().Subkeys()) {
        AppendKey(out, *root, root->Name(), !root->Values().empty());
    }
    out += "\r\n";
    return out;
}

std::string SerialiseRegistryKey(const RegistryKey& key, std::string_view path) {
    std::string out(kRegedit4Header);
    out += "\r\n";
    AppendKey(out, key, std::string(path), true);
    out += "\r\n";
    return out;
}

}  // namespace brontar::machine::registry
