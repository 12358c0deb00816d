// The machine folder: one folder that holds a whole simulated Windows 95 PC.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace brontar::machine {

// Raised when the machine folder cannot be found or created.
class MachineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The folder named by BRONTAR_MACHINE, else $XDG_DATA_HOME/brontar/machine,
// else ~/.local/share/brontar/machine. Read from the environment on every
// call, so a test can point the process at a throwaway machine.
std::filesystem::path MachineFolderPath();

// The machine folder, created with its defaults where anything is missing.
// Existing files are never touched. Throws MachineError when the folder
// cannot be created.
std::filesystem::path EnsureMachineFolder();

// Creates whatever default file or folder is missing in the given folder;
// existing files are kept as they are. Throws MachineError.
void CreateMachineDefaults(const std::filesystem::path& folder);

// Paths of the well-known files inside a machine folder.
std::filesystem::path RegistryFilePath(const std::filesystem::path& folder);
std::filesystem::path MachineIniPath(const std::filesystem::path& folder);
std::filesystem::path DriveRootPath(const std::filesystem::path& folder, char driveLetter);

}  // namespace brontar::machine
