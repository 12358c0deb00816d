// The product's 16-bit support library qorhlp16.dll, as the machine provides
// it: the monitor's device key path and the board-present record.
#pragma once

#include <filesystem>
#include <optional>

#include "machine/module16.h"

namespace brontar::machine {

const Module16& Qorhlp16Module();

// The recorded board answer in a machine folder: true present, false absent,
// nothing when no answer is recorded yet.
std::optional<bool> ReadBoardRecord(const std::filesystem::path& machineFolder);
// Records the answer; throws MachineError when the file cannot be written.
void WriteBoardRecord(const std::filesystem::path& machineFolder, bool present);
// Where the record lives.
std::filesystem::path BoardRecordPath(const std::filesystem::path& machineFolder);

}  // namespace brontar::machine
