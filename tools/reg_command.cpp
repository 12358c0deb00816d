// brontar reg: query and change the machine's registry with the arguments,
// output and exit codes of the Windows reg command; brontar regedit: the
// Windows 95 registry editor's command line (/e export, import).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include "machine/dos_path.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/registry/registry_store.h"
#include "machine/registry/registry_text.h"
#include "tools/command.h"

namespace brontar::tools {

namespace {

namespace mr = machine::registry;

constexpr std::string_view kNotFound = "ERROR: The system was unable to find the specified registry key or value.";
constexpr std::string_view kCompleted = "The operation completed successfully.";
constexpr std::string_view kCanceled = "The operation was canceled by the user.";

constexpr std::string_view kUsage =
    "usage: brontar reg OPERATION [ARGS...]\n"
    "\n"
    "  brontar reg query KEY [/v NAME | /ve] [/s] [/z] [/se SEPARATOR]\n"
    "  brontar reg query KEY [/f DATA] [/k] [/v] [/d] [/c] [/e] [/t TYPE[,TYPE...]]\n"
    "                        [/s] [/z] [/se SEPARATOR]\n"
    "  brontar reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "  brontar reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  brontar reg copy KEY1 KEY2 [/s] [/f]\n"
    "  brontar reg export KEY FILE [/y]\n"
    "  brontar reg import FILE\n"
    "  brontar regedit FILE | /e FILE [KEY]\n"
    "\n"
    "KEY is ROOT\\SUBKEY with ROOT one of HKLM, HKCU, HKCR (HKLM\\Software\\Classes)\n"
    "or their long names. KEY (and FILE for export and copy) come first, then the\n"
    "options, each at most once; options start with / or -. Every operation also\n"
    "takes /reg:32 or /reg:64, which change nothing (the machine has one registry).\n"
    "  /v NAME   the value NAME          /ve  the default (unnamed) value\n"
    "  /va       all values of the key   /s   (query, copy) every subkey as well\n"
    "  /t TYPE   REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD,\n"
    "            REG_DWORD_LITTLE_ENDIAN, REG_DWORD_BIG_ENDIAN (stored little-endian\n"
    "            as Windows does), REG_QWORD, REG_BINARY, REG_NONE\n"
    "  /d DATA   REG_DWORD, REG_QWORD: decimal or 0x hex (none: 0; REG_QWORD also\n"
    "            -N, -1 is all ff); REG_BINARY: hex digits (an odd count starts\n"
    "            with one digit); REG_NONE: text; REG_MULTI_SZ: strings separated by\n"
    "            \\0 (or the one character /s), the separator alone an empty list\n"
    "  /f        no question before overwriting or deleting\n"
    "  /y        (export) overwrite FILE without asking\n"
    "add without /v or /ve sets the default value (an empty REG_SZ without /d).\n"
    "query lists a key's values in the order they were created; with /s a key\n"
    "without values shows no block of its own.\n"
    "\n"
    "query's search looks through KEY and every key below it:\n"
    "  /f DATA   what to look for (default *, which matches everything)\n"
    "  /k /v /d  only in key names, value names or data (none given: all three;\n"
    "            with /t only values, and key names too with /k)\n"
    "  /c        case-sensitive          /e   only whole names or data\n"
    "  /t TYPES  only values of these types, separated by commas\n"
    "  /z        show each type's number: REG_SZ (1)\n"
    "  /se SEP   join the strings of a REG_MULTI_SZ with SEP (one character)\n"
    "            instead of \\0\n"
    "It ends with \"End of search: N match(es) found.\" and exits 1 when N is 0.\n"
    "\n"
    "FILE is a path of this system, or a DOS path (C:\\OUT.REG) of a file in the\n"
    "machine's drives.\n"
    "export writes what Windows' reg export writes: \"Windows Registry Editor\n"
    "Version 5.00\", UTF-16LE with a byte-order mark, values in creation order.\n"
    "regedit /e writes REGEDIT4 (the whole registry without KEY), for Windows 95.\n"
    "import and regedit FILE read REGEDIT4 and version 5 files (UTF-16LE or plain),\n"
    "with [-KEY] and \"name\"=- deletions, and the Windows 3.1 form (REGEDIT, then\n"
    "HKEY_CLASSES_ROOT\\key = value). A line that cannot be read is skipped and\n"
    "reported on standard error; the rest is applied in one write of the registry.\n"
    "Quoted text takes \\\\ and \\\" (in version 5 files also \\n and \\r); \\0 makes\n"
    "the value unreadable. After a backslash that continues hex data, blank and ;\n"
    "comment lines are passed over and the next line is always more data: a #\n"
    "line, a value line or a key line there is skipped with the value.\n"
    "Help: /?, /h or -h. Exit status 0 on success, 1 on failure.\n";

// Thrown for a command line reg would refuse; the message is reg's first line.
struct SyntaxError {
    std::string operation;
    std::string_view message = "ERROR: Invalid syntax.";
};

constexpr std::string_view kInvalidKey = "ERROR: Invalid key name.";

// The options after the operation's positional arguments.
struct Options {
    std::vector<std::string> positionals;  // the key, and the file or second key
    std::optional<std::string> valueName;  // /v NAME, or "" for /ve
    bool allValues = false;                // /va
    bool recurse = false;                  // /s in query and copy
    std::optional<std::string> type;       // /t (in query a list of types)
    std::optional<std::string> data;       // /d in add
    std::optional<std::string> separator;  // /s in add, /se in query
    bool force = false;                    // /f in add, delete and copy, and /y in export
    // query's search
    std::optional<std::string> pattern;  // /f DATA
    bool searchKeys = false;             // /k
    bool searchValueNames = false;       // /v without a name, after /f
    bool searchData = false;             // /d
    bool caseSensitive = false;          // /c
    bool exact = false;                  // /e
    bool typeNumbers = false;            // /z
};

std::string Lower(std::string_view text) { return mr::FoldName(text); }

bool IsSwitch(const std::string& arg, std::string_view name) {
    return arg.size() == name.size() + 1 && (arg[0] == '/' || arg[0] == '-') && Lower(arg.substr(1)) == name;
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || IsSwitch(arg, "?") || IsSwitch(arg, "h");
}

size_t PositionalCount(const std::string& operation) {
    return operation == "export" || operation == "copy" ? 2 : 1;
}

// Windows takes the key (and the file or second key) from fixed places right
// after the operation; every later argument is a switch, each given once.
Options ParseOptions(const std::string& operation, const Arguments& args) {
    Options options;
    const size_t count = PositionalCount(operation);
    if (args.size() < 1 + count) throw SyntaxError{operation};
    options.positionals.assign(args.begin() + 1, args.begin() + 1 + static_cast<std::ptrdiff_t>(count));
    std::vector<std::string> seen;
    const auto once = [&](std::string_view name) {
        for (const std::string& earlier : seen)
            if (earlier == name) throw SyntaxError{operation};
        seen.emplace_back(name);
    };
    const auto next = [&](size_t& i) -> std::string {
        if (i + 1 >= args.size()) throw SyntaxError{operation};
        return args[++i];
    };
    const bool add = operation == "add";
    const bool query = operation == "query";
    // In a search (/f), /v names no value: it limits the search to value names.
    bool searching = false;
    for (size_t i = 1 + count; query && i < args.size(); ++i) searching = searching || IsSwitch(args[i], "f");
    for (size_t i = 1 + count; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = query || add || operation == "delete";
        if (searching && IsSwitch(arg, "v")) {
            once("v");
            options.searchValueNames = true;
        } else if (takesValue &&
                   (IsSwitch(arg, "v") || IsSwitch(arg, "ve") || (IsSwitch(arg, "va") && operation == "delete"))) {
            once("v");
            if (IsSwitch(arg, "va"))
                options.allValues = true;
            else
                options.valueName = IsSwitch(arg, "v") ? next(i) : std::string();
        } else if (IsSwitch(arg, "s") && (query || operation == "copy")) {
            once("s");
            options.recurse = true;
        } else if ((IsSwitch(arg, "s") && add) || (IsSwitch(arg, "se") && query)) {
            once("se");
            options.separator = next(i);
        } else if (IsSwitch(arg, "t") && (add || query)) {
            once("t");
            options.type = next(i);
        } else if (IsSwitch(arg, "d") && add) {
            once("d");
            options.data = next(i);
        } else if (IsSwitch(arg, "f") && query) {
            once("f");
            options.pattern = next(i);
        } else if (query && (IsSwitch(arg, "k") || IsSwitch(arg, "d") || IsSwitch(arg, "c") || IsSwitch(arg, "e") ||
                             IsSwitch(arg, "z"))) {
            const std::string name = Lower(arg.substr(1));
            once(name);
            if (name != "z" && !searching) throw SyntaxError{operation};  // these shape a search only
            (name == "k"   ? options.searchKeys
             : name == "d" ? options.searchData
             : name == "c" ? options.caseSensitive
             : name == "e" ? options.exact
                           : options.typeNumbers) = true;
        } else if ((IsSwitch(arg, "f") && (add || operation == "delete" || operation == "copy")) ||
                   (IsSwitch(arg, "y") && operation == "export")) {
            once("f");
            options.force = true;
        } else if (IsSwitch(arg, "reg:32") || IsSwitch(arg, "reg:64")) {
            once("reg");  // one registry view on this machine
        } else {
            throw SyntaxError{operation};
        }
    }
    // A search looks through the values of every key; it names none itself.
    if ((options.pattern || (query && options.type)) && options.valueName) throw SyntaxError{operation};
    if (query && options.separator && options.separator->size() != 1) throw SyntaxError{operation};
    return options;
}

// A key argument as canonical components. A leading backslash or a root this
// machine does not have is an invalid key name.
std::vector<std::string> KeyComponents(const std::string& operation, const std::string& key) {
    auto components = key.starts_with('\\') ? std::nullopt : mr::SplitKeyPath(key);
    if (!components) throw SyntaxError{operation, kInvalidKey};
    for (size_t i = 1; i < components->size(); ++i)
        if (!mr::IsStorableKeyName((*components)[i])) throw SyntaxError{operation, kInvalidKey};
    return *components;
}

// "HKCU" or "HKEY_CURRENT_USER\\": a root without a subkey.
bool IsRootAlone(std::string_view key) {
    while (key.ends_with('\\')) key.remove_suffix(1);
    return key.find('\\') == std::string_view::npos;
}

// The key's path with its long root name and the stored spelling of each name.
std::string DisplayPath(const mr::RegistryTree& tree, const std::vector<std::string>& components) {
    std::string path;
    const mr::RegistryKey* key = &tree.Top();
    for (const std::string& name : components) {
        key = key != nullptr ? key->FindSubkey(name) : nullptr;
        if (!path.empty()) path += '\\';
        path += key != nullptr ? key->Name() : name;
    }
    return path;
}

// Asks on the terminal; true for an answer starting with y.
bool Confirm(const std::string& question) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return !answer.empty() && std::tolower(static_cast<unsigned char>(answer[0])) == 'y';
}

std::string ShownName(const std::string& name) { return name.empty() ? "(Default)" : name; }

std::string TypeName(uint32_t type) {
    static constexpr std::string_view kNames[] = {"REG_NONE",
                                                  "REG_SZ",
                                                  "REG_EXPAND_SZ",
                                                  "REG_BINARY",
                                                  "REG_DWORD",
                                                  "REG_DWORD_BIG_ENDIAN",
                                                  "REG_LINK",
                                                  "REG_MULTI_SZ",
                                                  "REG_RESOURCE_LIST",
                                                  "REG_FULL_RESOURCE_DESCRIPTOR",
                                                  "REG_RESOURCE_REQUIREMENTS_LIST",
                                                  "REG_QWORD"};
    if (type < std::size(kNames)) return std::string(kNames[type]);
    char text[32];
    std::snprintf(text, sizeof text, "REG_UNKNOWN(0x%X)", type);
    return text;
}

// The type code of a /t name (any case); nothing for a type reg does not take.
std::optional<uint32_t> TypeCode(std::string_view name) {
    static constexpr std::pair<std::string_view, uint32_t> kTypes[] = {
        {"REG_SZ", mr::kTypeString},
        {"REG_EXPAND_SZ", mr::kTypeExpandString},
        {"REG_MULTI_SZ", mr::kTypeMultiString},
        {"REG_DWORD", mr::kTypeDword},
        {"REG_DWORD_LITTLE_ENDIAN", mr::kTypeDword},
        {"REG_DWORD_BIG_ENDIAN", mr::kTypeDwordBigEndian},
        {"REG_QWORD", mr::kTypeQword},
        {"REG_BINARY", mr::kTypeBinary},
        {"REG_NONE", mr::kTypeNone}};
    const std::string folded = Lower(name);
    for (const auto& [typeName, code] : kTypes)
        if (Lower(typeName) == folded) return code;
    return std::nullopt;
}

std::string HexDigits(const mr::Bytes& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : data) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

// How query shows values: /z adds the type number, /se joins the strings of
// a REG_MULTI_SZ.
struct ShowRules {
    bool typeNumbers = false;
    std::string separator = "\\0";
};

// The data column of a query line.
std::string DataText(const mr::RegistryValue& value, const ShowRules& show) {
    const mr::Bytes& data = value.data;
    const auto text = [&](size_t from, size_t to) { return std::string(data.begin() + from, data.begin() + to); };
    switch (value.type) {
        case mr::kTypeString:
        case mr::kTypeExpandString: {
            size_t end = 0;
            while (end < data.size() && data[end] != 0) ++end;
            return text(0, end);
        }
        case mr::kTypeMultiString: {  // the strings joined by the separator
            std::string joined;
            size_t start = 0;
            for (size_t i = 0; i <= data.size(); ++i) {
                if (i < data.size() && data[i] != 0) continue;
                if (i == start) break;  // the empty string that ends the list
                if (!joined.empty()) joined += show.separator;
                joined += text(start, i);
                start = i + 1;
            }
            return joined;
        }
        case mr::kTypeDword:
        case mr::kTypeDwordBigEndian:  // reg add stores its number little-endian, as for REG_DWORD
        case mr::kTypeQword: {
            const size_t size = value.type == mr::kTypeQword ? 8 : 4;
            if (data.size() != size) break;
            uint64_t number = 0;
            for (size_t i = 0; i < size; ++i) number = (number << 8) | data[size - 1 - i];
            char digits[24];
            std::snprintf(digits, sizeof digits, "0x%llx", static_cast<unsigned long long>(number));
            return digits;
        }
        default:
            break;
    }
    return HexDigits(data);
}

// The text as it can go to a terminal: control characters (C0, DEL and the
// UTF-8 forms of C1, which terminals obey as commands) each become '?', as a
// console that cannot show a character shows it. The stored bytes stay as
// they are.
std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?';
            ++i;
        } else {
            out += byte < 0x20 || byte == 0x7F ? '?' : text[i];
        }
    }
    return out;
}

void PrintValue(const mr::RegistryValue& value, const ShowRules& show) {
    std::string type = TypeName(value.type);
    if (show.typeNumbers) type += " (" + std::to_string(value.type) + ")";
    std::cout << "    " << Printable(ShownName(value.name)) << "    " << type << "    "
              << Printable(DataText(value, show)) << '\n';
}

// Prints the key (and with recurse its subkeys) as reg query does; returns
// the number of values printed. Without recurse a key without values shows
// only its subkeys, as Windows lists them; with recurse a key without values
// has no block of its own.
size_t PrintKey(const mr::RegistryKey& key, const std::string& path, const std::optional<std::string>& only,
                bool recurse, const ShowRules& show) {
    size_t printed = 0;
    const mr::RegistryValue* single = only ? key.FindValue(*only) : nullptr;
    if (only ? (single != nullptr || !recurse) : !key.Values().empty()) {
        std::cout << Printable(path) << '\n';
        if (single != nullptr) {
            PrintValue(*single, show);
            ++printed;
        } else if (only) {  // /ve on a key without a default value
            std::cout << "    (Default)    REG_SZ    (value not set)\n";
        } else {
            for (const mr::RegistryValue& value : key.Values()) PrintValue(value, show), ++printed;
        }
        std::cout << '\n';
    }
    if (only && !recurse) return printed;
    for (const auto& [folded, child] : key.Subkeys()) {
        const std::string childPath = path + '\\' + child->Name();
        if (recurse)
            printed += PrintKey(*child, childPath, only, true, show);
        else
            std::cout << Printable(childPath) << '\n';
    }
    return printed;
}

// What reg query /f looks for, and where.
struct Search {
    std::string pattern;  // "*" matches everything
    bool keys = false, valueNames = false, data = false;
    bool caseSensitive = false, exact = false;
    std::vector<uint32_t> types;  // empty: every type

    bool Matches(std::string_view text) const {
        if (pattern == "*") return true;
        const std::string haystack = caseSensitive ? std::string(text) : Lower(text);
        const std::string needle = caseSensitive ? pattern : Lower(pattern);
        return exact ? haystack == needle : haystack.find(needle) != std::string::npos;
    }
    bool Matches(const mr::RegistryValue& value, const ShowRules& show) const {
        if (!types.empty() && std::find(types.begin(), types.end(), value.type) == types.end()) return false;
        return (valueNames && Matches(value.name)) || (data && Matches(DataText(value, show)));
    }
};

// /f DATA with /k, /v, /d (none of them: all three; with /t only values
// are looked at unless /k asks for key names), /c, /e and /t.
Search SearchOf(const Options& options) {
    Search search;
    search.pattern = options.pattern.value_or("*");
    const bool chosen = options.searchKeys || options.searchValueNames || options.searchData;
    search.keys = options.searchKeys || (!chosen && !options.type);
    search.valueNames = options.searchValueNames || !chosen;
    search.data = options.searchData || !chosen;
    search.caseSensitive = options.caseSensitive;
    search.exact = options.exact;
    if (options.type) {
        std::string_view list = *options.type;
        for (;;) {
            const size_t comma = list.find(',');
            const auto code = TypeCode(list.substr(0, comma));
            if (!code) throw SyntaxError{"query"};
            search.types.push_back(*code);
            if (comma == std::string_view::npos) break;
            list.remove_prefix(comma + 1);
        }
    }
    return search;
}

// Searches the key's values and everything below it, printing as reg query
// /f does: a key whose name matches as its own line, the matching values of
// a key below its path and then a blank line. Returns the matches. The
// subkeys are walked with a stack of their own, so the tree's depth never
// reaches the call stack.
size_t PrintSearch(const mr::RegistryKey& top, const std::string& topPath, const Search& search,
                   const ShowRules& show) {
    size_t matches = 0;
    std::vector<std::pair<const mr::RegistryKey*, std::string>> pending{{&top, topPath}};
    while (!pending.empty()) {
        auto [key, path] = std::move(pending.back());
        pending.pop_back();
        const bool nameMatches = key != &top && search.keys && search.Matches(key->Name());
        std::vector<const mr::RegistryValue*> found;
        for (const mr::RegistryValue& value : key->Values())
            if (search.Matches(value, show)) found.push_back(&value);
        if (nameMatches || !found.empty()) std::cout << Printable(path) << '\n';
        for (const mr::RegistryValue* value : found) PrintValue(*value, show);
        if (!found.empty()) std::cout << '\n';
        matches += (nameMatches ? 1 : 0) + found.size();
        const auto& subkeys = key->Subkeys();
        for (auto child = subkeys.rbegin(); child != subkeys.rend(); ++child)
            pending.emplace_back(child->second.get(), path + '\\' + child->second->Name());
    }
    return matches;
}

const mr::RegistryTree& ReadTree(const mr::RegistrySnapshot& snapshot) {
    for (const mr::ParseProblem& problem : snapshot.content->problems)
        std::cerr << "warning: " << mr::DescribeProblem("registry.reg", problem) << '\n';
    return snapshot.content->tree;
}

// reg query ends a search with its count; finding nothing is a failure.
int EndOfSearch(size_t matches) {
    std::cout << "End of search: " << matches << " match(es) found.\n";
    return matches == 0 ? 1 : 0;
}

int Query(const Options& options) {
    const auto components = KeyComponents("query", options.positionals[0]);
    const bool searching = options.pattern || options.type;
    const std::optional<Search> search = searching ? std::optional(SearchOf(options)) : std::nullopt;
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
    const mr::RegistryTree& tree = ReadTree(snapshot);
    const mr::RegistryKey* key = tree.FindKey(components);
    const bool namedValueMissing = options.valueName && !options.valueName->empty() && !options.recurse &&
                                   key != nullptr && key->FindValue(*options.valueName) == nullptr;
    if (key == nullptr || namedValueMissing) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    ShowRules show;
    show.typeNumbers = options.typeNumbers;
    if (options.separator) show.separator = *options.separator;
    std::cout << '\n';
    const std::string path = DisplayPath(tree, components);
    if (search) return EndOfSearch(PrintSearch(*key, path, *search, show));
    const size_t printed = PrintKey(*key, path, options.valueName, options.recurse, show);
    if (options.valueName && options.recurse) return EndOfSearch(printed);
    return 0;
}

// A decimal or 0x hex number of at most max; no sign.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
    if (text.empty()) return 0;  // /d left out
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

// REG_QWORD's /d: a number as ParseNumber reads it, or a minus sign and one,
// stored in two's complement as Windows stores it (-1: eight bytes of ff).
std::optional<uint64_t> ParseQword(std::string_view text) {
    if (!text.starts_with('-')) return ParseNumber(text, UINT64_MAX);
    text.remove_prefix(1);
    if (text.empty() || text.starts_with('-')) return std::nullopt;
    const auto magnitude = ParseNumber(text, UINT64_MAX);
    if (!magnitude) return std::nullopt;
    return 0 - *magnitude;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Hex digits two to a byte; with an odd count the first digit is a byte of its own.
std::optional<mr::Bytes> ParseHexData(std::string_view text) {
    mr::Bytes bytes;
    size_t i = 0;
    if (text.size() % 2 != 0) {
        const int digit = HexDigitValue(text[i++]);
        if (digit < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(digit));
    }
    for (; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]), low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

mr::Bytes LittleEndian(uint64_t number, size_t size) {
    mr::Bytes bytes;
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(number >> (8 * i)));
    return bytes;
}

// The strings of /d split at the separator (one character, or \0 when none is
// given), each ended by a NUL, and the NUL that ends the list. An empty string
// inside the list cannot be stored; /d holding only the separator is one
// empty string, as Windows stores it (00 00).
std::optional<mr::Bytes> MultiStringData(const std::string& data, const std::optional<std::string>& separator) {
    const std::string split = separator.value_or("\\0");
    if (separator && separator->size() != 1) return std::nullopt;
    if (data == split) return mr::Bytes{0, 0};
    mr::Bytes bytes;
    size_t start = 0;
    while (start < data.size()) {
        const size_t end = std::min(data.find(split, start), data.size());
        if (end == start) return std::nullopt;
        bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                     data.begin() + static_cast<std::ptrdiff_t>(end));
        bytes.push_back(0);
        start = end + split.size();
    }
    bytes.push_back(0);
    return bytes;
}

// The type code and bytes of reg add's /t and /d.
std::pair<uint32_t, mr::Bytes> AddData(const Options& options) {
    const auto type = TypeCode(options.type.value_or("REG_SZ"));
    if (!type) throw SyntaxError{"add"};
    const std::string data = options.data.value_or("");
    if (options.separator && *type != mr::kTypeMultiString) throw SyntaxError{"add"};
    switch (*type) {
        case mr::kTypeString:
        case mr::kTypeExpandString:
            return {*type, mr::StringBytes(data)};
        case mr::kTypeNone: {  // the text in UTF-16LE with its terminator, as Windows stores it
            mr::Bytes wide;
            for (char c : mr::StringBytes(data)) wide.insert(wide.end(), {static_cast<uint8_t>(c), 0});
            return {mr::kTypeNone, std::move(wide)};
        }
        case mr::kTypeDword:
        case mr::kTypeDwordBigEndian: {  // both little-endian, as Windows' reg add stores them
            const auto number = ParseNumber(data, UINT32_MAX);
            if (!number) throw SyntaxError{"add"};
            return {*type, LittleEndian(*number, 4)};
        }
        case mr::kTypeQword: {
            const auto number = ParseQword(data);
            if (!number) throw SyntaxError{"add"};
            return {mr::kTypeQword, LittleEndian(*number, 8)};
        }
        case mr::kTypeBinary: {
            auto bytes = ParseHexData(data);
            if (!bytes) throw SyntaxError{"add"};
            return {mr::kTypeBinary, std::move(*bytes)};
        }
        default: {  // REG_MULTI_SZ
            auto bytes = MultiStringData(data, options.separator);
            if (!bytes) throw SyntaxError{"add"};
            return {mr::kTypeMultiString, std::move(*bytes)};
        }
    }
}

int Add(const Options& options) {
    if (options.allValues) throw SyntaxError{"add"};
    const auto components = KeyComponents("add", options.positionals[0]);
    // Without /v or /ve, add sets the default value.
    const std::string name = options.valueName.value_or("");
    if (IsRootAlone(options.positionals[0])) throw SyntaxError{"add", kInvalidKey};
    if (!mr::IsStorableValueName(name)) throw SyntaxError{"add"};
    const auto [type, data] = AddData(options);
    const auto folder = machine::EnsureMachineFolder();
    if (!options.force) {
        const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
        const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
        if (key != nullptr && key->FindValue(name) != nullptr &&
            !Confirm("Value " + ShownName(name) + " exists, overwrite")) {
            std::cout << kCanceled << '\n';
            return 1;
        }
    }
    // clang 14 cannot capture structured bindings: the lambda takes them by name.
    mr::EditRegistry(folder, [&, &type = type, &data = data](mr::RegistryTree& tree) {
        tree.CreateKey(components).SetValue(name, type, data);
    });
    std::cout << kCompleted << '\n';
    return 0;
}

int Delete(const Options& options) {
    const auto components = KeyComponents("delete", options.positionals[0]);
    const bool wholeKey = !options.valueName && !options.allValues;
    if (wholeKey && components.size() < 2) throw SyntaxError{"delete", kInvalidKey};  // a root stays
    const auto folder = machine::EnsureMachineFolder();
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
    const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
    if (key == nullptr || (options.valueName && key->FindValue(*options.valueName) == nullptr)) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    if (!options.force) {
        const std::string path = DisplayPath(snapshot.content->tree, components);
        const std::string question = wholeKey            ? "Permanently delete the registry key " + path
                                     : options.allValues ? "Delete all values under the registry key " + path
                                                         : "Delete the registry value " + ShownName(*options.valueName);
        if (!Confirm(question)) {
            std::cout << kCanceled << '\n';
            return 1;
        }
    }
    bool found = true;
    mr::EditRegistry(folder, [&](mr::RegistryTree& tree) {
        mr::RegistryKey* target = tree.FindKey(components);
        if (target == nullptr) {
            found = false;
        } else if (wholeKey) {
            found = tree.DeleteKey(components);
        } else if (options.allValues) {
            target->DeleteAllValues();
        } else {
            found = target->DeleteValue(*options.valueName);
        }
    });
    if (!found) {  // another process removed it meanwhile
        std::cerr << kNotFound << '\n';
        return 1;
    }
    std::cout << kCompleted << '\n';
    return 0;
}

// A FILE argument: a DOS path (a drive letter and a colon, or a leading
// backslash for the boot drive) names a file in the machine's drives, as reg
// does on Windows; any other text is a path of this system.
std::filesystem::path FileArgument(const std::string& argument) {
    if (machine::IsDosPath(argument)) {
        machine::EnsureMachineFolder();
        if (auto mapped = machine::MapDosPath(argument)) return *mapped;
    }
    return argument;
}

// The values (and with recurse the subkeys) of source go below destination;
// values the user chose to keep are left out.
struct CopyPlan {
    std::vector<std::string> path;  // below the destination
    std::vector<mr::RegistryValue> values;
    std::vector<CopyPlan> subkeys;
};

// Builds the plan from a snapshot, asking before each value that would be
// overwritten unless forced.
void PlanCopy(const mr::RegistryKey& source, const mr::RegistryKey* destination, bool recurse, bool force,
              CopyPlan& plan) {
    for (const mr::RegistryValue& value : source.Values()) {
        if (!force && destination != nullptr && destination->FindValue(value.name) != nullptr &&
            !Confirm("Value " + ShownName(value.name) + " exists, overwrite"))
            continue;
        plan.values.push_back(value);
    }
    if (!recurse) return;
    for (const auto& [folded, child] : source.Subkeys()) {
        CopyPlan& sub = plan.subkeys.emplace_back();
        sub.path = plan.path;
        sub.path.push_back(child->Name());
        PlanCopy(*child, destination != nullptr ? destination->FindSubkey(child->Name()) : nullptr, true, force, sub);
    }
}

void ApplyCopy(const CopyPlan& plan, const std::vector<std::string>& destination, mr::RegistryTree& tree) {
    std::vector<std::string> path = destination;
    path.insert(path.end(), plan.path.begin(), plan.path.end());
    mr::RegistryKey& key = tree.CreateKey(path);
    for (const mr::RegistryValue& value : plan.values) key.SetValue(value.name, value.type, value.data);
    for (const CopyPlan& sub : plan.subkeys) ApplyCopy(sub, destination, tree);
}

int Copy(const Options& options) {
    const auto source = KeyComponents("copy", options.positionals[0]);
    const auto destination = KeyComponents("copy", options.positionals[1]);
    if (destination.size() < 2) throw SyntaxError{"copy", kInvalidKey};
    const auto folder = machine::EnsureMachineFolder();
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
    const mr::RegistryTree& tree = ReadTree(snapshot);
    const mr::RegistryKey* from = tree.FindKey(source);
    if (from == nullptr) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    if (tree.FindKey(destination) == from) {
        std::cerr << "ERROR: The source and destination keys cannot be the same.\n";
        return 1;
    }
    // Planned from the snapshot, so copying a key below itself ends.
    CopyPlan plan;
    PlanCopy(*from, tree.FindKey(destination), options.recurse, options.force, plan);
    mr::EditRegistry(folder, [&](mr::RegistryTree& edited) { ApplyCopy(plan, destination, edited); });
    std::cout << kCompleted << '\n';
    return 0;
}

int Export(const Options& options) {
    const auto components = KeyComponents("export", options.positionals[0]);
    const std::filesystem::path file = FileArgument(options.positionals[1]);
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
    const mr::RegistryTree& tree = ReadTree(snapshot);
    const mr::RegistryKey* key = tree.FindKey(components);
    if (key == nullptr) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    std::error_code ec;
    if (!options.force && std::filesystem::exists(file, ec) &&
        !Confirm("File " + file.string() + " already exists. Overwrite")) {
        std::cout << kCanceled << '\n';
        return 1;
    }
    machine::WriteFileAtomically(file, mr::ExportRegistryKey(*key, DisplayPath(tree, components)));
    std::cout << kCompleted << '\n';
    return 0;
}

// Reads a .reg file and applies it in one write of the registry; skipped lines
// are reported on standard error. Nothing when the file could not be opened
// or its header is not one the registry editor reads.
// A file that is there but refused (a folder, a FIFO, past the size limit)
// has its reason in refusal.
std::optional<mr::ImportOutcome> ImportFile(const std::string& file, std::string& refusal) {
    std::string bytes;
    try {
        const std::filesystem::path path = FileArgument(file);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return std::nullopt;
        bytes = machine::ReadInputFile(path);
    } catch (const machine::MachineError& error) {
        refusal = error.what();
        return std::nullopt;
    }
    const std::string text = mr::DecodeRegistryFileBytes(bytes);
    mr::ImportOutcome outcome;
    mr::EditRegistry(machine::EnsureMachineFolder(), [&](mr::RegistryTree& tree) {
        outcome = mr::ImportRegistryText(text, tree);
    });
    for (const mr::ParseProblem& problem : outcome.problems)
        std::cerr << (outcome.read ? "skipped: " : "") << mr::DescribeProblem(file, problem) << '\n';
    return outcome;
}

int Import(const Options& options) {
    const std::string& file = options.positionals[0];
    std::string refusal;
    const auto outcome = ImportFile(file, refusal);
    if (!outcome) {
        std::cerr << "ERROR: Error opening the file. There may be a disk or file system error.\n";
        if (!refusal.empty()) std::cerr << "ERROR: " << refusal << '\n';
        return 1;
    }
    if (!outcome->read) {
        std::cerr << "ERROR: Error accessing the registry.\n";
        return 1;
    }
    std::cout << kCompleted << '\n';
    return 0;
}

int RunOperation(const std::string& operation, const Options& options) {
    if (operation == "query") return Query(options);
    if (operation == "add") return Add(options);
    if (operation == "delete") return Delete(options);
    if (operation == "copy") return Copy(options);
    if (operation == "export") return Export(options);
    return Import(options);
}

}  // namespace

int RunRegCommand(const Arguments& args) {
    if (args.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    if (IsHelp(args[0]) || (args.size() >= 2 && IsHelp(args[1]))) {
        std::cout << kUsage;
        return 0;
    }
    const std::string operation = Lower(args[0]);
    if (operation != "query" && operation != "add" && operation != "delete" && operation != "copy" &&
        operation != "export" && operation != "import") {
        std::cerr << "ERROR: Invalid syntax.\nType \"brontar reg --help\" for usage.\n";
        return 1;
    }
    try {
        return RunOperation(operation, ParseOptions(operation, args));
    } catch (const SyntaxError& error) {
        std::cerr << error.message << "\nType \"brontar reg " << error.operation << " --help\" for usage.\n";
        return 1;
    } catch (const machine::MachineError& error) {
        std::cerr << "ERROR: " << error.what() << '\n';
        return 1;
    }
}

int RunRegeditCommand(const Arguments& args) {
    try {
        if (args.size() == 1 && !IsHelp(args[0])) {
            std::string refusal;
            const auto outcome = ImportFile(args[0], refusal);
            if (!outcome || !outcome->read) {
                std::cerr << "Cannot import " << args[0]
                          << (outcome ? ": The specified file is not a registry script.\n"
                                      : ": Error opening the file. There may be a disk or file system error.\n");
                if (!refusal.empty()) std::cerr << refusal << '\n';
                return 1;
            }
            std::cout << "Information in " << args[0] << " has been successfully entered into the registry.\n";
            return 0;
        }
        if ((args.size() == 2 || args.size() == 3) && IsSwitch(args[0], "e")) {
            const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
            const mr::RegistryTree& tree = ReadTree(snapshot);
            std::string text;
            if (args.size() == 2) {
                text = mr::SerialiseRegistry(tree);
            } else {
                const auto components = KeyComponents("regedit", args[2]);
                const mr::RegistryKey* key = tree.FindKey(components);
                if (key == nullptr) {
                    std::cerr << "Cannot export " << args[1] << ": Error opening the key " << args[2] << ".\n";
                    return 1;
                }
                text = mr::SerialiseRegistryKey(*key, DisplayPath(tree, components));
            }
            machine::WriteFileAtomically(FileArgument(args[1]), text);
            return 0;
        }
    } catch (const SyntaxError&) {
        std::cerr << kInvalidKey << '\n';
        return 1;
    } catch (const machine::MachineError& error) {
        std::cerr << "ERROR: " << error.what() << '\n';
        return 1;
    }
    const bool help = !args.empty() && IsHelp(args[0]);
    (help ? std::cout : std::cerr)
        << "usage: brontar regedit FILE           apply a .reg file as brontar reg import does\n"
           "       brontar regedit /e FILE [KEY]  write KEY (or the whole registry) as REGEDIT4\n";
    return help ? 0 : 1;
}

}  // namespace brontar::tools
