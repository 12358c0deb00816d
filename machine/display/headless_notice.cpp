#include "machine/display/headless_notice.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace brontar::machine {

std::string RunningProgramName() {
    std::string_view name = program_invocation_name != nullptr ? program_invocation_name : "";
    // A program started by CreateProcessA has its DOS path as its name.
    if (size_t separator = name.find_last_of("/\\"); separator != std::string_view::npos)
        name.remove_prefix(separator + 1);
    return name.empty() ? std::string("brontar") : std::string(name);
}

std::string HeadlessNotice(const std::string& program, const std::string& reason) {
    return program + ": no display is reachable (" + reason +
           "), so it runs headless: its windows show nowhere.\n"
           "  To see them, set BRONTAR_CAPTURE=FOLDER (the board's frames are saved there as PNG files),\n"
           "  or run it where a display is reachable.\n"
           "  To drive it, set BRONTAR_INPUT (for example 'wait 3 frames; key q');\n"
           "  brontar panel --script FILE plays the settings page from a script.\n";
}

std::string WaitingForKeysNotice(const std::string& program, bool terminalKeys, long processId) {
    if (terminalKeys) return program + ": the keys typed here reach its window (Ctrl+C interrupts it).\n";
    return program +
           ": no keys can reach it here (BRONTAR_INPUT is not set and standard input is not a terminal):\n"
           "  it waits for them as it would in its window, until a signal ends it (kill -INT " +
           std::to_string(processId) + ").\n";
}

void SayToUser(const std::string& notice) {
    std::fputs(notice.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace brontar::machine
