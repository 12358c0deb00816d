#include "machine/install_files.h"

#include <system_error>

#include "machine/dos_path.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/plain_text.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

MachineIni ReadMachineIni(const fs::path& folder) {
    return MachineIni::Parse(ReadWholeFile(MachineIniPath(folder)).value_or(std::string()));
}

}  // namespace

std::string WindowsDosDirectory(const fs::path& folder) {
    std::string windows = ReadMachineIni(folder).GetOr("windows", "directory", "C:\\WINDOWS");
    while (windows.size() > 3 && (windows.back() == '\\' || windows.back() == '/')) windows.pop_back();
    return windows;
}

fs::path HostFolder(const fs::path& folder, std::string_view dosDirectory) {
    const std::string bootDrive = ReadMachineIni(folder).GetOr("windows", "bootdrive", "C");
    const std::optional<fs::path> mapped = MapDosPath(folder, dosDirectory, bootDrive.empty() ? 'C' : bootDrive[0]);
    if (!mapped) throw MachineError("the folder '" + std::string(dosDirectory) + "' is not a DOS path");
    std::error_code ec;
    fs::create_directories(*mapped, ec);
    if (ec) throw MachineError("cannot create " + mapped->string() + ": " + ec.message());
    return *mapped;
}

fs::path WindowsHostFolder(const fs::path& folder, std::string_view below) {
    std::string directory = WindowsDosDirectory(folder);
    if (!below.empty()) {
        directory += '\\';
        directory += below;
    }
    return HostFolder(folder, directory);
}

fs::path EntryIgnoringCase(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (EqualsIgnoreCase(entry.path().filename().string(), name)) return entry.path();
    return folder / name;
}

void InstallContent(const fs::path& path, std::string_view content, std::ostream& out, bool executable) {
    if (ReadWholeFile(path) == content) return;
    WriteFileAtomically(path, content, executable);
    out << "installed " << path.string() << '\n';
}

void InstallBuildOutput(const fs::path& built, const fs::path& targetFolder, std::string_view installedName,
                        std::ostream& out, bool executable) {
    const std::optional<std::string> content = ReadWholeFile(built);
    if (!content) {
        out << built.string() << " not found, " << installedName << " not installed\n";
        return;
    }
    InstallContent(EntryIgnoringCase(targetFolder, installedName), *content, out, executable);
}

}  // namespace brontar::machine
