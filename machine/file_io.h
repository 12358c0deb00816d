// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brontar::machine {

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes the content beside the target, flushes it to disk and renames it over
// the target, so a reader sees the old file or the new one, never a part.
// Throws MachineError on failure; the old file is then untouched.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace brontar::machine
