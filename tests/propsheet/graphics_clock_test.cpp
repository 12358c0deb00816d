// The graphics clock read back from the boot file, and the boot drive.
#include <gtest/gtest.h>

#include <string>

#include "propsheet/autoexec.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ScopedEnvironment;
using brontar::testing::WriteFileText;

struct ClockCase {
    std::string file;
    int value;
};

TEST(ReadGraphicsClock, ValueOfTheLastLineThatSetsIt) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    const ClockCase cases[] = {
        {"SET HGI_GRXCLK=57\r\n", 57},
        {"set hgi_grxclk = 57\r\n", 57},
        {"SET HGI_GRXCLK=50\r\n", 50},
        {"SET HGI_GRXCLK=50\r\nECHO\r\nSET HGI_GRXCLK=57\r\n", 57},
        {"HGI_GRXCLK\r\n", 0},
        {"SET HGI_GRXCLK=57\r\nHGI_GRXCLK\r\n", 57},  // a later line without '=' keeps the earlier value
        {"SET HGI_GRXCLK=-3\r\n", -3},
        {"SET HGI_GRXCLK=57abc", 57},              // no line end; digits up to the first other character
        {"SET HGI_GRXCLK=\r\n", 0},
        {"SET HGI_GRXCLK=50\rSET HGI_GRXCLK=57\r", 57},  // bare CRs end lines too
        {"SET HGI_GRXCLK=50\nSET HGI_GRXCLK=57\n", 57},
        {"SET HGI_GRXCLK=99999999999\r\n", 2147483647},
        {"ECHO OFF\r\n", 0},
    };
    for (const ClockCase& c : cases) {
        WriteFileText(machine.driveC() / "AUTOEXEC.BAT", c.file);
        EXPECT_EQ(ReadGraphicsClock(), c.value) << c.file;
        EXPECT_EQ(IsGraphicsClock57(), c.value == 57 ? 1 : 0) << c.file;
    }
    EXPECT_EQ(machine.log(), "");
}

TEST(ReadGraphicsClock, LinesLongerThanAKilobyteAreReadWhole) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    // The name beyond the first 1023 characters, then a short line without a value.
    WriteFileText(machine.driveC() / "AUTOEXEC.BAT",
                  "REM " + std::string(3000, 'x') + " SET HGI_GRXCLK=57\r\nREM HGI_GRXCLK\r\n");
    EXPECT_EQ(ReadGraphicsClock(), 57);
    // A value split across the old 1023-character boundary is read whole.
    WriteFileText(machine.driveC() / "AUTOEXEC.BAT", "SET HGI_GRXCLK=" + std::string(1005, ' ') + "57\r\n");
    EXPECT_EQ(ReadGraphicsClock(), 57);
}

TEST(ReadGraphicsClock, NoFileReadsAsZero) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", std::nullopt);
    std::filesystem::remove(machine.driveC() / "AUTOEXEC.BAT");
    EXPECT_EQ(ReadGraphicsClock(), 0);
}

TEST(ReadGraphicsClock, ReadsTheBootDriveThatWinbootdirNames) {
    LoggedMachine machine;
    ScopedEnvironment bootDir("winbootdir", "D:\\WIN95");
    WriteFileText(machine.folder() / "drives" / "d" / "AUTOEXEC.BAT", "SET HGI_GRXCLK=57\r\n");
    WriteFileText(machine.driveC() / "AUTOEXEC.BAT", "SET HGI_GRXCLK=50\r\n");
    EXPECT_EQ(ReadGraphicsClock(), 57);
}

TEST(GetBootDrive, FirstLetterOfWinbootdir) {
    LoggedMachine machine;
    {
        ScopedEnvironment bootDir("winbootdir", "E:\\WINDOWS");
        EXPECT_EQ(GetBootDrive(), 'E');
    }
    {
        // Unset: the machine provides it from its Windows directory.
        ScopedEnvironment bootDir("winbootdir", std::nullopt);
        machine.AppendMachineIni("[windows]\ndirectory=F:\\WIN\n");
        EXPECT_EQ(GetBootDrive(), 'F');
    }
    EXPECT_EQ(machine.log(), "");
}

TEST(GetBootDrive, UnreadableVariableFallsBackToCAfterAMessage) {
    LoggedMachine machine;
    for (const std::string& value : {std::string(), std::string(256, 'D')}) {
        ScopedEnvironment bootDir("winbootdir", value);
        EXPECT_EQ(GetBootDrive(), 'c');
    }
    EXPECT_EQ(machine.log(), "MessageBox [BAD] Failed to read env var\nMessageBox [BAD] Failed to read env var\n");
}

}  // namespace
