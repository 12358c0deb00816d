// The board's settings key: its installer creates it, the settings page keeps
// the user's choices there, and the board's driver reads its gamma from it.
#pragma once

#include "machine/board/driver.h"

namespace brontar::machine {

// Below HKEY_LOCAL_MACHINE.
inline constexpr char kBoardSettingsKey[] = "Software\\Corvane Interactive\\Halcyon Graphics";

// The gamma the driver applies to presented frames: "HGI_GAMMAR",
// "HGI_GAMMAG", "HGI_GAMMAB" hold the bits of a float; a value that is absent,
// of another type or size, or not a positive finite number counts as 1.7.
DisplayGamma ReadBoardGamma(const DwordSettingReader& read);

}  // namespace brontar::machine
