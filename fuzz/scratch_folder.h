// A folder of the fuzz run's own below /tmp, removed when the run ends, for
// targets that need a machine folder or an empty folder.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace brontar::fuzzing {

inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "brontar-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return std::filesystem::path(pattern);
    }();
    // Registered after the path exists, so it runs before the path goes.
    static const bool removedAtExit = std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(ScratchFolder(), ec);
    }) == 0;
    (void)removedAtExit;
    return folder;
}

}  // namespace brontar::fuzzing
