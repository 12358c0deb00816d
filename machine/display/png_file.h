// 8-bit RGB pictures as PNG files: the capture of presented frames and of
// window screenshots.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "machine/display/presentation.h"

namespace brontar::machine {

// Writes the picture beside the target and renames it over the target, so a
// reader never sees half a file. False (with nothing left behind) on failure.
bool WritePngFile(const std::filesystem::path& path, const RgbPicture& picture);

// Reads any PNG as 8-bit RGB; nothing when the file is missing or broken.
std::optional<RgbPicture> ReadPngFile(const std::filesystem::path& path);

// The folder named by BRONTAR_CAPTURE, created when missing; nothing when the
// variable is unset or empty.
std::optional<std::filesystem::path> CaptureFolder();

// The path of the next numbered capture file with this prefix ("frame",
// "window"): <folder>/<prefix>-000001.png for number 1.
std::filesystem::path CaptureFilePath(const std::filesystem::path& folder, const char* prefix, uint64_t number);

}  // namespace brontar::machine
