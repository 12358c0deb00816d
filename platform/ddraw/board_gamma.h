// The gamma the board's driver applies to presented frames, from the
// board's settings key.
#pragma once

#include "machine/display/presentation.h"

namespace brontar::platform {

// "HGI_GAMMAR", "HGI_GAMMAG", "HGI_GAMMAB": REG_DWORD values holding the bits
// of a float. A value that is absent, of another type or size, or not a
// positive finite number counts as 1.7.
machine::DisplayGamma ReadBoardGamma();

}  // namespace brontar::platform
