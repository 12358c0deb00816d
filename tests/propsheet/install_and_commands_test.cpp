// The installed monitor and support libraries, and the commands that run the
// page's routines: brontar monitor, brontar test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "machine/install_monitor.h"
#include "machine/registry/registry_store.h"
#include "propsheet/monitor_info.h"
#include "tests/support/monitor_registry.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;

struct CommandResult {
    int status;
    std::string output;  // standard output and standard error
};

// Runs the built brontar command with the environment of this process.
CommandResult RunBrontar(const std::string& arguments) {
    const std::string command = std::string(BRONTAR_BIN_DIR) + "/brontar " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

void Install(const LoggedMachine& machine) {
    std::ostringstream progress;
    brontar::machine::InstallMonitorAndSupportLibraries(machine.folder(), BRONTAR_BIN_DIR, progress);
}

TEST(InstallMonitor, MonitorLetsTheBoardsRatesUpTo85HzThrough) {
    LoggedMachine machine;
    Install(machine);
    EXPECT_EQ(ReadFileText(machine.system() / "hgi1init.dll"),
              ReadFileText(std::filesystem::path(BRONTAR_BIN_DIR) / "hgi1init.dll"));
    EXPECT_TRUE(std::filesystem::exists(machine.system() / "qorhlp16.dll"));
    for (const auto& [width, height] : {std::pair{512, 384}, {640, 400}, {640, 480}, {800, 600}}) {
        ModeLimits limits{static_cast<WORD>(width), static_cast<WORD>(height), 0, 0, 0, 0};
        EXPECT_EQ(GetModeLimits(&limits), 1);
        // 800x600 at 75 Hz needs 48 kHz; every 120 Hz rate is above 100 Hz.
        EXPECT_EQ(limits.wHorizontalMin, 30);
        EXPECT_EQ(limits.wHorizontalMax, 64);
        EXPECT_EQ(limits.wVerticalMin, 50);
        EXPECT_EQ(limits.wVerticalMax, 100);
    }
}

TEST(InstallMonitor, RunningAgainKeepsWhatTheUserChanged) {
    LoggedMachine machine;
    brontar::testing::MonitorKeys keys;
    keys.description = "My Own Monitor";
    keys.maxResolution = "800,600";
    keys.modes = {{"800,600", "31-48,55-75,+,+"}};
    brontar::testing::WriteMonitorKeys(machine.folder(), keys);
    Install(machine);
    Install(machine);
    MonitorInfo info{};
    ASSERT_EQ(LoadMonitorInfo(&info), 1);
    EXPECT_STREQ(info.szDescription, "My Own Monitor");
    EXPECT_EQ(info.lMaxWidth, 800);
    EXPECT_EQ(info.lVerticalMax, 75);
}

TEST(MonitorCommand, PrintsDescriptionMaximumAndTheLimitsOfEachMode) {
    LoggedMachine machine;
    Install(machine);
    const CommandResult result = RunBrontar("monitor");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output,
              "description:        Kestrel KM-1570 15-inch Color Monitor\n"
              "class key:          Monitor\\0000\n"
              "maximum resolution: 1024 x 768\n"
              "default limits:     horizontal 30-64 kHz, vertical 50-100 Hz\n"
              "512x384:            horizontal 30-64 kHz, vertical 50-100 Hz\n"
              "640x400:            horizontal 30-64 kHz, vertical 50-100 Hz\n"
              "640x480:            horizontal 30-64 kHz, vertical 50-100 Hz\n"
              "800x600:            horizontal 30-64 kHz, vertical 50-100 Hz\n"
              "source:             installer default\n");
}

TEST(TestCommand, RunsTheInstalledProgramWithThePagesCommandLine) {
    LoggedMachine machine;
    std::filesystem::create_symlink(std::filesystem::path(BRONTAR_BIN_DIR) / "system_test_child",
                                    machine.windows() / "BRNTRTST.EXE");
    const auto report = machine.scratch() / "child.txt";
    ScopedEnvironment reportVariable("TEST_CHILD_REPORT", report.string());
    EXPECT_EQ(RunBrontar("test 800x600").status, 0);
    EXPECT_NE(ReadFileText(report).find("command line=/800x600\n"), std::string::npos);
    EXPECT_EQ(RunBrontar("test 1024x768 --gamma").status, 0);
    EXPECT_NE(ReadFileText(report).find("command line=/1024x768 /gamma\n"), std::string::npos);
    EXPECT_EQ(machine.log(), "");
}

TEST(TestCommand, MissingTestScreenLogsLastErrorTwo) {
    LoggedMachine machine;
    const CommandResult result = RunBrontar("test 640x480");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(machine.log(), "MessageBox [Error:] Last Error = 0x00000002\n");
}

TEST(TestCommand, RunsTheRealTestScreenUntilItsInputEndsIt) {
    if (!std::filesystem::exists(std::filesystem::path(BRONTAR_BIN_DIR) / "brntrtst"))
        GTEST_SKIP() << "the test screen is not built";
    LoggedMachine machine;
    ASSERT_EQ(RunBrontar("setup").status, 0);
    ScopedEnvironment display("BRONTAR_DISPLAY", "headless");
    ScopedEnvironment input("BRONTAR_INPUT", "wait 2 frames; key q");
    const CommandResult result = RunBrontar("test 800x600");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(machine.log().find("MessageBox"), std::string::npos) << machine.log();
}

TEST(TestCommand, RefusesArgumentsThatAreNoResolution) {
    LoggedMachine machine;
    for (const char* arguments : {"", "800", "800x", "x600", "0x600", "800x600 640x480", "800x600 --fast"})
        EXPECT_EQ(RunBrontar(std::string("test ") + arguments).status, 2) << arguments;
    EXPECT_EQ(RunBrontar("test --help").status, 0);
}

}  // namespace
