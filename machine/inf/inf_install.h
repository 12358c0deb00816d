// What an install section of a setup INF states, read but not yet carried
// out: the files its CopyFiles and DelFiles lists name, each with the
// numbered folder [DestinationDirs] gives its list, and the lines of its
// AddReg and DelReg sections.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "machine/inf/inf_file.h"

namespace brontar::machine::inf {

// File-list flag 16: a file already at the destination is kept.
inline constexpr uint32_t kCopyNoOverwrite = 0x10;

struct InfFileEntry {
    std::string name;          // at the destination
    std::string sourceName;    // on the source disk: the name unless the line gives another
    int directoryId = 0;       // the numbered folder of its list (10 Windows, 11 SYSTEM, 17 INF)
    std::string subdirectory;  // below that folder; usually empty
    uint32_t flags = 0;        // the line's flags
    int line = 0;              // where the file-list line is
};

struct InfInstallSection {
    std::vector<InfFileEntry> copyFiles;
    std::vector<InfFileEntry> delFiles;
    std::vector<InfLine> delReg;  // every line of its DelReg sections, in order
    std::vector<InfLine> addReg;  // every line of its AddReg sections, in order
    std::vector<std::string> otherDirectives;  // keys of lines a reader of these four does not carry out
};

// Reads the named install section. Throws InfError naming the line or the
// section when the file uses a %string% [Strings] does not define, when the
// section or a list it names is missing, when a list has no folder in
// [DestinationDirs], when a number (folder, flags) is malformed, or when a
// copied file is not listed in [SourceDisksFiles] (where the file has one).
InfInstallSection ReadInstallSection(const InfFile& file, std::string_view name);

}  // namespace brontar::machine::inf
