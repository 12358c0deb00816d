// The resource compiler on any script text: a script is refused with a
// ScriptError or compiled to a resource image. Includes are looked up in an
// empty folder.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/scratch_folder.h"
#include "tools/rc/resource_script.h"
#include "tools/rc/resource_writer.h"

namespace {

std::filesystem::path g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = brontar::fuzzing::ScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const brontar::rc::ResourceScript script = brontar::rc::ParseResourceText(text, "fuzz.rc", g_folder);
        brontar::rc::EncodeResources(script);
    } catch (const brontar::rc::ScriptError&) {
    }
    return 0;
}
