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

// The switches after the positional arguments, read one at a time; a switch
// given twice is refused.
class SwitchReader {
public:
    SwitchReader(const std::string& operation, const Arguments& args, size_t first)
        : operation_(operation), args_(args), index_(first) {}

    const std::string& operation() const { return operation_; }
    bool AtEnd() const { return index_ >= args_.size(); }
    const std::string& Current() const { return args_[index_]; }
    void Advance() { ++index_; }
    // Notes the switch under its name.
    void Once(std::string_view name) {
        for (const std::string& earlier : seen_)
            if (earlier == name) Refuse();
        seen_.emplace_back(name);
    }
    // The argument that follows the current switch.
    std::string Argument() {
        if (index_ + 1 >= args_.size()) Refuse();
        return args_[++index_];
    }
    [[noreturn]] void Refuse() const { throw SyntaxError{operation_}; }

private:
    const std::string& operation_;
    const Arguments& args_;
    size_t index_;
    std::vector<std::string> seen_;
};

// Applies the current switch to the options; refuses one the operation does not take.
void TakeSwitch(SwitchReader& reader, bool searching, Options& options) {
    const std::string& operation = reader.operation();
    const std::string& arg = reader.Current();
    const bool add = operation == "add";
    const bool query = operation == "query";
    const bool takesValue = query || add || operation == "delete";
    if (searching && IsSwitch(arg, "v")) {
        reader.Once("v");
        options.searchValueNames = true;
    } else if (takesValue &&
               (IsSwitch(arg, "v") || IsSwitch(arg, "ve") || (IsSwitch(arg, "va") && operation == "delete"))) {
        reader.Once("v");
        if (IsSwitch(arg, "va"))
            options.allValues = true;
        else
            options.valueName = IsSwitch(arg, "v") ? reader.Argument() : std::string();
    } else if (IsSwitch(arg, "s") && (query || operation == "copy")) {
        reader.Once("s");
        options.recurse = true;
    } else if ((IsSwitch(arg, "s") && add) || (IsSwitch(arg, "se") && query)) {
        reader.Once("se");
        options.separator = reader.Argument();
    } else if (IsSwitch(arg, "t") && (add || query)) {
        reader.Once("t");
        options.type = reader.Argument();
    } else if (IsSwitch(arg, "d") && add) {
        reader.Once("d");
        options.data = reader.Argument();
    } else if (IsSwitch(arg, "f") && query) {
        reader.Once("f");
        options.pattern = reader.Argument();
    } else if (query && (IsSwitch(arg, "k") || IsSwitch(arg, "d") || IsSwitch(arg, "c") || IsSwitch(arg, "e") ||
                         IsSwitch(arg, "z"))) {
        const std::string name = Lower(arg.substr(1));
        reader.Once(name);
        if (name != "z" && !searching) reader.Refuse();  // these shape a search only
        (name == "k"   ? options.searchKeys
         : name == "d" ? options.searchData
         : name == "c" ? options.caseSensitive
         : name == "e" ? options.exact
                       : options.typeNumbers) = true;
    } else if ((IsSwitch(arg, "f") && (add || operation == "delete" || operation == "copy")) ||
               (IsSwitch(arg, "y") && operation == "export")) {
        reader.Once("f");
        options.force = true;
    } else if (IsSwitch(arg, "reg:32") || IsSwitch(arg, "reg:64")) {
        reader.Once("reg");  // one registry view on this machine
    } else {
        reader.Refuse();
    }
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
    const bool query = operation == "query";
    // In a search (/f), /v names no value: it limits the search to value names.
    bool searching = false;
    for (size_t i = 1 + count; query && i < args.size(); ++i) searching = searching || IsSwitch(args[i], "f");
    SwitchReader reader(operation, args, 1 + count);
    for (; !reader.AtEnd(); reader.Advance()) TakeSwitch(reader, searching, options);
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
