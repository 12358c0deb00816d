#include "machine/install_testscreen.h"

#include <system_error>

#include "machine/dos_path.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/pictures/texture_pictures.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramName = "brntrtst";
constexpr const char* kInstalledName = "BRNTRTST.EXE";

// The host folder of the machine's Windows directory, created when missing.
fs::path WindowsFolder(const fs::path& folder) {
    const std::optional<std::string> iniText = ReadWholeFile(MachineIniPath(folder));
    const MachineIni ini = MachineIni::Parse(iniText ? *iniText : std::string());
    const std::string directory = ini.GetOr("windows", "directory", "C:\\WINDOWS");
    const std::string bootDrive = ini.GetOr("windows", "bootdrive", "C");
    const std::optional<fs::path> mapped = MapDosPath(folder, directory, bootDrive.empty() ? 'C' : bootDrive[0]);
    if (!mapped) throw MachineError("the Windows directory '" + directory + "' in machine.ini is not a DOS path");
    std::error_code ec;
    fs::create_directories(*mapped, ec);
    if (ec) throw MachineError("cannot create " + mapped->string() + ": " + ec.message());
    return *mapped;
}

// The path of a file in a folder, matching an existing entry of any case.
fs::path EntryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (EqualsIgnoreCase(entry.path().filename().string(), name)) return entry.path();
    return folder / name;
}

// Copies the built program over the installed one when they differ; the copy
// is written aside and renamed, so a running test screen keeps its file.
void InstallProgram(const fs::path& windows, const fs::path& binDir, std::ostream& out) {
    const fs::path built = binDir / kProgramName;
    const std::optional<std::string> program = ReadWholeFile(built);
    if (!program) {
        out << "test screen: " << built.string() << " not found, not installed\n";
        return;
    }
    const fs::path installed = EntryIgnoringCase(windows, kInstalledName);
    if (ReadWholeFile(installed) == program) return;
    const fs::path aside = installed.string() + ".new";
    WriteFileAtomically(aside, *program);
    std::error_code ec;
    fs::permissions(aside, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ec);
    if (!ec) fs::rename(aside, installed, ec);
    if (ec) {
        const std::string reason = ec.message();
        std::error_code ignored;
        fs::remove(aside, ignored);
        throw MachineError("cannot install " + installed.string() + ": " + reason);
    }
    out << "installed " << installed.string() << '\n';
}

void InstallBitmaps(const fs::path& windows, std::ostream& out) {
    for (const TexturePicture& picture : TexturePictures()) {
        const fs::path path = EntryIgnoringCase(windows, picture.fileName);
        std::error_code ec;
        if (fs::exists(path, ec)) continue;
        WriteFileAtomically(path, EncodeBitmapFile(picture.paint(), picture.bitsPerPixel));
        out << "installed " << path.string() << '\n';
    }
}

}  // namespace

void InstallTestScreen(const fs::path& folder, const fs::path& binDir, std::ostream& out) {
    const fs::path windows = WindowsFolder(folder);
    InstallProgram(windows, binDir, out);
    InstallBitmaps(windows, out);
}

}  // namespace brontar::machine
