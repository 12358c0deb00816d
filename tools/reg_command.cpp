// brontar reg: query and change the machine's registry with the arguments and
// output of the Windows reg command.
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
    "  brontar reg query KEY [/v NAME | /ve] [/s]\n"
    "  brontar reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "  brontar reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "  brontar reg export KEY FILE [/y]\n"
    "  brontar reg import FILE\n"
    "\n"
    "KEY is ROOT\\SUBKEY with ROOT one of HKLM, HKCU, HKCR (HKLM\\Software\\Classes)\n"
    "or their long names. Options may start with / or -.\n"
    "  /v NAME   the value NAME          /ve  the default (unnamed) value\n"
    "  /va       all values of the key   /s   (query) every subkey as well\n"
    "  /t TYPE   REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD,\n"
    "            REG_BINARY, REG_NONE\n"
    "  /d DATA   REG_DWORD: decimal or 0x hex; REG_BINARY, REG_NONE: hex digits;\n"
    "            REG_MULTI_SZ: strings separated by \\0 (or /s SEPARATOR)\n"
    "  /f        no question before overwriting or deleting\n"
    "  /y        (export) overwrite FILE without asking\n"
    "\n"
    "FILE is a path of this system, or a DOS path (C:\\OUT.REG) of a file in the\n"
    "machine's drives.\n"
    "export writes REGEDIT4; import reads REGEDIT4 and \"Windows Registry Editor\n"
    "Version 5.00\" files (UTF-16LE with a byte-order mark, or plain text),\n"
    "including [-KEY] and \"name\"=- deletions, and changes nothing when any line\n"
    "cannot be read. Exit status 0 on success, 1 on failure.\n";

// Thrown for a command line reg would refuse; the operation names the usage line.
struct SyntaxError {
    std::string operation;
};

// The options after the operation: positionals and /switches.
struct Options {
    std::vector<std::string> positionals;
    std::optional<std::string> valueName;  // /v NAME, or "" for /ve
    bool allValues = false;                // /va
    bool recurse = false;                  // /s in query
    std::optional<std::string> type;       // /t
    std::optional<std::string> data;       // /d
    std::optional<std::string> separator;  // /s in add
    bool force = false;                    // /f, and /y in export
};

std::string Lower(std::string_view text) { return mr::FoldName(text); }

bool IsSwitch(const std::string& arg, std::string_view name) {
    return arg.size() == name.size() + 1 && (arg[0] == '/' || arg[0] == '-') && Lower(arg.substr(1)) == name;
}

Options ParseOptions(const std::string& operation, const Arguments& args) {
    Options options;
    const auto next = [&](size_t& i) -> std::string {
        if (i + 1 >= args.size()) throw SyntaxError{operation};
        return args[++i];
    };
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsSwitch(arg, "v") || IsSwitch(arg, "ve")) {
            if (options.valueName || options.allValues) throw SyntaxError{operation};
            options.valueName = IsSwitch(arg, "v") ? next(i) : std::string();
        } else if (IsSwitch(arg, "va") && operation == "delete") {
            if (options.valueName) throw SyntaxError{operation};
            options.allValues = true;
        } else if (IsSwitch(arg, "s") && operation == "query") {
            options.recurse = true;
        } else if (IsSwitch(arg, "s") && operation == "add") {
            options.separator = next(i);
        } else if (IsSwitch(arg, "t") && operation == "add") {
            options.type = next(i);
        } else if (IsSwitch(arg, "d") && operation == "add") {
            options.data = next(i);
        } else if ((IsSwitch(arg, "f") && (operation == "add" || operation == "delete")) ||
                   (IsSwitch(arg, "y") && operation == "export")) {
            options.force = true;
        } else {
            // Anything else is a key or a file (file paths start with / here).
            options.positionals.push_back(arg);
        }
    }
    return options;
}

// A key argument as canonical components; invalid roots are a syntax error.
std::vector<std::string> KeyComponents(const std::string& operation, const std::string& key) {
    auto components = mr::SplitKeyPath(key);
    if (!components) throw SyntaxError{operation};
    for (size_t i = 1; i < components->size(); ++i)
        if (!mr::IsStorableKeyName((*components)[i])) throw SyntaxError{operation};
    return *components;
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

// The data column of a query line.
std::string DataText(const mr::RegistryValue& value) {
    const mr::Bytes& data = value.data;
    const auto text = [&](size_t from, size_t to) { return std::string(data.begin() + from, data.begin() + to); };
    switch (value.type) {
        case 1:  // REG_SZ
        case 2:  // REG_EXPAND_SZ
        {
            size_t end = 0;
            while (end < data.size() && data[end] != 0) ++end;
            return text(0, end);
        }
        case 7: {  // REG_MULTI_SZ: the strings joined by \0
            std::string joined;
            size_t start = 0;
            for (size_t i = 0; i <= data.size(); ++i) {
                if (i < data.size() && data[i] != 0) continue;
                if (i == start) break;  // the empty string that ends the list
                if (!joined.empty()) joined += "\\0";
                joined += text(start, i);
                start = i + 1;
            }
            return joined;
        }
        case 4:  // REG_DWORD
        case 5:  // REG_DWORD_BIG_ENDIAN
        case 11: // REG_QWORD
        {
            const size_t size = value.type == 11 ? 8 : 4;
            if (data.size() != size) break;
            uint64_t number = 0;
            for (size_t i = 0; i < size; ++i) {
                const size_t index = value.type == 5 ? i : size - 1 - i;
                number = (number << 8) | data[index];
            }
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

void PrintValue(const mr::RegistryValue& value) {
    std::cout << "    " << (value.name.empty() ? "(Default)" : Printable(value.name)) << "    " << TypeName(value.type)
              << "    " << Printable(DataText(value)) << '\n';
}

// Prints the key (and with recurse its subkeys) as reg query does; returns
// the number of values printed.
size_t PrintKey(const mr::RegistryKey& key, const std::string& path, const std::optional<std::string>& only,
                bool recurse) {
    size_t printed = 0;
    const mr::RegistryValue* single = only ? key.FindValue(*only) : nullptr;
    if (!only || single != nullptr || !recurse) {
        std::cout << Printable(path) << '\n';
        if (single != nullptr) {
            PrintValue(*single);
            ++printed;
        } else if (!only) {
            for (const auto& [folded, value] : key.Values()) PrintValue(value), ++printed;
        }
        std::cout << '\n';
    }
    if (only && !recurse) return printed;
    for (const auto& [folded, child] : key.Subkeys()) {
        const std::string childPath = path + '\\' + child->Name();
        if (recurse)
            printed += PrintKey(*child, childPath, only, true);
        else
            std::cout << Printable(childPath) << '\n';
    }
    return printed;
}

int Query(const Options& options) {
    if (options.positionals.size() != 1) throw SyntaxError{"query"};
    const auto components = KeyComponents("query", options.positionals[0]);
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
    for (const mr::ParseProblem& problem : snapshot.content->problems)
        std::cerr << "warning: " << mr::DescribeProblem("registry.reg", problem) << '\n';
    const mr::RegistryTree& tree = snapshot.content->tree;
    const mr::RegistryKey* key = tree.FindKey(components);
    if (key == nullptr || (options.valueName && !options.recurse && key->FindValue(*options.valueName) == nullptr)) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    std::cout << '\n';
    const size_t printed = PrintKey(*key, DisplayPath(tree, components), options.valueName, options.recurse);
    if (options.valueName && options.recurse) {
        std::cout << "End of search: " << printed << " match(es) found.\n";
        if (printed == 0) return 1;
    }
    return 0;
}

std::optional<uint32_t> ParseDword(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<mr::Bytes> ParseHexData(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    mr::Bytes bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t byte = 0;
        auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (ec != std::errc() || end != text.data() + i + 2) return std::nullopt;
        bytes.push_back(byte);
    }
    return bytes;
}

// The type code and bytes of reg add's /t and /d.
std::pair<uint32_t, mr::Bytes> AddData(const Options& options) {
    const std::string type = options.type ? options.type->c_str() : "REG_SZ";
    const std::string data = options.data.value_or("");
    const std::string upper = [&] {
        std::string text = type;
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }();
    if (upper == "REG_SZ" || upper == "REG_EXPAND_SZ") return {upper == "REG_SZ" ? 1u : 2u, mr::StringBytes(data)};
    if (upper == "REG_DWORD") {
        const auto number = ParseDword(data);
        if (!number) throw SyntaxError{"add"};
        return {4u, mr::DwordBytes(*number)};
    }
    if (upper == "REG_BINARY" || upper == "REG_NONE") {
        auto bytes = ParseHexData(data);
        if (!bytes) throw SyntaxError{"add"};
        return {upper == "REG_BINARY" ? 3u : 0u, std::move(*bytes)};
    }
    if (upper == "REG_MULTI_SZ") {
        const std::string separator = options.separator.value_or("\\0");
        if (separator.empty()) throw SyntaxError{"add"};
        mr::Bytes bytes;
        size_t start = 0;
        while (start < data.size()) {
            const size_t end = std::min(data.find(separator, start), data.size());
            if (end == start) throw SyntaxError{"add"};  // empty strings cannot be listed
            bytes.insert(bytes.end(), data.begin() + start, data.begin() + end);
            bytes.push_back(0);
            start = end + separator.size();
        }
        bytes.push_back(0);
        return {7u, std::move(bytes)};
    }
    throw SyntaxError{"add"};
}

int Add(const Options& options) {
    if (options.positionals.size() != 1 || options.allValues) throw SyntaxError{"add"};
    const auto components = KeyComponents("add", options.positionals[0]);
    if (options.valueName && !mr::IsStorableValueName(*options.valueName)) throw SyntaxError{"add"};
    const auto [type, data] = AddData(options);
    const auto folder = machine::EnsureMachineFolder();
    if (options.valueName && !options.force) {
        const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
        const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
        const std::string shown = options.valueName->empty() ? "(Default)" : *options.valueName;
        if (key != nullptr && key->FindValue(*options.valueName) != nullptr &&
            !Confirm("Value " + shown + " exists, overwrite")) {
            std::cout << kCanceled << '\n';
            return 1;
        }
    }
    mr::EditRegistry(folder, [&](mr::RegistryTree& tree) {
        mr::RegistryKey& key = tree.CreateKey(components);
        if (options.valueName) key.SetValue(*options.valueName, type, data);
    });
    std::cout << kCompleted << '\n';
    return 0;
}

int Delete(const Options& options) {
    if (options.positionals.size() != 1) throw SyntaxError{"delete"};
    const auto components = KeyComponents("delete", options.positionals[0]);
    const bool wholeKey = !options.valueName && !options.allValues;
    if (wholeKey && components.size() < 2) throw SyntaxError{"delete"};  // a root stays
    const auto folder = machine::EnsureMachineFolder();
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(folder);
    const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
    if (key == nullptr || (options.valueName && key->FindValue(*options.valueName) == nullptr)) {
        std::cerr << kNotFound << '\n';
        return 1;
    }
    if (!options.force) {
        const std::string path = DisplayPath(snapshot.content->tree, components);
        const std::string question =
            wholeKey            ? "Permanently delete the registry key " + path
            : options.allValues ? "Delete all values under the registry key " + path
                                : "Delete the registry value " +
                                      (options.valueName->empty() ? std::string("(Default)") : *options.valueName);
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

int Export(const Options& options) {
    if (options.positionals.size() != 2 || options.valueName) throw SyntaxError{"export"};
    const auto components = KeyComponents("export", options.positionals[0]);
    const std::filesystem::path file = FileArgument(options.positionals[1]);
    const mr::RegistrySnapshot snapshot = mr::ReadRegistry(machine::EnsureMachineFolder());
    const mr::RegistryKey* key = snapshot.content->tree.FindKey(components);
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
    machine::WriteFileAtomically(file,
                                 mr::SerialiseRegistryKey(*key, DisplayPath(snapshot.content->tree, components)));
    std::cout << kCompleted << '\n';
    return 0;
}

// Thrown from inside the edit so an import with bad lines changes nothing.
struct ImportRefused {
    std::vector<mr::ParseProblem> problems;
};

int Import(const Options& options) {
    if (options.positionals.size() != 1 || options.valueName) throw SyntaxError{"import"};
    const std::string& file = options.positionals[0];
    std::string bytes;
    try {
        bytes = machine::ReadInputFile(FileArgument(file));
    } catch (const machine::MachineError& error) {
        std::cerr << "ERROR: Error opening the file " << file << ". There may be a disk or file system error.\n"
                  << "ERROR: " << error.what() << '\n';
        return 1;
    }
    const std::string text = mr::DecodeRegistryFileBytes(bytes);
    try {
        mr::EditRegistry(machine::EnsureMachineFolder(), [&](mr::RegistryTree& tree) {
            auto problems = mr::ApplyRegistryText(text, tree);
            if (!problems.empty()) throw ImportRefused{std::move(problems)};
        });
    } catch (const ImportRefused& refused) {
        for (const mr::ParseProblem& problem : refused.problems)
            std::cerr << "ERROR: " << mr::DescribeProblem(file, problem) << '\n';
        std::cerr << "ERROR: nothing was imported.\n";
        return 1;
    }
    std::cout << kCompleted << '\n';
    return 0;
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "/?" || arg == "-?"; }

}  // namespace

int RunRegCommand(const Arguments& args) {
    if (args.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    for (const std::string& arg : args)
        if (IsHelp(arg)) {
            std::cout << kUsage;
            return 0;
        }
    const std::string operation = Lower(args[0]);
    try {
        const Options options = ParseOptions(operation, args);
        if (operation == "query") return Query(options);
        if (operation == "add") return Add(options);
        if (operation == "delete") return Delete(options);
        if (operation == "export") return Export(options);
        if (operation == "import") return Import(options);
        std::cerr << "ERROR: Invalid syntax.\nType \"brontar reg --help\" for usage.\n";
        return 1;
    } catch (const SyntaxError& error) {
        std::cerr << "ERROR: Invalid syntax.\nType \"brontar reg " << error.operation << " --help\" for usage.\n";
        return 1;
    } catch (const machine::MachineError& error) {
        std::cerr << "ERROR: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace brontar::tools
