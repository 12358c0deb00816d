// PANELHST.EXE: the Display control panel's part for the Windows files, a
// test tool (not a product file). It finds the property-sheet handlers the
// registry lists for Display as the control panel does, loads them, shows
// their pages with the real PropertySheetA and plays the same script and
// prints the same dump as `brontar panel --script`.
//
// Under Wine 8.0 the KERNEL32 flat thunk reaches 16-bit code but hands back
// neither AX nor DX, so every answer of the 16-bit support library reads 0.
// The host repairs the page library's QT_Thunk import in its own process
// only (nothing on disk, nothing in another process changes) and checks that
// 16-bit answers come back before it shows the page.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "host/display_properties.h"
#include "host/panel_script.h"
#include "qt_thunk_repair.h"
#include "windows/panel_host/user_stand_in.h"

namespace {

constexpr std::streamsize kMaxScriptBytes = 1 << 20;

void PrintUsage(std::ostream& out) {
    out << "usage: PANELHST.EXE [--script FILE]\n\n"
           "Opens Display Properties with the pages of the property-sheet handlers\n"
           "registered for the Display control panel, with the system's own\n"
           "PropertySheetA. Without a script it waits for the user; with one, the\n"
           "script plays the user: the commands of `brontar panel --script`\n"
           "(select, slide, click, answer, apply, ok, cancel, tab, dump, shot) with\n"
           "the same dump. Message boxes take the queued answer, else their default\n"
           "button. shot writes the sheet as window-NNNNNN.bmp into the folder\n"
           "BRONTAR_CAPTURE names.\n";
}

bool ReadScript(const char* path, std::string* text) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<char> bytes(static_cast<size_t>(kMaxScriptBytes) + 1);
    in.read(bytes.data(), kMaxScriptBytes + 1);
    if (in.gcount() > kMaxScriptBytes) return false;
    text->assign(bytes.data(), static_cast<size_t>(in.gcount()));
    return true;
}

// Loads each handler library before the sheet asks it for its class (the
// sheet's own LoadLibraryA then finds it loaded): the 16-bit calls must
// work from the first one, and the dump sees the texts the page draws.
std::vector<HMODULE> PrepareHandlerLibraries() {
    std::vector<HMODULE> libraries;
    for (const brontar::host::SheetHandler& handler : brontar::host::FindDisplayHandlers()) {
        HMODULE library = LoadLibraryA(handler.serverPath.c_str());
        if (library == nullptr) continue;  // the sheet reports it
        libraries.push_back(library);
        if (!RepairQtThunkImport(library) || !QtThunkAnswersComeBack())
            std::cerr << "PANELHST: the QT_Thunk repair is not in place: 16-bit answers of " << handler.serverPath
                      << " read 0 (what the page finds about the board and the monitor is not its own)\n";
        if (!brontar::windows::WatchDrawnTexts(library))
            std::cerr << "PANELHST: " << handler.serverPath << " draws no text through DrawTextExA; dump shows no painted texts\n";
    }
    return libraries;
}

}  // namespace

int main(int argc, char** argv) {
    // The dump's lines end as on every other system, to compare them byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    std::string scriptPath;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            PrintUsage(std::cout);
            return 0;
        }
        if (argument == "--script" && i + 1 < argc) {
            scriptPath = argv[++i];
        } else {
            std::cerr << "PANELHST: unexpected argument '" << argument << "'\n";
            PrintUsage(std::cerr);
            return 2;
        }
    }
    std::vector<brontar::host::ScriptCommand> commands;
    if (!scriptPath.empty()) {
        std::string text;
        if (!ReadScript(scriptPath.c_str(), &text)) {
            std::cerr << "PANELHST: cannot read " << scriptPath << " (missing, a folder, or over 1 MiB)\n";
            return 2;
        }
        std::string error;
        if (!brontar::host::ParsePanelScript(text, &commands, &error)) {
            std::cerr << "PANELHST: " << scriptPath << ": " << error << '\n';
            return 2;
        }
    }
    InitCommonControls();
    brontar::windows::StandInForUser();
    const std::vector<HMODULE> libraries = PrepareHandlerLibraries();

    brontar::host::PanelScriptPlayer player(std::move(commands), std::cout, std::cerr);
    brontar::platform::PropertySheetDriver driver;
    if (!scriptPath.empty()) driver = [&](HWND sheet) { return player.Step(sheet); };
    const brontar::host::SheetOutcome outcome = brontar::host::ShowDisplayProperties(driver, std::cerr);
    for (HMODULE library : libraries) FreeLibrary(library);
    if (!brontar::host::ReportSheetOutcome(outcome, "PANELHST", std::cout, std::cerr)) return 1;
    std::cout.flush();
    return player.failed() ? 1 : 0;
}
