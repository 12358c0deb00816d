// The command-line text a Win32 program's WinMain receives.
#pragma once

#include <string>

namespace brontar::platform {

// The environment variable through which CreateProcessA hands the exact
// command-line text (after the program name) to the program it starts.
inline constexpr const char* kCommandLineVariable = "BRONTAR_COMMAND_LINE";

// The text after the program name: the starter's exact text when
// CreateProcessA gave one (the variable is then removed, so the program's own
// children do not inherit it), else the arguments joined by single blanks.
std::string TakeCommandLine(int argc, char** argv);

}  // namespace brontar::platform
