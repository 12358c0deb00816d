// Running the built brontar command as a user runs it from a shell.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_machine.h"

namespace brontar::testing {

struct CommandResult {
    int status = -1;  // the exit status; -1 when it did not exit
    std::string out;
    std::string err;
};

// Runs brontar with the arguments (shell words) in this process's
// environment; its output passes through files in the scratch folder.
inline CommandResult RunBrontar(const std::string& arguments, const std::filesystem::path& scratch) {
    const std::filesystem::path out = scratch / "out.txt";
    const std::filesystem::path err = scratch / "err.txt";
    const std::string command =
        std::string(BRONTAR_BIN_DIR) + "/brontar " + arguments + " >" + out.string() + " 2>" + err.string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(out), ReadFileText(err)};
}

}  // namespace brontar::testing
