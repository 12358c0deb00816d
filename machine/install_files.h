// Helpers of the installer's steps: where things go in the machine and how a
// file is put there.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

namespace brontar::machine {

// The Windows directory as machine.ini names it (DOS form, no trailing
// separator).
std::string WindowsDosDirectory(const std::filesystem::path& folder);

// The host folder of a DOS directory of the machine (C:\WINDOWS\INF),
// created when missing. Throws MachineError.
std::filesystem::path HostFolder(const std::filesystem::path& folder, std::string_view dosDirectory);

// The host folder of the Windows directory, or of a folder below it
// ("SYSTEM"), created when missing. Throws MachineError.
std::filesystem::path WindowsHostFolder(const std::filesystem::path& folder, std::string_view below = {});

// The path of a file in a folder, matching an existing entry of any case, as
// DOS finds files; the name as given when there is none.
std::filesystem::path EntryIgnoringCase(const std::filesystem::path& folder, std::string_view name);

// Writes the content over the file when they differ, aside and then renamed,
// so a process that has the old one open keeps it whole. Says so on out.
void InstallContent(const std::filesystem::path& path, std::string_view content, std::ostream& out,
                    bool executable = false);

// Installs a build output into a folder under its installed name (matching an
// existing copy of any case); says so when the build has no such output.
void InstallBuildOutput(const std::filesystem::path& built, const std::filesystem::path& targetFolder,
                        std::string_view installedName, std::ostream& out, bool executable = false);

}  // namespace brontar::machine
