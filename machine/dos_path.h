// DOS paths (C:\WINDOWS\CASTLE.BMP) mapped onto the machine folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brontar::machine {

// True for a path a Windows program would hand the C runtime: one that starts
// with a drive letter and a colon, or with a backslash (the root of the boot
// drive). POSIX paths (/tmp/x) are not DOS paths.
bool IsDosPath(std::string_view path);

// The host path of a DOS path in the given machine folder: drive X: is
// drives/x/, each component matches an existing entry of any case, and a
// component that does not exist yet keeps the spelling given. "." and ".."
// are resolved by name and never climb above the drive's root. Nothing when
// the text is not a DOS path or names no drive letter.
std::optional<std::filesystem::path> MapDosPath(const std::filesystem::path& machineFolder, std::string_view dosPath,
                                                char bootDrive = 'C');

// The same in the current machine folder, with its boot drive.
std::optional<std::filesystem::path> MapDosPath(std::string_view dosPath);

}  // namespace brontar::machine
