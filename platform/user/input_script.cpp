#include "platform/user/input_script.h"

#include <charconv>
#include <string>

#include "machine/plain_text.h"
#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

using machine::Trim;

// Longer waits than this (about 11 days) are typing mistakes, not intentions.
constexpr uint64_t kLongestWait = 1'000'000'000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits off the first word of the text (blanks separate words).
std::string_view TakeWord(std::string_view& text) {
    text = Trim(text);
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string_view word = text.substr(0, end);
    text = Trim(text.substr(end));
    return word;
}

bool ParseCount(std::string_view word, uint64_t& count) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
    return error == std::errc() && end == word.data() + word.size() && count <= kLongestWait;
}

bool ParseWait(std::string_view rest, InputItem& item) {
    std::string_view number = TakeWord(rest);
    std::string_view unit = TakeWord(rest);
    if (!rest.empty() || !ParseCount(number, item.count)) return false;
    if (unit == "frames" || unit == "frame") {
        item.kind = InputItem::Kind::WaitFrames;
        return true;
    }
    if (unit == "ms") {
        item.kind = InputItem::Kind::WaitMs;
        return true;
    }
    return false;
}

// Pointer coordinates: two whole numbers within what a window can be.
bool ParsePoint(std::string_view rest, InputItem& item) {
    std::string_view xWord = TakeWord(rest);
    std::string_view yWord = TakeWord(rest);
    if (!rest.empty()) return false;
    auto parse = [](std::string_view word, int& value) {
        auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        return !word.empty() && error == std::errc() && end == word.data() + word.size() && value > -32768 &&
               value < 32768;
    };
    return parse(xWord, item.x) && parse(yWord, item.y);
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// SHIFT+TAB, ALT+X, ENTER ...: modifiers joined by '+', then a key name or
// one letter or digit.
bool ParseNamedKey(std::string_view text, InputItem& item) {
    static constexpr struct {
        const char* name;
        int virtualKey;
    } kNames[] = {{"TAB", 0x09},  {"ENTER", 0x0D}, {"ESC", 0x1B},  {"SPACE", 0x20}, {"LEFT", 0x25},
                  {"RIGHT", 0x27}, {"UP", 0x26},   {"DOWN", 0x28}, {"HOME", 0x24},  {"END", 0x23},
                  {"PGUP", 0x21}, {"PGDN", 0x22},  {"BACKSPACE", 0x08}, {"DELETE", 0x2E}};
    std::string name = Upper(text);
    for (;;) {
        size_t plus = name.find('+');
        if (plus == std::string::npos || plus + 1 == name.size()) break;
        std::string modifier = name.substr(0, plus);
        if (modifier == "SHIFT") item.shift = true;
        else if (modifier == "CTRL") item.control = true;
        else if (modifier == "ALT") item.alt = true;
        else return false;
        name = name.substr(plus + 1);
    }
    for (const auto& known : kNames)
        if (name == known.name) item.virtualKey = known.virtualKey;
    if (item.virtualKey == 0 && name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        item.virtualKey = name[0];
    item.kind = InputItem::Kind::NamedKey;
    return item.virtualKey != 0;
}

bool ParseItem(std::string_view text, InputItem& item) {
    std::string_view rest = text;
    std::string_view verb = TakeWord(rest);
    if (verb == "wait") return ParseWait(rest, item);
    if (verb == "key") {
        if (rest.size() != 1) return !rest.empty() && rest.find(' ') == std::string_view::npos && ParseNamedKey(rest, item);
        item.kind = InputItem::Kind::Key;
        item.character = rest[0];
        return true;
    }
    if (verb == "click") {
        if (rest == "left") item.kind = InputItem::Kind::ClickLeft;
        else if (rest == "right") item.kind = InputItem::Kind::ClickRight;
        else if (ParsePoint(rest, item)) item.kind = InputItem::Kind::Click;
        else return false;
        return true;
    }
    if (verb == "press" || verb == "release" || verb == "move") {
        item.kind = verb == "press" ? InputItem::Kind::Press : verb == "release" ? InputItem::Kind::Release : InputItem::Kind::Move;
        return ParsePoint(rest, item);
    }
    if (verb == "close" && rest.empty()) {
        item.kind = InputItem::Kind::Close;
        return true;
    }
    return false;
}

}  // namespace

std::vector<InputItem> ParseInputScript(std::string_view script) {
    std::vector<InputItem> items;
    while (!script.empty()) {
        size_t end = script.find(';');
        std::string_view text = Trim(script.substr(0, end));
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        if (text.empty()) continue;
        InputItem item;
        if (ParseItem(text, item))
            items.push_back(item);
        else
            WriteDiagnostic("BRONTAR_INPUT: cannot understand \"" + std::string(text) + "\"; item skipped");
    }
    return items;
}

}  // namespace brontar::platform
