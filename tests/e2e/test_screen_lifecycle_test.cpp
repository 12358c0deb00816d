// How the test screen starts, ends and fails: exit statuses and the report
// lines of every start-up failure.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/test_screen_run.h"

using namespace brontar::testing;

namespace {

constexpr const char* kTitle = "Brontar 3D Gamma Tool";

std::string Report(const std::string& caption, const std::string& message) {
    return "ReportError [" + caption + "] " + message;
}

// True when the lines appear in the log in this order.
bool LoggedInOrder(const std::string& log, const std::vector<std::string>& lines) {
    size_t from = 0;
    for (const std::string& line : lines) {
        from = log.find(line + "\n", from);
        if (from == std::string::npos) return false;
        from += line.size();
    }
    return true;
}

size_t ReportCount(const std::string& log) {
    size_t count = 0;
    for (size_t at = log.find("ReportError ["); at != std::string::npos; at = log.find("ReportError [", at + 1))
        ++count;
    return count;
}

// A test name from the faults of a case: "CreateSurface@4" is CreateSurface_4.
template <typename Case>
std::string FaultsName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.faults;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

}  // namespace

TEST(TestScreenLifecycle, QuitKeysAndClicksEndWithStatusZero) {
    TestScreenMachine machine;
    for (const char* ending : {"key q", "key Q", "click left", "click right", "close"}) {
        const RunResult run = machine.Run({"/640x480"}, std::string("wait 2 frames; ") + ending);
        EXPECT_EQ(run.status, 0) << ending << '\n' << run.log;
        EXPECT_GE(run.frames.size(), 2u) << ending;
        EXPECT_EQ(run.log.find("ReportError"), std::string::npos) << run.log;
    }
}

// A normal run says nothing on standard error, although the test screen asks
// for a render state the device does not draw (edge antialiasing) every frame:
// that note belongs to the d3d debug channel, and is said once when it is on.
TEST(TestScreenLifecycle, NormalRunLeavesStandardErrorEmpty) {
    TestScreenMachine machine;
    const std::string note = "Direct3D render state 2 = 1: edge antialiasing is not implemented";
    const RunResult quiet =
        machine.Run({"/640x480"}, "wait 3 frames; key q", "", std::chrono::seconds(30), {{"BRONTAR_LOG", ""}});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    const RunResult noted = machine.Run({"/640x480"}, "wait 3 frames; key q", "", std::chrono::seconds(30),
                                        {{"BRONTAR_LOG", ""}, {"BRONTAR_DEBUG", "+d3d"}});
    EXPECT_EQ(noted.status, 0);
    const size_t first = noted.err.find(note);
    EXPECT_NE(first, std::string::npos) << noted.err;
    EXPECT_EQ(noted.err.rfind(note), first) << "said once, not every frame:\n" << noted.err;
}

TEST(TestScreenLifecycle, StopStepAndRestartTheAnimation) {
    TestScreenMachine machine;
    // Stopped after two frames, then exactly one frame per P, in either case.
    RunResult run = machine.Run({"/640x480"}, "wait 2 frames; key r; wait 400 ms; key p; key P; wait 400 ms; key q");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.frames.size(), 4u);
    // R again restarts the timer's frames (the script waits for the fourth
    // frame in all); other keys do nothing.
    run = machine.Run({"/640x480"}, "wait 1 frames; key R; wait 300 ms; key x; key 1; key r; wait 4 frames; key q");
    EXPECT_EQ(run.status, 0);
    EXPECT_GE(run.frames.size(), 4u);
}

TEST(TestScreenLifecycle, MissingBitmapEndsBeforeTheFirstFrame) {
    TestScreenMachine machine;
    machine.StoreDword("REFRESH_640x480", 75);
    std::filesystem::remove(machine.WindowsFolder() / "CASTLE.BMP");
    const RunResult run = machine.Run({"/640x480"}, "wait 3 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(Report("C:\\WINDOWS\\CASTLE.BMP", "Error loading bitmap"))) << run.log;
    EXPECT_TRUE(run.frames.empty());
}

TEST(TestScreenLifecycle, EveryMissingBitmapIsReportedByItsPath) {
    TestScreenMachine machine;
    for (const char* name : {"BRNLOGO.BMP", "ROBOT2.BMP", "VAULT1.BMP", "DESERT.BMP", "RACER.BMP"}) {
        const auto path = machine.WindowsFolder() / name;
        const auto aside = machine.WindowsFolder() / "aside";
        std::filesystem::rename(path, aside);
        const RunResult run = machine.Run({"/640x480"}, "wait 1 frames; key q");
        std::filesystem::rename(aside, path);
        EXPECT_EQ(run.status, 255) << name;
        EXPECT_TRUE(run.Logged(Report(std::string("C:\\WINDOWS\\") + name, "Error loading bitmap"))) << run.log;
        EXPECT_TRUE(run.frames.empty()) << name;
    }
}

TEST(TestScreenLifecycle, BitmapPathTooLongForItsBufferFailsToLoad) {
    TestScreenMachine machine;
    // 3 + 118 characters of directory and "\CASTLE.BMP" pass 127.
    const std::string directory = "C:\\" + std::string(118, 'W');
    WriteFileText(machine.MachineIni(), ReadFileText(machine.MachineIni()) + "\n[windows]\ndirectory=" + directory + "\n");
    RunResult run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(Report((directory + "\\CASTLE.BMP").substr(0, 127), "Error loading bitmap"))) << run.log;
    // A directory that does not even fit its own buffer of 128.
    WriteFileText(machine.MachineIni(), ReadFileText(machine.MachineIni()) + "\n[windows]\ndirectory=C:\\" +
                                            std::string(200, 'W') + "\n");
    run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(Report("\\CASTLE.BMP", "Error loading bitmap"))) << run.log;
}

struct StartupFailure {
    const char* faults;
    std::vector<std::string> reports;
};

void PrintTo(const StartupFailure& failure, std::ostream* out) { *out << failure.faults; }

class TestScreenStartupFailure : public ::testing::TestWithParam<StartupFailure> {};

TEST_P(TestScreenStartupFailure, ReportsAndEndsWithStatus255BeforeAnyFrame) {
    TestScreenMachine machine;
    const RunResult run = machine.Run({"/640x480"}, "wait 3 frames; key q", GetParam().faults);
    EXPECT_EQ(run.status, 255) << run.log;
    EXPECT_TRUE(LoggedInOrder(run.log, GetParam().reports)) << run.log;
    EXPECT_EQ(ReportCount(run.log), GetParam().reports.size()) << run.log;
    EXPECT_TRUE(run.frames.empty());
}

const std::string kSurfaces = Report(kTitle, "Error creating surfaces");
const std::string kNoDirectX = Report(kTitle, "DirectX not installed.");
const std::string kObjects = Report(kTitle, "Error unable to create Direct3D Objects\\n");

INSTANTIATE_TEST_SUITE_P(
    Faults, TestScreenStartupFailure,
    ::testing::Values(
        StartupFailure{"DirectDrawEnumerate", {Report(kTitle, "Error enumerating DD drivers")}},
        StartupFailure{"DirectDrawCreate@1", {kNoDirectX}},  // the board is skipped
        StartupFailure{"DirectDrawCreate@2", {kNoDirectX}},
        StartupFailure{"GetCaps", {kNoDirectX}},
        StartupFailure{"EnumDisplayModes", {kNoDirectX}},
        StartupFailure{"CreateDirect3D", {Report(kTitle, "Direct3D drivers not installed.")}},
        StartupFailure{"EnumDevices",
                       {Report(kTitle, "Error enumerating DirectX drivers\\nBrontar 3D drivers not installed.")}},
        StartupFailure{"GetDisplayMode", {Report("CreateSurfaces: GetDisplayMode", "UNKNOWN"), kSurfaces}},
        StartupFailure{"SetCooperativeLevel", {Report("CreateSurfaces: SetCooperativeLevel", "UNKNOWN"), kSurfaces}},
        StartupFailure{"SetDisplayMode", {Report("CreateSurfaces: SetDisplayMode", "UNKNOWN"), kSurfaces}},
        StartupFailure{"CreateSurface@1", {Report("Primary Surface Creation", "UNKNOWN"), kSurfaces}},
        StartupFailure{"GetAttachedSurface", {Report("Get Back Surface Attached", "UNKNOWN"), kSurfaces}},
        StartupFailure{"CreateDevice", {Report("CreateDirect3DObjects: QueryInterface", "UNKNOWN"), kObjects}},
        StartupFailure{"CreateViewport", {Report("CreateDirect3DObjects: CreateViewport", "UNKNOWN"), kObjects}},
        StartupFailure{"AddViewport", {Report("CreateDirect3DObjects: AddViewport", "UNKNOWN"), kObjects}},
        StartupFailure{"SetViewport", {kObjects}},  // no report of its own
        // Surfaces: primary, mode line, banner, then each texture's system
        // and video memory copies.
        StartupFailure{"CreateSurface@4",
                       {Report("Could not CreateSurface on lpSrcTexture", "UNKNOWN"),
                        Report("\\CASTLE.BMP", "Error creating texture handle")}},
        StartupFailure{"CreateSurface@5",
                       {Report("Could not CreateSurface on lpDDVideoMemoryTexture", "UNKNOWN"),
                        Report("\\CASTLE.BMP", "Error creating texture handle")}},
        StartupFailure{"CreateSurface@7",
                       {Report("Could not CreateSurface on lpDDVideoMemoryTexture", "UNKNOWN"),
                        Report("\\BRNLOGO.BMP", "Error creating texture handle")}},
        StartupFailure{"Lock@1",
                       {Report("Could not Lock on lpSrcTexture", "UNKNOWN"),
                        Report("\\CASTLE.BMP", "Error creating texture handle")}}),
    FaultsName<StartupFailure>);

TEST(TestScreenBoard, WithoutTheBoardDirectXIsNotInstalled) {
    TestScreenMachine machine;
    WriteFileText(machine.MachineIni(), ReadFileText(machine.MachineIni()) + "\n[directdraw]\ndrivers=display\n");
    const RunResult run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(kNoDirectX)) << run.log;
}

TEST(TestScreenBoard, ThePrimaryDriverIsNeverTheBoardWhateverItsName) {
    TestScreenMachine machine;
    WriteFileText(machine.MachineIni(),
                  ReadFileText(machine.MachineIni()) + "\n[directdraw]\ndrivers=display\n[directdraw.display]\n"
                                                       "name=ddcorv\nmodes=640x480x16\npresents=yes\n");
    const RunResult run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(kNoDirectX)) << run.log;
}

TEST(TestScreenBoard, ModeMustBeListedAtSixteenBits) {
    TestScreenMachine machine;
    WriteFileText(machine.MachineIni(), ReadFileText(machine.MachineIni()) +
                                            "\n[directdraw.ddcorv]\nmodes=512x384x16,640x480x16,800x600x8\n");
    RunResult run = machine.Run({"/800x600"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(kNoDirectX)) << run.log;
    run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 0) << run.log;
}

TEST(TestScreenBoard, NameInCapitalsCountsAndTheLastMatchWins) {
    TestScreenMachine machine;
    const std::string ini = ReadFileText(machine.MachineIni());
    // A second board, DDCORV, enumerated last and without 640x480.
    WriteFileText(machine.MachineIni(), ini + "\n[directdraw]\ndrivers=display,ddcorv,second\n"
                                              "[directdraw.second]\nname=DDCORV\n"
                                              "identity={11111111-2222-3333-4444-555555555555}\n"
                                              "modes=800x600x16\n");
    RunResult run = machine.Run({"/640x480"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.Logged(kNoDirectX)) << run.log;
    run = machine.Run({"/800x600"}, "wait 1 frames; key q");
    EXPECT_EQ(run.status, 0) << run.log;
}

struct FrameFailure {
    const char* faults;
    std::vector<std::string> reports;  // the first reports, in order
};

void PrintTo(const FrameFailure& failure, std::ostream* out) { *out << failure.faults; }

class TestScreenFrameFailure : public ::testing::TestWithParam<FrameFailure> {};

TEST_P(TestScreenFrameFailure, ReportsAndEndsWithStatus255) {
    TestScreenMachine machine;
    const RunResult run = machine.Run({"/640x480"}, "wait 5 frames; key q", GetParam().faults);
    EXPECT_EQ(run.status, 255) << run.log;
    EXPECT_TRUE(LoggedInOrder(run.log, GetParam().reports)) << run.log;
}

const std::string kBackgroundState = Report(kTitle, "Error unable to create Background Direct3D State Buffer\\n");
const std::string kBackgroundTriangles = Report(kTitle, "Error unable to create Background Direct3D Tri Buffer\\n");

// Per frame: the background's state buffer, then its triangle buffer, then
// state and triangle buffer for each face, each in a scene of its own.
INSTANTIATE_TEST_SUITE_P(
    Faults, TestScreenFrameFailure,
    ::testing::Values(
        FrameFailure{"ExecuteBufferLock@1", {Report("BackgroundStateBuffer: Lock", "UNKNOWN"), kBackgroundState}},
        FrameFailure{"ExecuteBufferUnlock@1", {Report("BackgroundStateBuffer: Unlock", "UNKNOWN"), kBackgroundState}},
        FrameFailure{"BeginScene@1", {Report("BackgroundStateBuffer: BeginScene", "UNKNOWN"), kBackgroundState}},
        FrameFailure{"Execute@1", {Report("BackgroundStateBuffer: Execute", "UNKNOWN"), kBackgroundState}},
        FrameFailure{"EndScene@1", {Report("BackgroundStateBuffer: EndScene", "UNKNOWN"), kBackgroundState}},
        FrameFailure{"ExecuteBufferLock@2",
                     {Report(kTitle, "Error Triangle Buffer Lock failed\\n"), kBackgroundTriangles}},
        FrameFailure{"ExecuteBufferUnlock@2",
                     {Report(kTitle, "Error Triangle Buffer Unlock failed\\n"), kBackgroundTriangles}},
        FrameFailure{"SetExecuteData@2",
                     {Report(kTitle, "Error SetExecuteData for triangles failed\\n"), kBackgroundTriangles}},
        FrameFailure{"BeginScene@2", {Report("DrawTriangles: BeginScene", "UNKNOWN")}},
        FrameFailure{"Execute@2", {Report("DrawTriangles: Execute", "UNKNOWN")}},
        FrameFailure{"EndScene@2", {Report("DrawTriangles: EndScene", "UNKNOWN")}},
        FrameFailure{"Execute@3",
                     {Report("CubeStateBuffer: Execute", "UNKNOWN"),
                      Report(kTitle, "Error unable to create Cube Direct3D State Buffer\\n")}},
        FrameFailure{"Flip@2", {Report("FlipSurfaces: Flip", "UNKNOWN")}}),
    FaultsName<FrameFailure>);

TEST(TestScreenFrameFailures, UnexaminedTextureStepsLeaveTheFaceUntextured) {
    TestScreenMachine machine;
    for (const char* faults : {"GetHandle", "TextureLoad", "CreateTexture", "SetColorKey"}) {
        const RunResult run = machine.Run({"/640x480"}, "wait 2 frames; key q", faults);
        EXPECT_EQ(run.status, 0) << faults << '\n' << run.log;
        EXPECT_EQ(ReportCount(run.log), 0u) << faults << '\n' << run.log;
        EXPECT_GE(run.frames.size(), 2u) << faults;
    }
}
