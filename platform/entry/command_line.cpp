#include "platform/entry/command_line.h"

#include <cstdlib>

namespace brontar::platform {

std::string TakeCommandLine(int argc, char** argv) {
    if (const char* given = std::getenv(kCommandLineVariable)) {
        std::string text = given;
        ::unsetenv(kCommandLineVariable);
        return text;
    }
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

}  // namespace brontar::platform
