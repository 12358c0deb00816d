// brontar panel: Display Properties with the pages of the registered
// handlers, in a desktop window where a display is reachable, optionally
// driven by a script.
#include <windows.h>
#include <commctrl.h>

#include <iostream>

#include "host/display_properties.h"
#include "host/panel_script.h"
#include "machine/file_io.h"
#include "machine/machine_folder.h"
#include "platform/automation.h"
#include "tools/command.h"

namespace brontar::tools {

namespace {

void PrintPanelUsage(std::ostream& out) {
    out << "usage: brontar panel [--script FILE]\n\n"
           "Opens Display Properties with the pages of the registered property-sheet\n"
           "handlers (the Brontar 3D page after brontar setup). Where a display is\n"
           "reachable the sheet shows in a window and waits for the user; headless,\n"
           "it plays BRONTAR_INPUT (click X Y, key NAME, ...) and then closes as its\n"
           "close button closes it (with nothing to play, at once: Cancel, no change).\n"
           "With a script, the script plays the user instead.\n\n"
           "Script commands, one a line ('#' starts a comment line):\n"
           "  select ID TEXT   pick the item with that text in combo box ID\n"
           "  slide ID POS     drag trackbar ID to POS\n"
           "  click ID         press button ID or toggle check box ID\n"
           "  answer WORD      answer the next message box: yes, no, ok or cancel\n"
           "  apply | ok | cancel   press the sheet's button\n"
           "  tab              leave the page and come back to it\n"
           "  dump             print every control of the page, its rectangle and the painted texts\n"
           "  shot             write a picture of the sheet (with BRONTAR_CAPTURE)\n"
           "A script that ends without ok or cancel closes the sheet as its close button does.\n";
}

}  // namespace

int RunPanelCommand(const Arguments& args) {
    std::string scriptPath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            PrintPanelUsage(std::cout);
            return 0;
        }
        if (args[i] == "--script" && i + 1 < args.size()) {
            scriptPath = args[++i];
        } else {
            std::cerr << "brontar panel: unexpected argument '" << args[i] << "'\n";
            PrintPanelUsage(std::cerr);
            return 2;
        }
    }
    std::vector<host::ScriptCommand> commands;
    if (!scriptPath.empty()) {
        std::string text;
        try {
            text = machine::ReadInputFile(scriptPath);
        } catch (const machine::MachineError& error) {
            std::cerr << "brontar panel: cannot read " << error.what() << '\n';
            return 2;
        }
        std::string error;
        if (!host::ParsePanelScript(text, &commands, &error)) {
            std::cerr << "brontar panel: " << scriptPath << ": " << error << '\n';
            return 2;
        }
    }
    try {
        machine::EnsureMachineFolder();
    } catch (const machine::MachineError& error) {
        std::cerr << "brontar panel: " << error.what() << '\n';
        return 1;
    }
    // A script plays the user; BRONTAR_INPUT is then left to the programs the page starts.
    const bool scripted = !scriptPath.empty();
    if (scripted) platform::IgnoreInputScript();
    host::PanelScriptPlayer player(std::move(commands), std::cout, std::cerr);
    platform::PropertySheetDriver driver;
    if (scripted) driver = [&](HWND sheet) { return player.Step(sheet); };
    const host::SheetOutcome outcome = host::ShowDisplayProperties(driver, std::cerr);
    if (!host::ReportSheetOutcome(outcome, "brontar panel", std::cout, std::cerr)) return 1;
    if (!scripted && outcome.sheetResult == 0 && platform::HeadlessWithNothingToPlay())
        std::cerr << "brontar panel: nothing to play (no --script, no BRONTAR_INPUT), so the sheet closed as "
                     "Cancel without any change\n";
    // The page carries on when a registry write fails, as it does on Windows;
    // the user still learns which settings were not saved.
    const std::vector<std::string> unsaved = platform::UnsavedRegistryChanges();
    if (!unsaved.empty()) {
        std::cerr << "brontar panel: these registry values were not saved:\n";
        for (const std::string& change : unsaved) std::cerr << "  " << change << '\n';
        return 1;
    }
    return player.failed() ? 1 : 0;
}

}  // namespace brontar::tools
