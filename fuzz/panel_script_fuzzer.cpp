// brontar panel's scripts on any text: a script is either refused with a
// message or read into commands that each name a known verb.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/panel_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<brontar::host::ScriptCommand> commands;
    std::string error;
    if (!brontar::host::ParsePanelScript(text, &commands, &error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const auto& command : commands)
        if (command.verb.empty() || command.line <= 0) std::abort();
    return 0;
}
