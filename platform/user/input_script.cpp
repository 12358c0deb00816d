#include "platform/user/input_script.h"

#include <charconv>
#include <string>

#include "platform/kernel/event_log.h"

namespace brontar::platform {

namespace {

// Longer waits than this (about 11 days) are typing mistakes, not intentions.
constexpr uint64_t kLongestWait = 1'000'000'000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

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

bool ParseItem(std::string_view text, InputItem& item) {
    std::string_view rest = text;
    std::string_view verb = TakeWord(rest);
    if (verb == "wait") return ParseWait(rest, item);
    if (verb == "key") {
        if (rest.size() != 1) return false;
        item.kind = InputItem::Kind::Key;
        item.character = rest[0];
        return true;
    }
    if (verb == "click") {
        if (rest == "left") item.kind = InputItem::Kind::ClickLeft;
        else if (rest == "right") item.kind = InputItem::Kind::ClickRight;
        else return false;
        return true;
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
