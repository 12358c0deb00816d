// brontar reg query: a key's values and subkeys, and the search (/f).
#include "tools/reg/operations.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "machine/machine_folder.h"

namespace brontar::tools::reg {

namespace {

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

// reg query ends a search with its count; finding nothing is a failure.
int EndOfSearch(size_t matches) {
    std::cout << "End of search: " << matches << " match(es) found.\n";
    return matches == 0 ? 1 : 0;
}

}  // namespace

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

}  // namespace brontar::tools::reg
