#include "machine/machine_folder.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

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

// The boot file as the user left it. The settings page rewrites it by moving
// the old file aside to AUTOEXEC.~$$ and renaming the new one in; a copy found
// there belongs to a rewrite that was stopped, and it goes back in place when
// the boot file is missing or is still the untouched default. A default is
// made only when there is no copy of the user's.
void RestoreOrCreateBootFile(const fs::path& folder) {
    const fs::path bootFile = *MapDosPath(folder, "C:\\AUTOEXEC.BAT");
    const fs::path movedAside = *MapDosPath(folder, "C:\\AUTOEXEC.~$$");
    struct stat info {};
    if (::lstat(movedAside.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        CreateFileIfMissing(bootFile, DefaultAutoexecBat());
        return;
    }
    if (::lstat(bootFile.c_str(), &info) != 0) {
        // renameat2 with RENAME_NOREPLACE: a file that appears meanwhile stays.
        ::renameat2(AT_FDCWD, movedAside.c_str(), AT_FDCWD, bootFile.c_str(), RENAME_NOREPLACE);
    } else if (ReadWholeFile(bootFile) == std::optional<std::string>(DefaultAutoexecBat())) {
        ::rename(movedAside.c_str(), bootFile.c_str());
    }
}

}  // namespace

void CreateMachineDefaults(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw MachineError("cannot create machine folder " + folder.string() + ": " + ec.message());
    CreateFileIfMissing(MachineIniPath(folder), DefaultMachineIni());
    CheckInputFile(MachineIniPath(folder));  // a FIFO or a huge file is refused here, with its name
    CreateFileIfMissing(RegistryFilePath(folder), DefaultRegistryFile());
    // Drive files are found as DOS finds them, in any case: a user's
    // "Autoexec.bat" is the boot file, and no second one is made beside it.
    fs::create_directories(*MapDosPath(folder, "C:\\WINDOWS\\SYSTEM"), ec);
    if (ec) throw MachineError("cannot create drive C: in " + folder.string() + ": " + ec.message());
    RestoreOrCreateBootFile(folder);
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
