// DOS paths on any text: a mapped path always lies inside its drive's folder
// of the machine, whatever dots, separators and drive letters the text holds.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "machine/dos_path.h"

namespace {

std::filesystem::path g_machine;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_machine = brontar::fuzzing::ScratchFolder() / "machine";
    std::filesystem::create_directories(g_machine / "drives" / "c" / "WINDOWS" / "SYSTEM");
    std::filesystem::create_directories(g_machine / "drives" / "d" / "Data");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto mapped = brontar::machine::MapDosPath(g_machine, text, 'C');
    if (!mapped) return 0;
    const std::filesystem::path drives = g_machine / "drives";
    const std::filesystem::path inside = mapped->lexically_relative(drives);
    if (inside.empty() || *inside.begin() == "..") std::abort();
    size_t depth = 0;
    for (const auto& component : inside) {
        if (component == ".." || component == "." || component.empty()) std::abort();
        if (depth++ == 0 && component.string().size() != 1) std::abort();  // the drive's letter
    }
    return 0;
}
