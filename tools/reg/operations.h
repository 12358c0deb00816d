// What the operations of brontar reg share: the parsed command line, the
// messages reg prints, and the helpers more than one operation uses. Each
// operation lives in a file of its own beside this header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine/registry/registry_store.h"
#include "machine/registry/registry_text.h"
#include "tools/command.h"

namespace brontar::tools::reg {

namespace mr = machine::registry;

inline constexpr std::string_view kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
inline constexpr std::string_view kCompleted = "The operation completed successfully.";
inline constexpr std::string_view kCanceled = "The operation was canceled by the user.";
inline constexpr std::string_view kInvalidKey = "ERROR: Invalid key name.";

// Thrown for a command line reg would refuse; the message is reg's first line.
struct SyntaxError {
    std::string operation;
    std::string_view message = "ERROR: Invalid syntax.";
};

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

// The command line.

// Names folded as the registry folds them.
std::string Lower(std::string_view text);
// A switch: /NAME or -NAME, in any case.
bool IsSwitch(const std::string& arg, std::string_view name);
// --help, /?, /h or -h.
bool IsHelp(const std::string& arg);
// The key (and the file or second key) and the switches after the operation.
// Throws SyntaxError.
Options ParseOptions(const std::string& operation, const Arguments& args);
// A key argument as canonical components; throws SyntaxError.
std::vector<std::string> KeyComponents(const std::string& operation, const std::string& key);
// "HKCU" or "HKEY_CURRENT_USER\\": a root without a subkey.
bool IsRootAlone(std::string_view key);
// The type code of a /t name (any case); nothing for a type reg does not take.
std::optional<uint32_t> TypeCode(std::string_view name);
// A FILE argument: a file in the machine's drives for a DOS path, else a path of this system.
std::filesystem::path FileArgument(const std::string& argument);

// Reading the registry and talking to the user.

// The tree of a snapshot; problems of the file go to standard error as warnings.
const mr::RegistryTree& ReadTree(const mr::RegistrySnapshot& snapshot);
// The key's path with its long root name and the stored spelling of each name.
std::string DisplayPath(const mr::RegistryTree& tree, const std::vector<std::string>& components);
// A value's name as reg shows it: "(Default)" for the unnamed value.
std::string ShownName(const std::string& name);
// Asks on the terminal; true for an answer starting with y.
bool Confirm(const std::string& question);

// The operations: each returns the exit status.
int Query(const Options& options);
int Add(const Options& options);
int Delete(const Options& options);
int Copy(const Options& options);
int Export(const Options& options);
int Import(const Options& options);

// Applies a .reg file in one write of the registry, for reg import and
// regedit. Nothing when the file could not be opened or read; a refused
// file's reason goes to refusal.
std::optional<mr::ImportOutcome> ImportFile(const std::string& file, std::string& refusal);

}  // namespace brontar::tools::reg
