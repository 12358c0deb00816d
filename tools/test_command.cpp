// brontar test WxH [--gamma]: starts the installed test screen as the page's
// test buttons do and returns when it has ended.
#include <windows.h>

#include <charconv>
#include <iostream>
#include <string>

#include "machine/machine_folder.h"
#include "settings/test_screen_command.h"
#include "settings/test_screen_launch.h"
#include "tools/command.h"

namespace brontar::tools {

namespace {

void PrintTestUsage(std::ostream& out) {
    out << "usage: brontar test WxH [--gamma]\n\n"
           "Starts the installed test screen (BRNTRTST.EXE in the machine's Windows\n"
           "directory) with the command line /WxH, or /WxH /gamma for the gamma test,\n"
           "exactly as the settings page's test buttons do, and returns when it has\n"
           "ended. It shows the refresh rate stored for that mode. A failure to start\n"
           "is the page's message box (in BRONTAR_LOG) and exit status 1.\n\n"
           "Keys: Q quits, R stops and restarts the animation, P draws one frame.\n"
           "Headless, without BRONTAR_INPUT, the keys typed at the terminal reach it;\n"
           "Ctrl+C interrupts it.\n";
}

// "800x600" into its two numbers, each from 1 to 65535.
bool ParseResolution(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto number = [](std::string_view digits, int& value) {
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc() && end == digits.data() + digits.size() && value >= 1 && value <= 65535;
    };
    const std::string_view all = text;
    return number(all.substr(0, x), width) && number(all.substr(x + 1), height);
}

}  // namespace

int RunTestCommand(const Arguments& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintTestUsage(std::cout);
        return 0;
    }
    int width = 0;
    int height = 0;
    bool gamma = false;
    bool haveResolution = false;
    for (const std::string& arg : args) {
        if (arg == "--gamma") {
            gamma = true;
        } else if (!haveResolution && ParseResolution(arg, width, height)) {
            haveResolution = true;
        } else {
            std::cerr << "brontar test: unexpected argument '" << arg << "'\n";
            PrintTestUsage(std::cerr);
            return 2;
        }
    }
    if (!haveResolution) {
        std::cerr << "brontar test: the resolution WxH is missing\n";
        PrintTestUsage(std::cerr);
        return 2;
    }
    try {
        machine::EnsureMachineFolder();
    } catch (const machine::MachineError& error) {
        std::cerr << "brontar test: " << error.what() << '\n';
        return 1;
    }
    char path[TEST_SCREEN_PATH_SIZE];
    if (!GetTestScreenPath(path, sizeof path)) {
        std::cerr << "brontar test: the Windows directory is too long for the test screen's path\n";
        return 1;
    }
    char arguments[TEST_SCREEN_ARGUMENTS_SIZE];
    FormatTestScreenArguments(width, height, gamma, arguments, sizeof arguments);
    if (!RunTestScreen(path, arguments)) {
        std::cerr << "brontar test: cannot start " << path << " (error " << GetLastError() << ")\n";
        return 1;
    }
    return 0;
}

}  // namespace brontar::tools
