#include "machine/module16.h"

#include "machine/plain_text.h"
#include "machine/qorhlp16.h"

namespace brontar::machine {

const Module16* FindModule16(std::string_view fileName) {
    const Module16* modules[] = {&Qorhlp16Module()};
    for (const Module16* module : modules)
        if (EqualsIgnoreCase(module->fileName, fileName)) return module;
    return nullptr;
}

}  // namespace brontar::machine
