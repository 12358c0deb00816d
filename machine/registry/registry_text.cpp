#include "machine/registry/registry_text.h"

#include <charconv>
#include <optional>

#include "machine/machine_folder.h"
#include "machine/plain_text.h"

namespace brontar::machine::registry {

namespace {

constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegeditPrefix = "REGEDIT";
constexpr std::string_view kWindows31Root = "HKEY_CLASSES_ROOT";
// Hex data lines stay within this many columns, as the registry editor wraps them.
constexpr size_t kHexLineWidth = 80;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// Nothing but blanks, or blanks and then a comment.
bool IsEndOfLine(std::string_view rest) {
    rest = SkipBlanks(rest);
    return rest.empty() || rest.front() == ';';
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && FoldName(text.substr(0, prefix.size())) == FoldName(prefix);
}

// The physical lines of a text, ended by CR LF, LF or a lone CR, with their numbers.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}
    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        const size_t end = rest_.find_first_of("\r\n");
        line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            rest_ = {};
        } else {
            const bool crLf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
            rest_.remove_prefix(end + (crLf ? 2 : 1));
        }
        ++number_;
        return true;
    }
    size_t Number() const { return number_; }

private:
    std::string_view rest_;
    size_t number_ = 0;
};

using ParseError = std::string;  // why a line was refused

// How the lines of a file are read.
struct ReadRules {
    bool version5 = false;  // hex(1), hex(2) and hex(7) data is UTF-16LE; \n and \r are escapes
    bool exact = false;     // the registry's own file: bytes as written, no terminator added
};

// Reads a quoted string from the start of text (which begins with the opening
// quote) and advances text past the closing quote. \\ and \" stand for
// themselves; \n and \r for LF and CR in version 5 files and the registry's own
// file (which writes line breaks in names so), while a REGEDIT4 file refuses
// them; \0 is refused everywhere, as the registry editor knows no such escape.
// Before any other character the backslash is dropped, as the registry editor
// does.
std::optional<std::string> ReadQuoted(std::string_view& text, const ReadRules& rules, ParseError& error) {
    std::string out;
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (++i == text.size()) break;
            c = text[i];
            if (c == '0' || ((c == 'n' || c == 'r') && !rules.version5 && !rules.exact)) {
                error = "\\" + std::string(1, c) + " is not an escape this file form knows";
                return std::nullopt;
            }
            if (c == 'n') c = '\n';
            else if (c == 'r') c = '\r';
        }
        out += c;
    }
    error = "quoted text without its closing quote";
    return std::nullopt;
}

std::optional<uint32_t> ParseHexNumber(std::string_view digits, size_t maxDigits) {
    uint32_t value = 0;
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// One to eight hex digits, then only blanks or a comment: "dword:1234;5678" is 0x1234.
std::optional<uint32_t> ParseDwordData(std::string_view text) {
    text = SkipBlanks(text);
    size_t digits = 0;
    while (digits < text.size() && IsHexDigit(text[digits])) ++digits;
    if (!IsEndOfLine(text.substr(digits))) return std::nullopt;
    return ParseHexNumber(text.substr(0, digits), 8);
}

enum class HexSegmentEnd { Complete, Continued, Invalid };

// Reads "4b, 00,de" from one line into bytes: blanks may come before a byte,
// a comma must follow it directly. A backslash where a byte would be continues
// the data on the next line; only blanks and a ; comment may follow it (a
// second backslash or a # makes the data invalid). A comment or the line's
// end completes the data.
HexSegmentEnd ReadHexSegment(std::string_view text, Bytes& bytes) {
    for (;;) {
        text = SkipBlanks(text);
        if (text.empty() || text.front() == ';') return HexSegmentEnd::Complete;
        if (text.front() == '\\')
            return IsEndOfLine(text.substr(1)) ? HexSegmentEnd::Continued : HexSegmentEnd::Invalid;
        size_t digits = 0;
        while (digits < text.size() && IsHexDigit(text[digits])) ++digits;
        const auto value = ParseHexNumber(text.substr(0, digits), digits);
        if (!value || *value > 0xFF) return HexSegmentEnd::Invalid;
        bytes.push_back(static_cast<uint8_t>(*value));
        text.remove_prefix(digits);
        if (!text.empty() && text.front() == ',') {
            text.remove_prefix(1);
            continue;
        }
        return IsEndOfLine(text) ? HexSegmentEnd::Complete : HexSegmentEnd::Invalid;
    }
}

// A line that continued hex data took in although it is a line of its own.
struct SwallowedLine {
    size_t number = 0;     // 0: none
    bool keyLine = false;  // a [KEY] line: the key is not created
};

// Hex bytes starting on this line and going on over lines continued with a
// backslash. After a continuing backslash, blank lines and ; comment lines are
// passed over; the next other line is always taken as more data: it must start
// with a hex digit, and a # line, a value line or a key line makes the value
// invalid (the key or value line is then not applied either: it is reported
// in swallowed). The end of the text ends the data.
std::optional<Bytes> ReadHexData(std::string_view text, LineReader& lines, ParseError& error,
                                 SwallowedLine& swallowed) {
    Bytes bytes;
    for (;;) {
        const HexSegmentEnd end = ReadHexSegment(text, bytes);
        if (end == HexSegmentEnd::Complete) return bytes;
        if (end == HexSegmentEnd::Invalid) {
            error = "hex data must be bytes of one or two hex digits, each followed directly by a comma, "
                    "and a continuing backslash only by blanks or a ; comment";
            return std::nullopt;
        }
        std::string_view next;
        do {
            if (!lines.Next(next)) return bytes;
            next = SkipBlanks(next);
        } while (next.empty() || next.front() == ';');
        if (next.front() == '[' || next.front() == '"' || next.front() == '@') {
            swallowed = {lines.Number(), next.front() == '['};
            error = "continued hex data runs into the " + std::string(swallowed.keyLine ? "key" : "value") +
                    " line " + std::to_string(lines.Number()) + "; neither is applied";
            return std::nullopt;
        }
        if (!IsHexDigit(next.front())) {
            error = next.front() == '#' ? "a # line inside continued hex data (# is no comment there)"
                                        : "continued hex data goes on with a line that does not start with a hex digit";
            return std::nullopt;
        }
        text = next;
    }
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

bool IsTextType(uint32_t type) { return type == kTypeString || type == kTypeExpandString || type == kTypeMultiString; }

struct ParsedData {
    bool deletes = false;  // "name"=-
    uint32_t type = kTypeNone;
    Bytes data;
};

// The data after "name"=, reading continuation lines as needed.
std::optional<ParsedData> ReadValueData(std::string_view text, LineReader& lines, const ReadRules& rules,
                                        ParseError& error, SwallowedLine& swallowed) {
    ParsedData parsed;
    text = SkipBlanks(text);
    if (!text.empty() && text.front() == '-' && IsEndOfLine(text.substr(1))) {
        parsed.deletes = true;
        return parsed;
    }
    if (!text.empty() && text.front() == '"') {
        auto content = ReadQuoted(text, rules, error);
        if (!content) return std::nullopt;
        if (!IsEndOfLine(text)) {
            error = "text after the closing quote";
            return std::nullopt;
        }
        parsed.type = kTypeString;
        parsed.data = StringBytes(*content);
        return parsed;
    }
    if (StartsWithIgnoreCase(text, "dword:")) {
        const auto value = ParseDwordData(text.substr(6));
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
            error = "hex(N): needs a type number of one to eight hex digits";
            return std::nullopt;
        }
        parsed.type = *type;
        text.remove_prefix(close + 2);
    } else {
        error = "value data is none of \"text\", dword:, hex:, hex(N): or -";
        return std::nullopt;
    }
    auto bytes = ReadHexData(text, lines, error, swallowed);
    if (!bytes) return std::nullopt;
    if (rules.version5 && IsTextType(parsed.type)) {
        bytes = NarrowUtf16(*bytes);
        if (!bytes) {
            error = "UTF-16 text with an odd number of bytes";
            return std::nullopt;
        }
    }
    if (!rules.exact && (parsed.type == kTypeExpandString || parsed.type == kTypeMultiString) && !bytes->empty() &&
        bytes->back() != 0)
        bytes->push_back(0);
    parsed.data = std::move(*bytes);
    return parsed;
}

// The key of a [KEY] line: only the long root names are read in files.
std::optional<std::vector<std::string>> FileKeyPath(std::string_view path, ParseError& error) {
    const std::string_view root = path.substr(0, path.find('\\'));
    for (std::string_view known : {kLocalMachine, kCurrentUser, kWindows31Root})
        if (FoldName(root) == FoldName(known)) {
            auto components = SplitKeyPath(path);
            for (size_t i = 1; components && i < components->size(); ++i)
                if (!IsStorableKeyName((*components)[i])) {
                    error = (*components)[i].size() > kLongestKeyName
                                ? "key name longer than " + std::to_string(kLongestKeyName) + " characters"
                                : "key name cannot be stored";
                    return std::nullopt;
                }
            if (components && components->size() > kDeepestKey) {
                error = "key deeper than " + std::to_string(kDeepestKey) + " levels";
                return std::nullopt;
            }
            return components;
        }
    error = "the root key is not HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT";
    return std::nullopt;
}

// Applies the lines after a REGEDIT4 or version 5 header.
class TextApplier {
public:
    TextApplier(RegistryTree& tree, ReadRules rules) : tree_(tree), rules_(rules) {}

    void Run(LineReader& lines) {
        std::string_view line;
        while (lines.Next(line)) {
            const std::string_view start = SkipBlanks(line);
            if (start.empty() || start.front() == ';' || start.front() == '#') continue;
            ParseError error;
            const size_t number = lines.Number();
            bool ok;
            if (start.front() == '[')
                ok = ApplyKeyLine(start, error);
            else if (start.front() == '"' || start.front() == '@')
                ok = ApplyValueLine(start, lines, error);
            else
                ok = (error = "line is neither [KEY] nor \"name\"=data", false);
            if (!ok) problems_.push_back({number, error});
            if (swallowed_.number != 0) {
                problems_.push_back({swallowed_.number, "taken as hex data continued from line " +
                                                            std::to_string(number) + "; not applied"});
                if (swallowed_.keyLine) {  // the values below it must not land in the key before
                    key_ = nullptr;
                    keyLine_ = KeyLine::Refused;
                }
                swallowed_ = {};
            }
        }
    }

    std::vector<ParseProblem> TakeProblems() { return std::move(problems_); }

private:
    bool ApplyKeyLine(std::string_view line, ParseError& error) {
        key_ = nullptr;
        keyLine_ = KeyLine::Refused;
        // Text after the last ] is ignored, as the registry editor does.
        const size_t close = line.rfind(']');
        if (close == std::string_view::npos) {
            error = "key line without its closing ]";
            return false;
        }
        std::string_view path = line.substr(1, close - 1);
        const bool deletes = !path.empty() && path.front() == '-';
        if (deletes) path.remove_prefix(1);
        const auto components = FileKeyPath(path, error);
        if (!components) return false;
        if (deletes) {
            tree_.DeleteKey(*components);
            keyLine_ = KeyLine::Deleted;
            return true;
        }
        key_ = &tree_.CreateKey(*components);
        return true;
    }

    bool ApplyValueLine(std::string_view line, LineReader& lines, ParseError& error) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ReadQuoted(line, rules_, error);
            if (!quoted) return false;
            name = quoted->substr(0, quoted->find('\0'));  // a name ends at a NUL, as a C string does
        }
        line = SkipBlanks(line);
        if (line.empty() || line.front() != '=') {
            error = "value name not followed by =";
            return false;
        }
        auto parsed = ReadValueData(line.substr(1), lines, rules_, error, swallowed_);
        if (!parsed) return false;
        if (key_ == nullptr) {
            error = keyLine_ == KeyLine::None      ? "value before any [KEY] line"
                    : keyLine_ == KeyLine::Deleted ? "value below a [-KEY] line"
                                                   : "value below a key line that was skipped";
            return false;
        }
        if (parsed->deletes)
            key_->DeleteValue(name);
        else
            key_->SetValue(name, parsed->type, parsed->data);
        return true;
    }

    enum class KeyLine { None, Refused, Deleted };

    RegistryTree& tree_;
    ReadRules rules_;
    RegistryKey* key_ = nullptr;  // the key the value lines go to
    KeyLine keyLine_ = KeyLine::None;
    SwallowedLine swallowed_;  // a key or value line the last value's hex data took in
    std::vector<ParseProblem> problems_;
};

// The Windows 3.1 form: "HKEY_CLASSES_ROOT\key = value" sets the key's
// default value. The key ends at the first blank; one blank after = is
// part of the separator.
std::vector<ParseProblem> ApplyWindows31Lines(LineReader& lines, RegistryTree& tree) {
    std::vector<ParseProblem> problems;
    std::string_view line;
    while (lines.Next(line)) {
        if (SkipBlanks(line).empty()) continue;
        if (!line.starts_with(kWindows31Root)) {
            problems.push_back({lines.Number(), "a REGEDIT file holds only HKEY_CLASSES_ROOT\\key = value lines"});
            continue;
        }
        size_t keyEnd = 0;
        while (keyEnd < line.size() && !IsBlank(line[keyEnd])) ++keyEnd;
        std::string_view value = SkipBlanks(line.substr(keyEnd));
        if (!value.empty() && value.front() == '=') value.remove_prefix(1);
        if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        ParseError error;
        const auto components = FileKeyPath(line.substr(0, keyEnd), error);
        if (!components) {
            problems.push_back({lines.Number(), error});
            continue;
        }
        tree.CreateKey(*components).SetValue("", kTypeString, StringBytes(value));
    }
    return problems;
}

ImportOutcome ReadRegistryText(std::string_view text, RegistryTree& tree, bool exact) {
    LineReader lines(text);
    std::string_view first;
    lines.Next(first);
    const std::string_view header = Trim(first);
    ImportOutcome outcome;
    if (header == kRegedit4Header || header == kVersion5Header) {
        outcome.read = true;
        TextApplier applier(tree, {header == kVersion5Header, exact});
        applier.Run(lines);
        outcome.problems = applier.TakeProblems();
    } else if (exact) {
        outcome.problems.push_back({1, "first line is not REGEDIT4"});
    } else if (header == kRegeditPrefix) {
        outcome.read = true;
        outcome.problems = ApplyWindows31Lines(lines, tree);
    } else if (header.starts_with(kRegeditPrefix)) {
        // The registry editor accepts any REGEDIT header and skips what it cannot read.
        outcome.read = true;
        outcome.problems.push_back(
            {1, "\"" + std::string(header) + "\" is not a file version this editor reads; nothing in it was applied"});
    } else {
        outcome.problems.push_back(
            {1, "first line is neither REGEDIT4 nor Windows Registry Editor Version 5.00"});
    }
    return outcome;
}

// How a file is written.
enum class WriteForm {
    Exact,      // the registry's own file: every value's bytes kept
    RegExport,  // as reg export writes it: REG_SZ up to its first NUL, text types in UTF-16LE
};

// Names and strings in quotes; line breaks escaped so the line stays one line.
std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            quoted += c == '\r' ? "\\r" : "\\n";
            continue;
        }
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

void AppendHexData(std::string& out, size_t lineStart, uint32_t type, const Bytes& data) {
    if (type == kTypeBinary) {
        out += "hex:";
    } else {
        char digits[9];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, type, 16);
        (void)ec;
        out += "hex(";
        out.append(digits, end);
        out += "):";
    }
    size_t column = out.size() - lineStart;
    for (size_t i = 0; i < data.size(); ++i) {
        // Room for "xx," and the continuation backslash.
        if (column + 4 > kHexLineWidth) {
            out += "\\\r\n  ";
            column = 2;
        }
        out += kHexDigits[data[i] >> 4];
        out += kHexDigits[data[i] & 0xF];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
        }
    }
}

void AppendValueLine(std::string& out, const RegistryValue& value, WriteForm form) {
    const size_t lineStart = out.size();
    out += value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    const Bytes& data = value.data;
    if (form == WriteForm::RegExport && value.type == kTypeString) {
        const auto text = reinterpret_cast<const char*>(data.data());
        out += Quote(std::string_view(text, data.size()).substr(0, std::string_view(text, data.size()).find('\0')));
    } else if (form == WriteForm::Exact && IsPlainString(value)) {
        out += Quote(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
    } else if (value.type == kTypeDword && data.size() == 4) {
        const uint32_t number =
            data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
        out += "dword:";
        for (int i = 7; i >= 0; --i) out += kHexDigits[(number >> (4 * i)) & 0xF];
    } else if (form == WriteForm::RegExport && IsTextType(value.type)) {
        Bytes wide;
        for (uint8_t byte : data) wide.insert(wide.end(), {byte, 0});
        AppendHexData(out, lineStart, value.type, wide);
    } else {
        AppendHexData(out, lineStart, value.type, data);
    }
    out += "\r\n";
}

// The key's section (when asked for) and those of all keys below it, in
// name order, parents first. Walked with a stack of its own, so the depth of
// the tree never reaches the call stack.
void AppendKey(std::string& out, const RegistryKey& key, const std::string& path, bool withSection, WriteForm form) {
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
            for (const RegistryValue& value : next.key->Values()) AppendValueLine(out, value, form);
        }
        // Pushed last to first, so the first subkey comes out next.
        const auto& subkeys = next.key->Subkeys();
        for (auto child = subkeys.rbegin(); child != subkeys.rend(); ++child)
            pending.push_back({child->second.get(), next.path + '\\' + child->second->Name(), true});
    }
}

// A file of one key and everything below it.
std::string KeyFile(const RegistryKey& key, std::string_view path, std::string_view header, WriteForm form) {
    std::string out(header);
    out += "\r\n";
    std::string keyPath(path);
    AppendKey(out, key, keyPath, true, form);
    out += "\r\n";
    return out;
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

ImportOutcome ImportRegistryText(std::string_view text, RegistryTree& tree) {
    return ReadRegistryText(text, tree, false);
}

std::vector<ParseProblem> ApplyRegistryText(std::string_view text, RegistryTree& tree) {
    return ReadRegistryText(text, tree, true).problems;
}

std::string SerialiseRegistry(const RegistryTree& tree) {
    std::string out(kRegedit4Header);
    out += "\r\n";
    for (const auto& [folded, root] : tree.Top().Subkeys()) {
        AppendKey(out, *root, root->Name(), !root->Values().empty(), WriteForm::Exact);
    }
    out += "\r\n";
    return out;
}

std::string SerialiseRegistryKey(const RegistryKey& key, std::string_view path) {
    return KeyFile(key, path, kRegedit4Header, WriteForm::Exact);
}

std::string ExportRegistryKey(const RegistryKey& key, std::string_view path) {
    const std::string text = KeyFile(key, path, kVersion5Header, WriteForm::RegExport);
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + 2 * text.size());
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace brontar::machine::registry
