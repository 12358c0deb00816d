// Where the font files behind the Windows faces live on this machine.
#pragma once

#include <string>
#include <vector>

namespace brontar::platform {

// The metric-compatible families that stand in for the Windows faces.
enum class FontFamily { Sans, Serif, Mono };

// The file name of one family in one style, e.g. "LiberationSans-Bold.ttf".
std::string FontFileName(FontFamily family, bool bold, bool italic);

// The full path of a font file: first the usual folders, then a walk of the
// font roots. Empty when the file is nowhere.
std::string FindFontFile(const std::string& fileName);

// Replaces the folders searched (tests use it to simulate missing fonts);
// an empty list restores the system folders.
void SetFontSearchRootsForTesting(const std::vector<std::string>& roots);

}  // namespace brontar::platform
