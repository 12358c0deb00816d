// The registry file format: REGEDIT4 text as the Windows 95 registry editor
// writes it, and on input also "Windows Registry Editor Version 5.00" files.
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

// Applies a registry text to the tree: creates each [KEY], removes each
// [-KEY] with all below it, sets each "name"=data, deletes each "name"=-.
// Lines that cannot be read are skipped and reported; everything else is
// applied. Apply to a copy when a text with problems must change nothing.
std::vector<ParseProblem> ApplyRegistryText(std::string_view text, RegistryTree& tree);

// The whole tree as a REGEDIT4 file (CR LF line ends). Roots get a section of
// their own only when they hold values.
std::string SerialiseRegistry(const RegistryTree& tree);

// One key and everything below it as a REGEDIT4 file; path is the key's full
// path with the long root name.
std::string SerialiseRegistryKey(const RegistryKey& key, std::string_view path);

}  // namespace brontar::machine::registry
