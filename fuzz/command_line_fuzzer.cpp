// The test screen's command line (as the page builds it, or as anyone
// types it): whatever the text, the mode is one of the board's four and the
// rate lies within 60 to 120 Hz. The stored rates come from a throwaway
// machine folder.
#include <stdlib.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/scratch_folder.h"
#include "testscreen/test_screen.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("BRONTAR_MACHINE", (brontar::fuzzing::ScratchFolder() / "machine").c_str(), 1);
    ::setenv("BRONTAR_LOG", "/dev/null", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);  // up to its first NUL, as Windows hands it over
    const int index = FindModeArgument(line.c_str());
    if (index < -1 || index > 3) std::abort();
    MODESELECTION mode{};
    SelectMode(line.c_str(), &mode);
    const bool known = (mode.width == 512 && mode.height == 384) || (mode.width == 640 && mode.height == 400) ||
                       (mode.width == 640 && mode.height == 480) || (mode.width == 800 && mode.height == 600);
    if (!known || mode.refresh < 60 || mode.refresh > 120 || mode.bitDepth != 16) std::abort();
    return 0;
}
