// The BRONTAR_DEBUG channels and the diagnostics said once per process.
#include "platform/kernel/debug_notes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/system_fixtures.h"
#include "tests/support/temp_machine.h"

using brontar::platform::DebugChannel;
using brontar::platform::DebugChannelOn;
using brontar::platform::DebugNote;
using brontar::platform::DebugNoteOnce;
using brontar::platform::WriteDiagnosticOnce;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;
using brontar::testing::TempMachine;

namespace {

struct SwitchCase {
    const char* setting;  // nullptr: BRONTAR_DEBUG unset
    bool d3d, gdi, user;
    bool warned;
};

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

// Items apply in order; what is not understood is ignored with one warning
// for that setting, and the rest still counts.
TEST(DebugChannels, ReadFromTheSwitch) {
    const std::vector<SwitchCase> cases = {
        {nullptr, false, false, false, false},
        {"", false, false, false, false},
        {"+d3d", true, false, false, false},
        {"+d3d,+gdi", true, true, false, false},
        {"+all", true, true, true, false},
        {"+all,-gdi", true, false, true, false},
        {"-all,+user", false, false, true, false},
        {" +D3D , ,+User,", true, false, true, false},
        {"d3d", false, false, false, true},
        {"+sound,+gdi", false, true, false, true},
        {"+", false, false, false, true},
        {"+d3d;+gdi", false, false, false, true},
    };
    TempMachine machine;
    const auto logFile = machine.scratch() / "events.log";
    ScopedEnvironment log("BRONTAR_LOG", logFile.string());
    for (const SwitchCase& test : cases) {
        const std::string setting = test.setting ? test.setting : "(unset)";
        SCOPED_TRACE(setting);
        const size_t warningsBefore = Count(ReadFileText(logFile), "BRONTAR_DEBUG: cannot understand");
        const std::optional<std::string> value =
            test.setting ? std::optional<std::string>(test.setting) : std::nullopt;
        ScopedEnvironment debug("BRONTAR_DEBUG", value);
        for (int pass = 0; pass < 3; ++pass) {
            EXPECT_EQ(DebugChannelOn(DebugChannel::D3d), test.d3d);
            EXPECT_EQ(DebugChannelOn(DebugChannel::Gdi), test.gdi);
            EXPECT_EQ(DebugChannelOn(DebugChannel::User), test.user);
        }
        const size_t warnings = Count(ReadFileText(logFile), "BRONTAR_DEBUG: cannot understand") - warningsBefore;
        EXPECT_EQ(warnings, test.warned ? 1u : 0u) << ReadFileText(logFile);
    }
}

// A note is written only while its channel is on; the once-only form says
// each key once, and a key met while the channel was off is said when it is on.
TEST(DebugChannels, NotesFollowTheirChannelAndSayOnce) {
    TempMachine machine;
    const auto logFile = machine.scratch() / "events.log";
    ScopedEnvironment log("BRONTAR_LOG", logFile.string());
    {
        ScopedEnvironment debug("BRONTAR_DEBUG", "+gdi");
        for (int frame = 0; frame < 3; ++frame) {
            DebugNoteOnce(DebugChannel::D3d, "notes test key", "d3d note off");
            DebugNote(DebugChannel::User, "user note off");
            DebugNote(DebugChannel::Gdi, "gdi note every time");
        }
    }
    EXPECT_EQ(ReadFileText(logFile), "gdi note every time\ngdi note every time\ngdi note every time\n");
    {
        ScopedEnvironment debug("BRONTAR_DEBUG", "+d3d");
        for (int frame = 0; frame < 3; ++frame) {
            DebugNoteOnce(DebugChannel::D3d, "notes test key", "d3d note once");
            DebugNoteOnce(DebugChannel::D3d, "notes test other key", "d3d other note once");
            DebugNote(DebugChannel::Gdi, "gdi note now off");
        }
    }
    const std::string text = ReadFileText(logFile);
    EXPECT_EQ(Count(text, "d3d note once\n"), 1u) << text;
    EXPECT_EQ(Count(text, "d3d other note once\n"), 1u) << text;
    EXPECT_EQ(Count(text, "off"), 0u) << text;
}

// Said whatever the switch, once per key; lines of several lines stay one.
TEST(WriteDiagnosticOnce, SaysEachKeyOnceWhateverTheSwitch) {
    TempMachine machine;
    const auto logFile = machine.scratch() / "events.log";
    ScopedEnvironment log("BRONTAR_LOG", logFile.string());
    ScopedEnvironment debug("BRONTAR_DEBUG", std::nullopt);
    for (int call = 0; call < 3; ++call) {
        WriteDiagnosticOnce("once test a", "first\nproblem");
        WriteDiagnosticOnce("once test b", "second problem");
    }
    EXPECT_EQ(ReadFileText(logFile), "first\\nproblem\nsecond problem\n");
}
