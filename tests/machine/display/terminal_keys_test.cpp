// Terminal bytes into the keys of the board's window: what a user types at
// a headless program's terminal, escape sequences cut short, and Ctrl+C.
#include "machine/display/terminal_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brontar::machine {
namespace {

// Events written compactly: "c:x" a typed character, "+N"/"-N" a key down/up.
std::string Describe(const std::vector<DisplayInputEvent>& events) {
    std::string text;
    for (const DisplayInputEvent& event : events) {
        if (!text.empty()) text += ' ';
        switch (event.kind) {
            case DisplayInputEvent::Kind::Character: text += std::string("c:") + event.character; break;
            case DisplayInputEvent::Kind::KeyDown: text += "+" + std::to_string(event.key); break;
            case DisplayInputEvent::Kind::KeyUp: text += "-" + std::to_string(event.key); break;
            default: text += "?"; break;
        }
        EXPECT_EQ(event.window, 0u);
    }
    return text;
}

TEST(TerminalKeysTest, BytesBecomeTheKeysTypedAtAWindow) {
    struct Case {
        std::string bytes;
        std::string keys;
    };
    const Case cases[] = {
        {"q", "c:q"},
        {"QrP", "c:Q c:r c:P"},
        {"\r", "+13 -13"},
        {"\n", "+13 -13"},
        {"\t", "+9 -9"},
        {"\x7f", "+8 -8"},
        {"\x1b", "+27 -27"},                    // Escape alone
        {"\x1bq", "+27 -27 c:q"},               // Escape, then a key
        {"\x1b[A\x1b[B\x1b[C\x1b[D", "+38 -38 +40 -40 +39 -39 +37 -37"},
        {"\x1bOH\x1bOF\x1b[H\x1b[F", "+36 -36 +35 -35 +36 -36 +35 -35"},
        {"\x1b[5~\x1b[6~\x1b[3~\x1b[1~\x1b[4~", "+33 -33 +34 -34 +46 -46 +36 -36 +35 -35"},
        {"\x1b[1;5C", "+39 -39"},               // with a modifier parameter
        {"\x1b[15~x", "c:x"},                   // F5: no key here, skipped whole
        {"\x1b[", ""},                          // cut off at the end
        {"\x1b[12", ""},
        {"\x01", "+17 +65 -65 -17"},            // Ctrl+A
        {"\x1a", "+17 +90 -90 -17"},            // Ctrl+Z
        {"\xc3\xa9", ""},                       // not ASCII
        {std::string("a\0b", 3), "c:a c:b"},    // NUL is no key
    };
    for (const Case& test : cases) {
        const TerminalKeys keys = TranslateTerminalBytes(test.bytes);
        EXPECT_EQ(Describe(keys.events), test.keys) << "bytes of size " << test.bytes.size() << ": " << test.bytes;
        EXPECT_FALSE(keys.interrupted);
    }
}

TEST(TerminalKeysTest, CtrlCInterruptsAndDropsWhatFollows) {
    for (const std::string bytes : {"\x03", "q\x03", "\x03q", "\x1b[A\x03\x1b[B"}) {
        const TerminalKeys keys = TranslateTerminalBytes(bytes);
        EXPECT_TRUE(keys.interrupted) << bytes;
        EXPECT_EQ(Describe(keys.events).find("c:q") != std::string::npos, bytes[0] == 'q') << bytes;
        EXPECT_EQ(Describe(keys.events).find("+40"), std::string::npos) << bytes;
    }
}

}  // namespace
}  // namespace brontar::machine
