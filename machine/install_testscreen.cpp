#include "machine/install_testscreen.h"

#include <system_error>

#include "machine/file_io.h"
#include "machine/install_files.h"
#include "machine/machine_folder.h"
#include "machine/pictures/texture_pictures.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgramName = "brntrtst";
constexpr const char* kInstalledName = "BRNTRTST.EXE";

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
    const fs::path windows = WindowsHostFolder(folder);
    // Replaced when it differs, written aside and renamed, so a running test
    // screen keeps its file.
    InstallBuildOutput(binDir / kProgramName, windows, kInstalledName, out, /*executable=*/true);
    InstallBitmaps(windows, out);
}

}  // namespace brontar::machine
