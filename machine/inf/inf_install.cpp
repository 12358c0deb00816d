#include "machine/inf/inf_install.h"

#include "machine/plain_text.h"

namespace brontar::machine::inf {

namespace {

struct Destination {
    int directoryId = 0;
    std::string subdirectory;
};

// A [DestinationDirs] line: "list = number[, subdirectory]".
Destination ReadDestination(const InfLine& line) {
    const auto number = ReadInfNumber(line.Field(0));
    if (!number || *number > 0xFFFF) throw InfError(line.Where() + "the folder '" + line.Field(0) + "' is not a number");
    return {int(*number), line.Field(1)};
}

// The folder of a file list: its own [DestinationDirs] line, else DefaultDestDir.
Destination DestinationOf(const InfFile& file, std::string_view list) {
    const std::vector<InfLine>* lines = file.Section("DestinationDirs");
    const InfLine* fallback = nullptr;
    if (lines != nullptr)
        for (const InfLine& line : *lines) {
            if (EqualsIgnoreCase(line.key, list)) return ReadDestination(line);
            if (EqualsIgnoreCase(line.key, "DefaultDestDir")) fallback = &line;
        }
    if (fallback == nullptr) throw InfError("no folder for [" + std::string(list) + "] in [DestinationDirs]");
    return ReadDestination(*fallback);
}

InfFileEntry EntryOf(const InfLine& line, const Destination& to) {
    // A file-list line has no key; a name with '=' in it is not a file name.
    if (!line.key.empty() || line.Field(0).empty())
        throw InfError(line.Where() + "a file list line is a file name, optionally followed by its source name, "
                                      "a temporary name and flags");
    InfFileEntry entry{line.Field(0), line.Field(1).empty() ? line.Field(0) : line.Field(1), to.directoryId,
                       to.subdirectory, 0, line.number};
    if (!line.Field(3).empty()) {
        const auto flags = ReadInfNumber(line.Field(3));
        if (!flags) throw InfError(line.Where() + "the flags '" + line.Field(3) + "' are not a number");
        entry.flags = *flags;
    }
    return entry;
}

// The files of the lists a CopyFiles or DelFiles directive names; "@NAME" is
// one file copied into the DefaultDestDir folder.
std::vector<InfFileEntry> FileLists(const InfFile& file, const std::vector<std::string>& lists,
                                    std::string_view directive) {
    std::vector<InfFileEntry> entries;
    for (const std::string& list : lists) {
        if (list.empty()) continue;
        if (list[0] == '@') {
            const Destination to = DestinationOf(file, "DefaultDestDir");
            entries.push_back({list.substr(1), list.substr(1), to.directoryId, to.subdirectory, 0, 0});
            continue;
        }
        const std::vector<InfLine>* lines = file.Section(list);
        if (lines == nullptr) throw InfError(std::string(directive) + " section [" + list + "] is missing");
        const Destination to = DestinationOf(file, list);
        for (const InfLine& line : *lines) entries.push_back(EntryOf(line, to));
    }
    return entries;
}

std::vector<InfLine> RegistryLists(const InfFile& file, const std::vector<std::string>& lists,
                                   std::string_view directive) {
    std::vector<InfLine> lines;
    for (const std::string& list : lists) {
        if (list.empty()) continue;
        const std::vector<InfLine>* section = file.Section(list);
        if (section == nullptr) throw InfError(std::string(directive) + " section [" + list + "] is missing");
        for (const InfLine& line : *section) {
            if (line.Field(0).empty() || !line.key.empty())
                throw InfError(line.Where() + "a registry line starts with its root (HKCR, HKLM, HKCU, HKU, HKR)");
            lines.push_back(line);
        }
    }
    return lines;
}

// Whether [SourceDisksFiles] lists the file (its keys are file names).
bool OnSourceDisk(const std::vector<InfLine>& disk, std::string_view name) {
    for (const InfLine& line : disk)
        if (EqualsIgnoreCase(line.key.empty() ? line.Field(0) : line.key, name)) return true;
    return false;
}

}  // namespace

InfInstallSection ReadInstallSection(const InfFile& file, std::string_view name) {
    if (!file.UnresolvedStrings().empty()) {
        const UnresolvedString& first = file.UnresolvedStrings().front();
        throw InfError("line " + std::to_string(first.line) + ": %" + first.name + "% is not defined in [Strings]");
    }
    const std::vector<InfLine>* section = file.Section(name);
    if (section == nullptr) throw InfError("no [" + std::string(name) + "] section");

    InfInstallSection install;
    install.copyFiles = FileLists(file, InfFile::DirectiveList(*section, "CopyFiles"), "CopyFiles");
    install.delFiles = FileLists(file, InfFile::DirectiveList(*section, "DelFiles"), "DelFiles");
    install.delReg = RegistryLists(file, InfFile::DirectiveList(*section, "DelReg"), "DelReg");
    install.addReg = RegistryLists(file, InfFile::DirectiveList(*section, "AddReg"), "AddReg");
    for (const InfLine& line : *section)
        if (!EqualsIgnoreCase(line.key, "CopyFiles") && !EqualsIgnoreCase(line.key, "DelFiles") &&
            !EqualsIgnoreCase(line.key, "AddReg") && !EqualsIgnoreCase(line.key, "DelReg"))
            install.otherDirectives.push_back(line.key.empty() ? line.Field(0) : line.key);

    if (const std::vector<InfLine>* disk = file.Section("SourceDisksFiles"))
        for (const InfFileEntry& entry : install.copyFiles)
            if (!OnSourceDisk(*disk, entry.sourceName))
                throw InfError((entry.line ? "line " + std::to_string(entry.line) + ": " : std::string()) +
                               entry.sourceName + " is not listed in [SourceDisksFiles]");
    return install;
}

}  // namespace brontar::machine::inf
