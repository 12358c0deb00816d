// The command line of brontar reg: the key and file arguments and the
// switches, refused as Windows' reg refuses them.
#include "tools/reg/operations.h"

#include "machine/dos_path.h"
#include "machine/machine_folder.h"

namespace brontar::tools::reg {

namespace {

size_t PositionalCount(const std::string& operation) {
    return operation == "export" || operation == "copy" ? 2 : 1;
}

}  // namespace

std::string Lower(std::string_view text) { return mr::FoldName(text); }

bool IsSwitch(const std::string& arg, std::string_view name) {
    return arg.size() == name.size() + 1 && (arg[0] == '/' || arg[0] == '-') && Lower(arg.substr(1)) == name;
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || IsSwitch(arg, "?") || IsSwitch(arg, "h");
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

bool IsRootAlone(std::string_view key) {
    while (key.ends_with('\\')) key.remove_suffix(1);
    return key.find('\\') == std::string_view::npos;
}

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

}  // namespace brontar::tools::reg
