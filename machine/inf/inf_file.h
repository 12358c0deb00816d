// Setup information (INF) files as Windows 95 setup reads them: [sections]
// whose names match without regard to case, lines of an optional "key =" and
// comma-separated fields, "quoted" fields (a doubled quote inside is one
// quote), %name% substitution from [Strings] and of numbered folders (%11%),
// %% for a percent sign, ';' comments, '\' line continuations, CR LF or LF,
// UTF-16LE with its byte-order mark, Ctrl-Z as the end of a DOS file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brontar::machine::inf {

// A file that is not an INF, or a line a reader cannot act on; what() says
// where ("line 12: ...") and what, without the file name.
class InfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct InfLine {
    std::string key;                  // before '=', substituted and unquoted; empty without '='
    std::vector<std::string> fields;  // after '=' (or the whole line); never empty
    int number = 0;                   // the file line it starts on

    // The field at index, or an empty one past the end.
    std::string Field(size_t index) const { return index < fields.size() ? fields[index] : std::string(); }
    // "line N: " for messages about this line.
    std::string Where() const { return "line " + std::to_string(number) + ": "; }
};

// A %name% the file uses that neither [Strings] nor the numbered folders
// define; it stays in the text as written.
struct UnresolvedString {
    std::string name;
    int line = 0;
};

// Numbered folders (10 the Windows folder, 11 its SYSTEM folder, ...) by
// number, substituted for %10%, %11% while reading; a number not given stays
// as written and is not counted as unresolved.
using DirectoryIds = std::map<int, std::string>;

class InfFile {
public:
    // Throws InfError for bytes that are not an INF: over 4 MB, binary, or a
    // section name without its ']'. Lines before the first section are
    // ignored; sections of the same name are read as one.
    static InfFile Parse(std::string_view bytes, const DirectoryIds& directories = {});

    // The section's lines in file order; nullptr when there is no such section.
    const std::vector<InfLine>* Section(std::string_view name) const;
    // The fields of every line of the section whose key is the directive
    // (CopyFiles, AddReg), in order: the section names a directive lists.
    static std::vector<std::string> DirectiveList(const std::vector<InfLine>& section, std::string_view directive);
    // The first field of the section's line with that key; nothing when absent.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    const std::vector<UnresolvedString>& UnresolvedStrings() const { return unresolved_; }

private:
    std::map<std::string, std::vector<InfLine>, std::less<>> sections_;  // by folded name
    std::vector<UnresolvedString> unresolved_;
};

// A number as INF files write them: decimal, or hexadecimal after 0x; at most
// 32 bits. Nothing for anything else.
std::optional<uint32_t> ReadInfNumber(std::string_view text);

}  // namespace brontar::machine::inf
