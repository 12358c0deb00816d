// .reg files as reg import reads them, in both forms: the first byte picks
// the form (even: the rest as it is, REGEDIT4, REGEDIT or any text; odd: the
// rest widened to UTF-16LE with a byte-order mark, as version 5 files are
// written). Whatever an import applies must be storable: the registry file
// of the result reads back without a problem.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "machine/registry/registry_text.h"

namespace mr = brontar::machine::registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string bytes;
    if (data[0] & 1) {
        bytes = "\xFF\xFE";
        for (char c : rest) bytes += {c, '\0'};
    } else {
        bytes = rest;
    }
    mr::RegistryTree tree;
    mr::ImportRegistryText(mr::DecodeRegistryFileBytes(bytes), tree);
    mr::RegistryTree again;
    if (!mr::ApplyRegistryText(mr::SerialiseRegistry(tree), again).empty()) std::abort();
    return 0;
}
