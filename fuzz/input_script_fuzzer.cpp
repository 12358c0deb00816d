// BRONTAR_INPUT on any text: malformed items are skipped with a report, and
// no item is made of nothing.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/user/input_script.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("BRONTAR_LOG", "/dev/null", 1);  // the reports of skipped items
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto items = brontar::platform::ParseInputScript(std::string_view(reinterpret_cast<const char*>(data), size));
    if (items.size() > size) std::abort();  // at most one item per byte
    return 0;
}
