// The registry file formats: REGEDIT4 text as the Windows 95 registry editor
// writes it, "Windows Registry Editor Version 5.00" files as reg.exe writes
// them, and on input also the Windows 3.1 form (REGEDIT, then lines
// "HKEY_CLASSES_ROOT\key = value").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "machine/registry/registry_tree.h"

namespace brontar::machine::registry {

// Where and why a registry text could not be read.
struct ParseProblem {
    size_t line = 0;  // 1-based line of the text
    std::string message;
};

// "FILE line N: message", or "FILE: message" for a problem with the file as a
// whole (line 0: it could not be opened or read).
std::string DescribeProblem(std::string_view file, const ParseProblem& problem);

// The text of a registry file's bytes: UTF-16LE with a byte-order mark becomes
// 8-bit text (characters above 0xFF become '?'), a UTF-8 byte-order mark is
// dropped, anything else is taken as it is.
std::string DecodeRegistryFileBytes(std::string_view bytes);

// What reading a .reg file as the registry editor does came to.
struct ImportOutcome {
    bool read = false;                   // the header was recognised; false: nothing was applied
    std::vector<ParseProblem> problems;  // the lines that were skipped, and why
};

// Applies a .reg file's text to the tree as the registry editor imports it:
// creates each [KEY], removes each [-KEY] with all below it, sets each
// "name"=data, deletes each "name"=-. A line that cannot be read is skipped
// (with the value it starts) and reported; everything else is applied. A line
// that continued hex data takes in is data, never a key or value line of its
// own. hex(2) and hex(7) data without its terminating NUL gets one.
ImportOutcome ImportRegistryText(std::string_view text, RegistryTree& tree);

// Reads the registry's own file (registry.reg) into the tree: the same lines,
// but the bytes of every value are taken exactly as written. Returns the
// problems; an empty list means the file was read completely.
std::vector<ParseProblem> ApplyRegistryText(std::string_view text, RegistryTree& tree);

// The whole tree as the registry's own REGEDIT4 file (CR LF line ends), every
// value's exact bytes kept. Roots get a section only when they hold values.
std::string SerialiseRegistry(const RegistryTree& tree);

// One key and everything below it in that REGEDIT4 form; path is the key's
// full path with the long root name.
std::string SerialiseRegistryKey(const RegistryKey& key, std::string_view path);

// One key and everything below it as reg export writes it: the version 5
// header, UTF-16LE with a byte-order mark, CR LF. REG_SZ data is written as
// text up to its first NUL; text types in hex form hold UTF-16LE.
std::string ExportRegistryKey(const RegistryKey& key, std::string_view path);

}  // namespace brontar::machine::registry
