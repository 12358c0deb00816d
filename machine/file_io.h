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
// Throws MachineError on failure; the old file is then untouched. An
// executable file gets mode 0755, any other 0644.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content, bool executable = false);

// Creates the file with the content only when nothing is at the path: the
// content is written beside and linked into place, so two processes creating
// the same file at once never overwrite each other nor a writer that got there
// first. Returns false when a file was already there. Throws MachineError.
bool CreateFileIfMissing(const std::filesystem::path& path, std::string_view content);

}  // namespace brontar::machine
