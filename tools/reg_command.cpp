// brontar reg: query and change the machine's registry with the arguments,
// output and exit codes of the Windows reg command; brontar regedit: the
// Windows 95 registry editor's command line (/e export, import).
#include <iostream>

#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "tools/command.h"
#include "tools/reg/operations.h"

namespace brontar::tools {

namespace {

using namespace reg;

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
