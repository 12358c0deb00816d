// machine.ini: the hardware and OS settings of the simulated PC.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brontar::machine {

// An INI file of [sections] and key=value lines; ';' and '#' start comments.
// Section and key names are matched without regard to case; the order of keys
// within a section is kept.
class MachineIni {
public:
    static MachineIni Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::string GetOr(std::string_view section, std::string_view key, std::string_view fallback) const;
    // An integer value; the fallback when the key is missing or not a number.
    long long GetInt(std::string_view section, std::string_view key, long long fallback) const;
    // A yes/no value (yes, true, 1, on; no, false, 0, off).
    bool GetBool(std::string_view section, std::string_view key, bool fallback) const;

    bool HasSection(std::string_view section) const;
    // The keys of a section in file order, with their values.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

private:
    struct Section {
        std::vector<std::pair<std::string, std::string>> entries;
    };
    // Keyed by the lower-case section name.
    std::map<std::string, Section, std::less<>> sections_;
};

// The INI text with the key of the section set to the value: its last line
// rewritten when it has one, else a line added at the end of the section (the
// section added at the end when missing). Every other line is kept as it is.
std::string WithIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value);

// machine.ini of the current machine folder (created with defaults when
// missing), parsed again only when the file changed. Never throws: when the
// folder cannot be set up or machine.ini cannot be read (a FIFO, a folder,
// past the size limit), the embedded defaults are used and standard error
// says so once.
MachineIni CurrentMachineIni();

}  // namespace brontar::machine
