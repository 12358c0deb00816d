#include "machine/install_product.h"

#include <optional>
#include <string>
#include <system_error>

#include "machine/file_io.h"
#include "machine/inf/inf_install.h"
#include "machine/inf/inf_registry.h"
#include "machine/install_files.h"
#include "machine/machine_folder.h"
#include "machine/pictures/texture_pictures.h"
#include "machine/plain_text.h"
#include "machine/registry/registry_store.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

// What the build makes for a file the INF copies, where the names differ: on
// this platform the page's library is a shared object and the test screen a
// program without a suffix.
struct BuildOutput {
    std::string_view infName;
    std::string_view built;
    bool executable;
};
constexpr BuildOutput kBuildOutputs[] = {
    {"BRNTRSET.DLL", "brntrset.so", false},
    {"BRNTRTST.EXE", "brntrtst", true},
};

// The numbered folders of Windows 95 setup that the machine has.
inf::DirectoryIds MachineDirectories(const fs::path& folder) {
    const std::string windows = WindowsDosDirectory(folder);
    return {{10, windows}, {11, windows + "\\SYSTEM"}, {17, windows + "\\INF"}};
}

const TexturePicture* PictureNamed(std::string_view name) {
    for (const TexturePicture& picture : TexturePictures())
        if (EqualsIgnoreCase(picture.fileName, name)) return &picture;
    return nullptr;
}

std::string DosDirectoryOf(const inf::InfFileEntry& entry, const inf::DirectoryIds& directories) {
    const auto found = directories.find(entry.directoryId);
    if (found == directories.end())
        throw inf::InfError((entry.line ? "line " + std::to_string(entry.line) + ": " : std::string()) + "folder " +
                            std::to_string(entry.directoryId) + " of " + entry.name +
                            " is not one the machine has (10, 11, 17)");
    return entry.subdirectory.empty() ? found->second : found->second + "\\" + entry.subdirectory;
}

// The key a registry line's root names (HKCR is HKLM\Software\Classes);
// nullptr when it does not exist and create is false.
registry::RegistryKey* RootKey(registry::RegistryTree& tree, const inf::InfLine& line, bool create) {
    const std::string& root = line.fields[0];
    const auto components = registry::SplitKeyPath(root);
    if (root.find('\\') != std::string::npos || !components)
        throw inf::InfError(line.Where() + "the registry root '" + root +
                            "' is not one the machine has (HKCR, HKLM, HKCU)");
    return create ? &tree.CreateKey(*components) : tree.FindKey(*components);
}

void ApplyRegistryLines(registry::RegistryTree& tree, const inf::InfInstallSection& install) {
    for (const inf::InfLine& line : install.delReg)
        if (registry::RegistryKey* root = RootKey(tree, line, false)) inf::ApplyDelRegLine(line, *root);
    for (const inf::InfLine& line : install.addReg) inf::ApplyAddRegLine(line, *RootKey(tree, line, true));
}

void CopyOne(const inf::InfFileEntry& entry, const fs::path& target, const fs::path& binDir, std::ostream& out) {
    std::error_code ec;
    if ((entry.flags & inf::kCopyNoOverwrite) && fs::exists(target, ec)) return;
    if (const TexturePicture* picture = PictureNamed(entry.sourceName)) {
        InstallContent(target, EncodeBitmapFile(picture->paint(), picture->bitsPerPixel), out);
        return;
    }
    fs::path built = binDir / entry.sourceName;
    bool executable = false;
    for (const BuildOutput& output : kBuildOutputs)
        if (EqualsIgnoreCase(output.infName, entry.sourceName)) {
            built = binDir / output.built;
            executable = output.executable;
        }
    InstallBuildOutput(built, target.parent_path(), target.filename().string(), out, executable);
}

}  // namespace

void InstallProduct(const fs::path& folder, const fs::path& binDir, std::ostream& out) {
    const fs::path infPath = binDir / kSetupInfName;
    const std::optional<std::string> text = ReadWholeFile(infPath);
    if (!text)
        throw MachineError(infPath.string() + " not found: the settings page and the test screen are not installed");
    const inf::DirectoryIds directories = MachineDirectories(folder);
    try {
        const inf::InfInstallSection install =
            inf::ReadInstallSection(inf::InfFile::Parse(*text, directories), "DefaultInstall");
        // Checked whole before anything is written: every folder and every
        // registry line, the latter on a scratch registry.
        std::vector<std::string> targets;
        for (const inf::InfFileEntry& entry : install.copyFiles)
            targets.push_back(DosDirectoryOf(entry, directories));
        for (const inf::InfFileEntry& entry : install.delFiles) DosDirectoryOf(entry, directories);
        registry::RegistryTree scratch;
        ApplyRegistryLines(scratch, install);

        for (const std::string& directive : install.otherDirectives)
            out << kSetupInfName << ": [DefaultInstall] " << directive << " is not carried out in the machine\n";
        for (const inf::InfFileEntry& entry : install.delFiles) {
            const fs::path target = EntryIgnoringCase(HostFolder(folder, DosDirectoryOf(entry, directories)), entry.name);
            std::error_code ec;
            if (fs::remove(target, ec)) out << "removed " << target.string() << '\n';
        }
        for (size_t i = 0; i < install.copyFiles.size(); ++i) {
            const inf::InfFileEntry& entry = install.copyFiles[i];
            CopyOne(entry, EntryIgnoringCase(HostFolder(folder, targets[i]), entry.name), binDir, out);
        }
        registry::EditRegistry(folder, [&](registry::RegistryTree& tree) { ApplyRegistryLines(tree, install); });
    } catch (const inf::InfError& error) {
        throw MachineError(infPath.string() + ": " + error.what());
    }
}

}  // namespace brontar::machine
