// Fuzz target: the registry file parser. Whatever it reads must serialise
// to a text that reads back without problems into the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "machine/registry/registry_text.h"

namespace mr = brontar::machine::registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = mr::DecodeRegistryFileBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    mr::RegistryTree tree;
    mr::ApplyRegistryText(text, tree);
    const std::string written = mr::SerialiseRegistry(tree);
    mr::RegistryTree again;
    if (!mr::ApplyRegistryText(written, again).empty()) std::abort();
    if (mr::SerialiseRegistry(again) != written) std::abort();
    return 0;
}
