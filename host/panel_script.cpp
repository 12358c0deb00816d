#include "host/panel_script.h"

#include <commctrl.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <sstream>

#include "machine/plain_text.h"
#include "platform/automation.h"

namespace brontar::host {
namespace {

// A whole decimal number, or false.
bool ParseNumber(const std::string& text, int* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < -1000000 || parsed > 1000000) return false;
    *value = static_cast<int>(parsed);
    return true;
}

// A text shown in quotes, with quotes and backslashes escaped.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (c == '\n') {
            quoted += "\\n";
            continue;
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string WindowText(HWND hwnd) {
    char text[512];
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Handles what is waiting (the command's posted messages, repaints) without
// letting the next command in.
void UpdateSheetPicture(HWND sheet) {
    while (platform::HandleWaitingSheetMessage(sheet) == platform::SheetMessage::kHandled) continue;
}

}  // namespace

bool ParsePanelScript(const std::string& text, std::vector<ScriptCommand>* commands, std::string* error) {
    std::istringstream lines(text);
    std::string raw;
    int number = 0;
    while (std::getline(lines, raw)) {
        ++number;
        const std::string line(machine::Trim(raw));
        if (line.empty() || line[0] == '#') continue;
        ScriptCommand command;
        command.line = number;
        std::istringstream words(line);
        words >> command.verb;
        std::string rest;
        std::getline(words, rest);
        rest = machine::Trim(rest);
        auto fail = [&](const std::string& why) {
            *error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (command.verb == "select" || command.verb == "slide" || command.verb == "click") {
            std::istringstream arguments(rest);
            std::string id;
            arguments >> id;
            if (!ParseNumber(id, &command.controlId)) return fail(command.verb + " needs a control id");
            std::string tail;
            std::getline(arguments, tail);
            tail = machine::Trim(tail);
            if (command.verb == "select") {
                if (tail.empty()) return fail("select needs the text of an item");
                command.text = tail;
            } else if (command.verb == "slide") {
                if (!ParseNumber(tail, &command.position)) return fail("slide needs a position");
            } else if (!tail.empty()) {
                return fail("click takes only a control id");
            }
        } else if (command.verb == "answer") {
            if (rest != "yes" && rest != "no" && rest != "ok" && rest != "cancel")
                return fail("answer takes yes, no, ok or cancel");
            command.text = rest;
        } else if (command.verb == "apply" || command.verb == "ok" || command.verb == "cancel" ||
                   command.verb == "tab" || command.verb == "dump" || command.verb == "shot") {
            if (!rest.empty()) return fail(command.verb + " takes no arguments");
        } else {
            return fail("unknown command '" + command.verb + "'");
        }
        commands->push_back(command);
    }
    return true;
}

PanelScriptPlayer::PanelScriptPlayer(std::vector<ScriptCommand> commands, std::ostream& out, std::ostream& err)
    : commands_(std::move(commands)), out_(out), err_(err) {}

bool PanelScriptPlayer::Step(HWND sheet) {
    if (failed_ || next_ >= commands_.size()) return false;
    const ScriptCommand& command = commands_[next_++];
    if (!Play(sheet, command)) {
        failed_ = true;
        return false;
    }
    // The picture after the command, once what it changed has been painted.
    UpdateSheetPicture(sheet);
    platform::SaveWindowScreenshot(sheet);
    return true;
}

bool PanelScriptPlayer::Play(HWND sheet, const ScriptCommand& command) {
    HWND page = platform::ActivePropertySheetPage(sheet);
    auto complain = [&](const std::string& why) {
        err_ << "panel: line " << command.line << ": " << why << '\n';
        return false;
    };
    if (command.verb == "select" || command.verb == "slide" || command.verb == "click") {
        HWND control = page != nullptr ? GetDlgItem(page, command.controlId) : nullptr;
        if (control == nullptr) return complain("the page has no control " + std::to_string(command.controlId));
        bool played = command.verb == "select" ? platform::UserSelectComboItem(control, command.text)
                      : command.verb == "slide" ? platform::UserSlideTrackbar(control, command.position)
                                                : platform::UserClickButton(control);
        if (!played)
            return complain("control " + std::to_string(command.controlId) +
                            (IsWindowEnabled(control) ? " does not take that" : " is disabled"));
        return true;
    }
    if (command.verb == "answer") {
        static const std::map<std::string, int> answers = {{"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
        platform::QueueMessageBoxAnswer(answers.at(command.text));
        return true;
    }
    if (command.verb == "apply" || command.verb == "ok" || command.verb == "cancel") {
        const int id = command.verb == "apply" ? platform::kApplyButtonId : command.verb == "ok" ? IDOK : IDCANCEL;
        HWND button = GetDlgItem(sheet, id);
        if (button == nullptr || !platform::UserClickButton(button)) return complain("the sheet's " + command.verb + " button is not available");
        return true;
    }
    if (command.verb == "tab") {
        platform::LeaveAndReturnToPage(sheet);
        return true;
    }
    if (command.verb == "dump") Dump(sheet);
    return true;
}

// Every control of the active page, and the texts the page paints into its
// painted areas (repainted now, so they are current).
void PanelScriptPlayer::Dump(HWND sheet) {
    HWND page = platform::ActivePropertySheetPage(sheet);
    if (page == nullptr) return;
    struct Drawn {
        RECT rect;
        std::string text;
        UINT format;
    };
    std::vector<Drawn> drawn;
    platform::SetDrawnTextObserver([&](const RECT& rect, std::string_view text, UINT format) {
        drawn.push_back(Drawn{rect, std::string(text), format});
    });
    InvalidateRect(page, nullptr, TRUE);
    UpdateWindow(page);
    platform::SetDrawnTextObserver(nullptr);

    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        platform::ControlDescription description;
        if (!platform::DescribeControl(child, &description)) description.kind = "window";
        out_ << GetDlgCtrlID(child) << ' ' << description.kind << (IsWindowEnabled(child) ? " enabled" : " disabled")
             << " text=" << Quoted(WindowText(child));
        if (description.kind == "combo box") {
            out_ << " items=[";
            for (size_t i = 0; i < description.items.size(); ++i)
                out_ << (i ? "," : "") << Quoted(description.items[i]);
            out_ << "] selection=" << description.selection;
        } else if (description.kind == "trackbar") {
            out_ << " position=" << description.position << " range=" << description.rangeMin << ".."
                 << description.rangeMax;
        } else if (description.kind == "check box") {
            out_ << " check=" << description.checkState;
        }
        RECT rect;
        GetWindowRect(child, &rect);
        RECT inSheet = rect;
        MapWindowPoints(nullptr, sheet, reinterpret_cast<LPPOINT>(&inSheet), 2);
        out_ << " rect=" << inSheet.left << ',' << inSheet.top << ',' << inSheet.right - inSheet.left << ','
             << inSheet.bottom - inSheet.top;
        MapWindowPoints(nullptr, page, reinterpret_cast<LPPOINT>(&rect), 2);
        std::string painted;
        for (const Drawn& text : drawn) {
            if (text.rect.left != rect.left || text.rect.top != rect.top) continue;
            painted += (painted.empty() ? "" : ",") + Quoted(text.text) + ((text.format & DT_RIGHT) ? ":right" : ":left");
        }
        if (!painted.empty()) out_ << " painted=[" << painted << "]";
        out_ << '\n';
    }
    out_.flush();
}

}  // namespace brontar::host
