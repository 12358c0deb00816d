#include "machine/dos_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "machine/plain_text.h"

namespace brontar::machine {

namespace fs = std::filesystem;

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The existing entry of the folder whose name equals the component without
// regard to case; an exact match wins over other spellings, so an entry of
// that very name is taken without reading the folder.
std::string MatchComponent(const fs::path& folder, const std::string& component) {
    struct stat entryStatus;
    if (::fstatat(AT_FDCWD, (folder / component).c_str(), &entryStatus, AT_SYMLINK_NOFOLLOW) == 0) return component;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return component;
    std::string match = component;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == component) {
            match = component;
            found = true;
            break;
        }
        if (!found && EqualsIgnoreCase(name, component)) {
            match = std::string(name);
            found = true;
        }
    }
    ::closedir(dir);
    return match;
}

}  // namespace

bool IsDosPath(std::string_view path) {
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') return true;
    return !path.empty() && path[0] == '\\';
}

std::optional<fs::path> MapDosPath(const fs::path& machineFolder, std::string_view dosPath, char bootDrive) {
    if (!IsDosPath(dosPath)) return std::nullopt;
    char drive = bootDrive;
    if (dosPath.size() >= 2 && dosPath[1] == ':') {
        drive = dosPath[0];
        dosPath.remove_prefix(2);
    }
    if (!IsDriveLetter(drive)) return std::nullopt;

    // A drive-relative path (C:FILE) is taken from the root: the platform keeps
    // no current directory per drive.
    std::vector<std::string> components;
    while (!dosPath.empty()) {
        while (!dosPath.empty() && IsSeparator(dosPath.front())) dosPath.remove_prefix(1);
        size_t end = 0;
        while (end < dosPath.size() && !IsSeparator(dosPath[end])) ++end;
        std::string component(dosPath.substr(0, end));
        dosPath.remove_prefix(end);
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (!components.empty()) components.pop_back();
            continue;
        }
        components.push_back(std::move(component));
    }

    fs::path host = DriveRootPath(machineFolder, drive);
    for (const std::string& component : components) host /= MatchComponent(host, component);
    return host;
}

std::optional<fs::path> MapDosPath(std::string_view dosPath) {
    const fs::path folder = EnsureMachineFolder();
    const std::string boot = CurrentMachineIni().GetOr("windows", "bootdrive", "C");
    return MapDosPath(folder, dosPath, boot.empty() ? 'C' : boot[0]);
}

}  // namespace brontar::machine
