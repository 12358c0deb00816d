// brontar: the user's entry point to the simulated Brontar 3D machine.
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string_view>

#include "tools/command.h"

namespace {

struct Subcommand {
    std::string_view name;
    std::string_view summary;
    int (*run)(const brontar::tools::Arguments&);
};

constexpr Subcommand kSubcommands[] = {
    {"setup", "create or repair the machine folder", brontar::tools::RunSetupCommand},
    {"panel", "open Display Properties with the Brontar 3D page", brontar::tools::RunPanelCommand},
    {"reg", "query and change the registry (query, add, delete, copy, export, import)", brontar::tools::RunRegCommand},
    {"regedit", "import a .reg file, or export REGEDIT4 with /e FILE [KEY]", brontar::tools::RunRegeditCommand},
    {"test", "start the installed test screen as the page does (WxH [--gamma])", brontar::tools::RunTestCommand},
    {"monitor", "print the monitor the page sees; import (EDID, INF), list and use monitors",
     brontar::tools::RunMonitorCommand},
};

void PrintUsage(std::ostream& out) {
    out << "usage: brontar COMMAND [ARGS...]\n\ncommands:\n";
    for (const Subcommand& command : kSubcommands)
        out << "  " << command.name << std::string(10 - command.name.size(), ' ') << command.summary << '\n';
    out << "\n'brontar COMMAND --help' describes a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(std::cerr);
        return 2;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    for (const Subcommand& command : kSubcommands) {
        if (command.name != name) continue;
        // Commands report their own failures; anything that gets past them
        // still ends as a message and a failure status, never as an abort.
        try {
            return command.run(brontar::tools::Arguments(argv + 2, argv + argc));
        } catch (const std::bad_alloc&) {
            std::cerr << "brontar " << name << ": out of memory\n";
        } catch (const std::exception& error) {
            std::cerr << "brontar " << name << ": " << error.what() << '\n';
        } catch (...) {
            std::cerr << "brontar " << name << ": unexpected failure\n";
        }
        return 1;
    }
    std::cerr << "brontar: unknown command '" << name << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
