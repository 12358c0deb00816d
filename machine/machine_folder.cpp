#include "machine/machine_folder.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <set>
#include <system_error>

#include "machine/default_machine.h"
#include "machine/dos_path.h"
#include "machine/file_io.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

void CreateMachineDefaults(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw MachineError("cannot create machine folder " + folder.string() + ": " + ec.message());
    CreateFileIfMissing(MachineIniPath(folder), DefaultMachineIni());
    CreateFileIfMissing(RegistryFilePath(folder), DefaultRegistryFile());
    // Drive files are found as DOS finds them, in any case: a user's
    // "Autoexec.bat" is the boot file, and no second one is made beside it.
    fs::create_directories(*MapDosPath(folder, "C:\\WINDOWS\\SYSTEM"), ec);
    if (ec) throw MachineError("cannot create drive C: in " + folder.string() + ": " + ec.message());
    CreateFileIfMissing(*MapDosPath(folder, "C:\\AUTOEXEC.BAT"), DefaultAutoexecBat());
}

fs::path MachineFolderPath() {
    if (std::string machine = Environment("BRONTAR_MACHINE"); !machine.empty()) return fs::path(machine);
    if (std::string data = Environment("XDG_DATA_HOME"); !data.empty())
        return fs::path(data) / "brontar" / "machine";
    std::string home = Environment("HOME");
    if (home.empty()) throw MachineError("neither BRONTAR_MACHINE nor HOME is set; cannot place the machine folder");
    return fs::path(home) / ".local" / "share" / "brontar" / "machine";
}

fs::path EnsureMachineFolder() {
    // Each folder is checked once per process; later calls only resolve the path.
    static std::mutex mutex;
    static std::set<fs::path> ensured;
    fs::path folder = MachineFolderPath();
    std::lock_guard lock(mutex);
    if (!ensured.contains(folder)) {
        CreateMachineDefaults(folder);
        ensured.insert(folder);
    }
    return folder;
}

fs::path RegistryFilePath(const fs::path& folder) { return folder / "registry.reg"; }

fs::path MachineIniPath(const fs::path& folder) { return folder / "machine.ini"; }

fs::path DriveRootPath(const fs::path& folder, char driveLetter) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(driveLetter)));
    return folder / "drives" / std::string(1, letter);
}

}  // namespace brontar::machine
