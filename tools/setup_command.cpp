#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "machine/installer.h"
#include "machine/machine_folder.h"
#include "tools/command.h"

namespace brontar::tools {

std::string ExecutableFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

int RunSetupCommand(const Arguments& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << "usage: brontar setup\n\n"
                     "Creates or repairs the machine folder (BRONTAR_MACHINE, else\n"
                     "$XDG_DATA_HOME/brontar/machine): default files, the monitor, and the\n"
                     "product as the setup INF beside this program (BRNTRSET.INF, the file\n"
                     "Windows 95 installs from) states it: the programs, the bitmaps and the\n"
                     "registry entries. Never replaces the user's settings.\n";
        return 0;
    }
    if (!args.empty()) {
        std::cerr << "brontar setup: unexpected argument '" << args[0] << "'\n";
        return 2;
    }
    try {
        machine::InstallMachine(machine::MachineFolderPath(), ExecutableFolder(), std::cout);
    } catch (const machine::MachineError& error) {
        std::cerr << "brontar setup: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace brontar::tools
