// The panel's script: one user action a line, played into the property sheet
// while it waits for input.
#pragma once

#include <windows.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace brontar::host {

// One command of a script, with its line number.
struct ScriptCommand {
    int line = 0;
    std::string verb;   // select, slide, click, answer, apply, ok, cancel, tab, dump
    int controlId = 0;  // select, slide, click
    std::string text;   // select: the item; answer: the word
    int position = 0;   // slide
};

// Parses a script; blank lines and lines starting with '#' are skipped.
// Returns false with a message naming the line for anything malformed.
bool ParsePanelScript(const std::string& text, std::vector<ScriptCommand>* commands, std::string* error);

// Plays the commands one by one as the sheet's driver. Output of dump goes
// to out, complaints to err; a command that cannot be played ends the script
// (the sheet then closes as its close button closes it) and marks it failed.
class PanelScriptPlayer {
public:
    PanelScriptPlayer(std::vector<ScriptCommand> commands, std::ostream& out, std::ostream& err);

    // The driver step: plays the next command; false when none is left.
    bool Step(HWND sheet);
    bool failed() const { return failed_; }

private:
    bool Play(HWND sheet, const ScriptCommand& command);
    void Dump(HWND sheet);

    std::vector<ScriptCommand> commands_;
    size_t next_ = 0;
    std::ostream& out_;
    std::ostream& err_;
    bool failed_ = false;
};

}  // namespace brontar::host
