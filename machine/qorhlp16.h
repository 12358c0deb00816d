// The product's 16-bit support library qorhlp16.dll, as the machine provides
// it: the monitor's device key path and the board-present record.
#pragma once

#include <filesystem>

#include "machine/module16.h"

namespace brontar::machine {

const Module16& Qorhlp16Module();

// The recorded board answer in a machine folder, as IsBrontrInstalled16 gives
// it: 1 present, -1 absent, 0 nothing recorded yet. The file holds the number
// in decimal; any other number in it is answered as it is.
int ReadBoardRecord(const std::filesystem::path& machineFolder);
// Records the answer; throws MachineError when the file cannot be written.
void WriteBoardRecord(const std::filesystem::path& machineFolder, bool present);
// Where the record lives.
std::filesystem::path BoardRecordPath(const std::filesystem::path& machineFolder);

}  // namespace brontar::machine
