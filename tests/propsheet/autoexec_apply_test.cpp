// The SET lines an apply builds from the stored rate, the slider positions
// and the clock switch.
#include <gtest/gtest.h>

#include <string>

#include "machine/plain_text.h"
#include "propsheet/autoexec.h"
#include "settings/settings_key.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;
using brontar::testing::WriteFileText;

// The boot file of drive C:, whatever the case of its name (a rewrite
// names it as the page spells it).
std::filesystem::path BootFilePath(const LoggedMachine& machine) {
    for (const auto& entry : std::filesystem::directory_iterator(machine.driveC()))
        if (brontar::machine::EqualsIgnoreCase(entry.path().filename().string(), "autoexec.bat")) return entry.path();
    return machine.driveC() / "AUTOEXEC.BAT";
}

std::string BootFile(const LoggedMachine& machine) { return ReadFileText(BootFilePath(machine)); }

void GiveBootFile(const LoggedMachine& machine, const std::string& text) {
    WriteFileText(BootFilePath(machine), text);
}

TEST(ApplyAutoexecSettings, StoredRateOutsideSixtyToHundredTwentyBecomesSixty) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    const struct {
        DWORD stored;
        int written;
    } cases[] = {{0, 60}, {59, 60}, {121, 60}, {60, 60}, {120, 120}, {75, 75}};
    for (const auto& c : cases) {
        GiveBootFile(machine, "ECHO OFF\r\n");
        if (c.stored == 0)
            ResetRefreshRates();
        else
            SetRefreshRate(c.stored, 640, 480);
        SetRefreshRate(100, 800, 600);  // other modes never reach the boot file
        ApplyAutoexecSettings(29, 29, 29, 0);
        EXPECT_EQ(BootFile(machine), "ECHO OFF\r\nSET HGI_SCREENREFRESH=" + std::to_string(c.written) +
                                         "\r\nSET HGI_RGAMMA=1.70\r\nSET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\n")
            << "stored " << c.stored;
    }
    EXPECT_EQ(machine.log(), "");
}

TEST(ApplyAutoexecSettings, EachSliderGivesItsOwnGammaAndTheSwitchTheClockLine) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    SetRefreshRate(75, 640, 480);
    GiveBootFile(machine, "ECHO OFF\r\nSET HGI_RGAMMA=1.20\r\nPATH D:\\TOOLS\r\n");
    ApplyAutoexecSettings(0, 15, 35, 1);
    EXPECT_EQ(BootFile(machine),
              "ECHO OFF\r\nPATH D:\\TOOLS\r\nSET HGI_SCREENREFRESH=75\r\nSET HGI_RGAMMA=0.25\r\n"
              "SET HGI_GGAMMA=1.00\r\nSET HGI_BGAMMA=2.00\r\nSET HGI_GRXCLK=57\r\n");
}

TEST(ApplyAutoexecSettings, WritesTheBootFileOfTheDriveWinbootdirNames) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", "D:\\WINDOWS");
    SetRefreshRate(85, 640, 480);
    std::filesystem::create_directories(machine.folder() / "drives" / "d");
    ApplyAutoexecSettings(29, 29, 29, 0);
    EXPECT_EQ(ReadFileText(machine.folder() / "drives" / "d" / "Autoexec.bat"),
              "SET HGI_SCREENREFRESH=85\r\nSET HGI_RGAMMA=1.70\r\nSET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\n");
}

// A winbootdir without a drive letter names no folder of the machine: the
// page's usual box, and the boot file of drive C:, never a file in the
// current folder or below the host's root.
TEST(ApplyAutoexecSettings, WinbootdirWithoutADriveLetterIsRefused) {
    LoggedMachine machine;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(machine.scratch());
    for (const char* value : {".:\\WINDOWS", "\\WINDOWS", "/tmp", "1:\\"}) {
        ScopedEnvironment bootDir("winbootdir", value);
        EXPECT_EQ(GetBootDrive(), 'c') << value;
        ApplyAutoexecSettings(29, 29, 29, 0);
    }
    std::filesystem::current_path(here);
    for (const auto& entry : std::filesystem::directory_iterator(machine.scratch()))
        EXPECT_EQ(entry.path().filename().string().find("utoexec"), std::string::npos) << entry.path();
    EXPECT_NE(BootFile(machine).find("SET HGI_SCREENREFRESH=60"), std::string::npos);
    EXPECT_NE(machine.log().find("MessageBox [BAD] Failed to read env var"), std::string::npos);
}

}  // namespace
