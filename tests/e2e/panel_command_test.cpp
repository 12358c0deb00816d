// brontar panel end to end: setup, then the sheet driven by scripts in a
// separate process, on a throwaway machine.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "machine/plain_text.h"
#include "machine/qorhlp16.h"
#include "tests/support/brontar_command.h"
#include "tests/support/panel_dump.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {
namespace {

namespace fs = std::filesystem;

class PanelCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::setenv("BRONTAR_INPUT", "wait 2 frames; key q", 1);
        ::setenv("LANG", "en_US.UTF-8", 1);
        ::setenv("BRONTAR_LOG", LogPath().c_str(), 1);
        ASSERT_EQ(Run("setup").status, 0);
    }
    void TearDown() override {
        ::unsetenv("BRONTAR_LOG");
        ::unsetenv("BRONTAR_CAPTURE");
    }

    fs::path LogPath() const { return machine_.scratch() / "events.log"; }

    CommandResult Run(const std::string& arguments) { return RunBrontar(arguments, machine_.scratch()); }

    CommandResult RunScript(const std::string& script) {
        const fs::path path = machine_.scratch() / "panel.script";
        WriteFileText(path, script);
        return Run("panel --script " + path.string());
    }

    std::string Autoexec() const {
        for (const auto& entry : fs::directory_iterator(machine_.driveC()))
            if (machine::EqualsIgnoreCase(entry.path().filename().string(), "autoexec.bat")) return ReadFileText(entry.path());
        return {};
    }

    TempMachine machine_;
};

TEST_F(PanelCommandTest, RateTestAndOk) {
    const fs::path capture = machine_.scratch() / "capture";
    fs::create_directories(capture);
    ::setenv("BRONTAR_CAPTURE", capture.c_str(), 1);
    // The page reports no change to the sheet, so its Apply button stays disabled: OK applies.
    const CommandResult refused = RunScript("apply\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("apply button is not available"), std::string::npos) << refused.err;
    const CommandResult run = RunScript("select 1036 800 x 600\nselect 1012 75 Hz\nclick 1030\nok\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFileText(machine_.folder() / "registry.reg").find("\"REFRESH_800x600\"=dword:0000004b"),
              std::string::npos);
    // No 640x480 rate is stored: the boot file gets 60; the clock switch is off.
    const std::string autoexec = Autoexec();
    const std::string tail = "SET HGI_SCREENREFRESH=60\r\nSET HGI_RGAMMA=1.70\r\nSET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\n";
    ASSERT_GE(autoexec.size(), tail.size());
    EXPECT_EQ(autoexec.substr(autoexec.size() - tail.size()), tail);
    const std::string log = ReadFileText(LogPath());
    if (!fs::exists(fs::path(BRONTAR_BIN_DIR) / "brntrtst")) {
        // Without a built test screen the launch reports the missing program.
        EXPECT_NE(log.find("MessageBox [Error:] Last Error = 0x00000002"), std::string::npos) << log;
        GTEST_SKIP() << "the test screen is not built: its run was not checked";
    }
    EXPECT_EQ(log.find("MessageBox [Error:]"), std::string::npos) << log;
    // The test screen ran: the board presented frames.
    EXPECT_TRUE(fs::exists(capture / "frame-000001.png"));
}

TEST_F(PanelCommandTest, DumpShowsRowsMonitorListsAndSliders) {
    ASSERT_EQ(RunScript("select 1036 640 x 400\nselect 1012 75 Hz\nslide 1062 20\nok\n").status, 0);
    CommandResult run = RunScript("dump\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // The rectangles are checked on their own; here the rest of each line counts.
    run.out = WithoutRects(run.out);
    for (const char* line : {
             "1040 static enabled text=\"\" painted=[\"640 x 400\":left,\"75 Hz\":right]\n",
             "1038 static enabled text=\"\" painted=[\"512 x 384\":left,\"Not set\":right]\n",
             "1028 static enabled text=\"\" painted=[\"Max. vertical:\":left,\"100 Hz \":right]\n",
             "1036 combo box enabled text=\"640 x 400\" items=[\"512 x 384\",\"640 x 400\",\"640 x 480\",\"800 x 600\"] "
             "selection=1\n",
             "1012 combo box enabled text=\"75 Hz\" items=[\"70 Hz\",\"75 Hz\",\"85 Hz\"] selection=1\n",
             "1062 trackbar enabled text=\"\" position=20 range=0..35\n",
             "1061 trackbar enabled text=\"\" position=29 range=0..35\n",
             "1003 static enabled text=\"1.25\"\n",
         })
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "in\n" << run.out;
}

// The centre of a control's rectangle in the sheet, from a dump line.
TEST_F(PanelCommandTest, KeysAndClicksAtDumpedRectanglesEndAsTheScriptDoes) {
    // The road through the script: 800 x 600 at 75 Hz, tested, sliders linked,
    // OK; after a look at the page, as the other road takes one for its coordinates.
    ASSERT_EQ(RunScript("dump\n").status, 0);
    ASSERT_EQ(RunScript("select 1036 800 x 600\nselect 1012 75 Hz\nclick 1030\nclick 1064\nok\n").status, 0);
    const std::string scriptRegistry = SortedLines(ReadFileText(machine_.folder() / "registry.reg"));
    const std::string scriptAutoexec = Autoexec();
    ASSERT_NE(scriptRegistry.find("\"REFRESH_800x600\"=dword:0000004b"), std::string::npos);

    // The same road with the keyboard and the pointer on a fresh machine:
    // the sheet opens on the resolutions, Down to 800 x 600, Tab to the
    // rates, Down to 75 Hz, click Test (the test screen plays its own input)
    // and Link, Enter.
    TempMachine fresh;
    ASSERT_EQ(Run("setup").status, 0);
    const CommandResult dump = RunScript("dump\n");
    const std::optional<DumpedRect> test = RectFromDump(dump.out, 1030);
    const std::optional<DumpedRect> link = RectFromDump(dump.out, 1064);
    ASSERT_TRUE(test && link) << dump.out;
    const std::string road = "key DOWN; key DOWN; key DOWN; key TAB; key DOWN; click " +
                             std::to_string(test->centreX()) + " " + std::to_string(test->centreY()) + "; click " +
                             std::to_string(link->centreX()) + " " + std::to_string(link->centreY()) + "; key ENTER";
    ::setenv("BRONTAR_CHILD_INPUT", "wait 2 frames; key q", 1);
    ::setenv("BRONTAR_INPUT", road.c_str(), 1);
    const CommandResult played = Run("panel");
    ::unsetenv("BRONTAR_CHILD_INPUT");
    ::setenv("BRONTAR_INPUT", "wait 2 frames; key q", 1);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_EQ(SortedLines(ReadFileText(fresh.folder() / "registry.reg")), scriptRegistry);
    std::string autoexec;
    for (const auto& entry : fs::directory_iterator(fresh.driveC()))
        if (machine::EqualsIgnoreCase(entry.path().filename().string(), "autoexec.bat")) autoexec = ReadFileText(entry.path());
    EXPECT_EQ(autoexec, scriptAutoexec);
}

// The keys alone from the moment the sheet opens, as on Windows: the focus
// is on the resolution list, so Up three times goes from the last resolution
// (800 x 600) to 512 x 384, and Enter is OK, which stores it.
TEST_F(PanelCommandTest, UpThreeTimesAndEnterFromTheOpeningPick512x384) {
    ASSERT_EQ(RunScript("select 1036 800 x 600\nok\n").status, 0);
    const fs::path registry = machine_.folder() / "registry.reg";
    ASSERT_NE(ReadFileText(registry).find("\"KSX_LASTREZ\"=dword:02580320"), std::string::npos);
    ::setenv("BRONTAR_INPUT", "key UP; key UP; key UP; key ENTER", 1);
    const CommandResult played = Run("panel");
    ::setenv("BRONTAR_INPUT", "wait 2 frames; key q", 1);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_NE(ReadFileText(registry).find("\"KSX_LASTREZ\"=dword:01800200"), std::string::npos);  // 384 << 16 | 512
    const CommandResult dump = RunScript("dump\n");
    EXPECT_NE(dump.out.find("1036 combo box enabled text=\"512 x 384\""), std::string::npos) << dump.out;
}

TEST_F(PanelCommandTest, MissingResourceModuleShowsNoPage) {
    fs::remove(machine_.driveC() / "WINDOWS" / "SYSTEM" / "_brntrst.loc");
    const CommandResult run = Run("panel");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(ReadFileText(LogPath()).find("MessageBox [Brontar 3D Error] _brntrst.loc file missing\n"),
              std::string::npos);
}

TEST_F(PanelCommandTest, AbsentBoardOffersNoPage) {
    machine::WriteBoardRecord(machine_.folder(), false);
    const CommandResult run = Run("panel");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("page is unavailable"), std::string::npos) << run.err;
}

TEST_F(PanelCommandTest, ScriptFaultsAreReportedWithTheirLine) {
    CommandResult run = RunScript("select 1036 800 x 600\nfrobnicate\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("line 2: unknown command 'frobnicate'"), std::string::npos) << run.err;
    run = RunScript("slide 1062\n");
    EXPECT_EQ(run.status, 2);
    run = RunScript("select 1036 1024 x 768\nok\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("line 1: control 1036 does not take that"), std::string::npos) << run.err;
    // The script ended at the fault: the sheet closed as with cancel, so OK never applied.
    EXPECT_EQ(Autoexec().find("HGI_SCREENREFRESH"), std::string::npos);
}

TEST_F(PanelCommandTest, AnsweredQuestionsAndTheRestartRequest) {
    const CommandResult run = RunScript(
        "select 1036 640 x 480\nselect 1012 85 Hz\nanswer yes\nclick 1025\nclick 1069\nslide 1056 1\n"
        "answer no\nok\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("the system needs a restart"), std::string::npos);
    const std::string log = ReadFileText(LogPath());
    EXPECT_NE(log.find("MessageBox [WARNING :] Forget the refresh rates stored for every resolution?"), std::string::npos);
    EXPECT_NE(log.find("MessageBox [System Settings Change]"), std::string::npos);
    EXPECT_EQ(ReadFileText(machine_.folder() / "registry.reg").find("REFRESH_640x480"), std::string::npos);
    EXPECT_NE(Autoexec().find("SET HGI_GRXCLK=57\r\n"), std::string::npos);
}

// A damaged registry.reg: the page applies what it can (the boot file), but
// the panel names every value it could not save and fails (OK applies).
TEST_F(PanelCommandTest, UnsavedRegistryValuesAreNamedAndFailTheRun) {
    const fs::path registry = machine_.folder() / "registry.reg";
    std::string text = ReadFileText(registry);
    text.insert(text.find("\r\n[") + 2, "\"broken\"=dword:\r\n");  // a bad line in the middle
    WriteFileText(registry, text);
    const CommandResult run = RunScript("select 1036 800 x 600\nselect 1012 75 Hz\nok\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not saved:\n  HKEY_LOCAL_MACHINE\\Software\\Corvane Interactive\\Halcyon "
                           "Graphics\\REFRESH_800x600\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileText(registry), text);
    EXPECT_NE(Autoexec().find("SET HGI_SCREENREFRESH=60\r\n"), std::string::npos);
}

// Odd script files: a folder is an error like an unreadable file, and a FIFO
// or a device is refused without waiting on it or reading it.
TEST_F(PanelCommandTest, ScriptThatIsNoRegularFileExitsTwo) {
    const fs::path fifo = machine_.scratch() / "script.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path zero = machine_.scratch() / "zero";
    fs::create_symlink("/dev/zero", zero);
    for (const std::string& script : {machine_.scratch().string(), fifo.string(), zero.string()}) {
        const CommandResult run = Run("panel --script " + script);
        EXPECT_EQ(run.status, 2) << script;
        EXPECT_NE(run.err.find("cannot read " + script + ": "), std::string::npos) << run.err;
    }
}

// Without a display, as on a server or over SSH: the panel says that it runs
// headless and, with nothing to play, that the sheet closed as Cancel; asked
// for headless it says neither. The window library's probe is never heard.
TEST_F(PanelCommandTest, WithoutADisplayItSaysWhatHappened) {
    constexpr const char* kNothingToPlay =
        "brontar panel: nothing to play (no --script, no BRONTAR_INPUT), so the sheet closed as Cancel without any "
        "change\n";
    const fs::path cancel = machine_.scratch() / "cancel.script";
    WriteFileText(cancel, "cancel\n");
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> environment;  // null: unset
        std::string arguments;
        std::string reason;  // empty: no headless notice
        bool nothingToPlay;
    };
    const std::string noneNamed = "DISPLAY and WAYLAND_DISPLAY are not set";
    const Case cases[] = {
        {"no display", {}, "panel", noneNamed, true},
        {"a Wayland name without its folder",
         {{"WAYLAND_DISPLAY", "wayland-0"}},
         "panel",
         "DISPLAY is not set, and WAYLAND_DISPLAY cannot be found without XDG_RUNTIME_DIR",
         true},
        {"input to play", {{"BRONTAR_INPUT", "wait 50 ms; key ESC"}}, "panel", noneNamed, false},
        {"a script", {}, "panel --script " + cancel.string(), noneNamed, false},
        {"headless asked for", {{"BRONTAR_DISPLAY", "headless"}}, "panel", "", false},
    };
    const char* const kSettings[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "BRONTAR_DISPLAY",
                                     "BRONTAR_INPUT"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : kSettings)
        saved.push_back(::getenv(name) != nullptr ? std::optional<std::string>(::getenv(name)) : std::nullopt);
    for (const Case& test : cases) {
        for (const char* name : kSettings) ::unsetenv(name);
        for (const auto& [name, value] : test.environment) ::setenv(name, value, 1);
        const CommandResult run = Run(test.arguments);
        EXPECT_EQ(run.status, 0) << test.name << '\n' << run.err;
        const std::string notice = "brontar: no display is reachable (" + test.reason + "), so it runs headless";
        if (test.reason.empty()) {
            EXPECT_EQ(run.err, "") << test.name;
        } else {
            EXPECT_EQ(run.err.rfind(notice, 0), 0u) << test.name << '\n' << run.err;
            EXPECT_NE(run.err.find("BRONTAR_CAPTURE=FOLDER"), std::string::npos) << test.name;
            EXPECT_NE(run.err.find("brontar panel --script FILE"), std::string::npos) << test.name;
        }
        EXPECT_EQ(run.err.find(kNothingToPlay) != std::string::npos, test.nothingToPlay) << test.name << '\n' << run.err;
        EXPECT_EQ(run.err.find("XDG_RUNTIME_DIR is invalid"), std::string::npos) << test.name << '\n' << run.err;
    }
    for (size_t i = 0; i < std::size(kSettings); ++i) {
        if (saved[i])
            ::setenv(kSettings[i], saved[i]->c_str(), 1);
        else
            ::unsetenv(kSettings[i]);
    }
}

// The boot-file rewrite stopped at each of its file steps in turn
// (BRONTAR_FAULTS=CrtStop@N ends the process there as a kill would): after
// every stop, the next start and apply keep each line of the user's, the
// file's mode, and leave no copy behind.
class BootFileStopTest : public PanelCommandTest {
protected:
    static constexpr const char* kUserLines = "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\nSET HGI_RGAMMA=9.99\r\n";
    static constexpr const char* kApply = "select 1036 800 x 600\nselect 1012 75 Hz\nok\n";

    void PlaceUserFile() {
        for (const auto& entry : fs::directory_iterator(machine_.driveC()))
            if (entry.is_regular_file()) fs::remove(entry.path());
        const fs::path file = machine_.driveC() / "AUTOEXEC.BAT";
        WriteFileText(file, kUserLines);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    }
    std::vector<std::string> DriveCFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(machine_.driveC()))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(BootFileStopTest, EveryStopLeavesTheUserLinesForTheNextApply) {
    bool completed = false;
    int step = 1;
    for (; !completed && step <= 80; ++step) {
        PlaceUserFile();
        ::setenv("BRONTAR_FAULTS", ("CrtStop@" + std::to_string(step)).c_str(), 1);
        const CommandResult stopped = RunScript(kApply);
        ::unsetenv("BRONTAR_FAULTS");
        completed = stopped.status == 0;
        const CommandResult next = RunScript(kApply);
        ASSERT_EQ(next.status, 0) << "stopped at step " << step << ": " << next.err;
        const std::string autoexec = Autoexec();
        EXPECT_EQ(autoexec.rfind("@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\nSET HGI_SCREENREFRESH=60\r\n", 0), 0u)
            << "stopped at step " << step << ":\n" << autoexec;
        EXPECT_EQ(autoexec.find("9.99"), std::string::npos);
        EXPECT_EQ(DriveCFiles().size(), 1u) << "stopped at step " << step;
        for (const auto& entry : fs::directory_iterator(machine_.driveC())) {
            if (!entry.is_regular_file()) continue;
            EXPECT_EQ(fs::status(entry.path()).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write)
                << "stopped at step " << step;
        }
    }
    EXPECT_TRUE(completed) << "the apply never ran to its end";
    EXPECT_GT(step, 5);  // the stops fell on the rewrite's steps, not only before it
}

}  // namespace
}  // namespace brontar::testing
