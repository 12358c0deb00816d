// The boot file rewrite: which old lines stay, how they are written back,
// and that the user's file survives every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "machine/faults.h"
#include "propsheet/autoexec.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::ReadFileText;
using brontar::testing::ScopedEnvironment;
using brontar::testing::WriteFileText;

// The new lines of an apply with rate 75, gamma 1.70 on every channel and the clock switch on.
const char* const kClockOn[AUTOEXEC_NEW_LINES] = {"SET HGI_SCREENREFRESH=75", "SET HGI_RGAMMA=1.70",
                                                  "SET HGI_GGAMMA=1.70", "SET HGI_BGAMMA=1.70",
                                                  "SET HGI_GRXCLK=57"};
const char* const kClockOff[AUTOEXEC_NEW_LINES] = {"SET HGI_SCREENREFRESH=75", "SET HGI_RGAMMA=1.70",
                                                   "SET HGI_GGAMMA=1.70", "SET HGI_BGAMMA=1.70", nullptr};
const std::string kNewLinesOn =
    "SET HGI_SCREENREFRESH=75\r\nSET HGI_RGAMMA=1.70\r\nSET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\n"
    "SET HGI_GRXCLK=57\r\n";
const std::string kNewLinesOff =
    "SET HGI_SCREENREFRESH=75\r\nSET HGI_RGAMMA=1.70\r\nSET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\n";

class AutoexecRewrite : public ::testing::Test {
protected:
    std::filesystem::path file() const { return machine.driveC() / "AUTOEXEC.BAT"; }
    void Give(const std::string& bytes) const { WriteFileText(file(), bytes); }
    std::string Rewrite(const char* const lines[AUTOEXEC_NEW_LINES]) const {
        WriteAutoexecSettings("C:\\AUTOEXEC.BAT", lines);
        return ReadFileText(file());
    }
    // Nothing but AUTOEXEC.BAT and the machine's own folders on drive C:.
    std::vector<std::string> DriveEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(machine.driveC()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    LoggedMachine machine;
};

TEST_F(AutoexecRewrite, KeepsForeignLinesFirstThenAppendsTheNewOnes) {
    Give("ECHO OFF\r\nSET HGI_RGAMMA=1.20\r\nPATH D:\\TOOLS\r\n");
    EXPECT_EQ(Rewrite(kClockOn), "ECHO OFF\r\nPATH D:\\TOOLS\r\n" + kNewLinesOn);
    EXPECT_EQ(machine.log(), "");
    EXPECT_EQ(DriveEntries(), (std::vector<std::string>{"AUTOEXEC.BAT", "WINDOWS"}));
}

TEST_F(AutoexecRewrite, ClockSwitchOffDropsTheOldClockLineAndWritesNone) {
    Give("ECHO OFF\r\nSET HGI_GRXCLK=57\r\n");
    EXPECT_EQ(Rewrite(kClockOff), "ECHO OFF\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, DropsEveryLineThatMentionsAnOwnedNameAnywhereInAnyCase) {
    Give("set hgi_ggamma=2\r\nREM HGI_BGAMMA\r\nSET HGI_GRXCLK_OLD=1\r\nSET HGI_GAMMA=1.7\r\n"
         "echo xhgi_screenrefreshx\r\n");
    EXPECT_EQ(Rewrite(kClockOff), "SET HGI_GAMMA=1.7\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, EveryKindOfLineEndBecomesCrLf) {
    // Bare CR, lone LF, CR LF, and an empty line between two line ends.
    Give("ONE\rTWO\nTHREE\r\n\r\nFIVE\r\n");
    EXPECT_EQ(Rewrite(kClockOff), "ONE\r\nTWO\r\nTHREE\r\n\r\nFIVE\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, FileWithLineFeedsAloneKeepsAllItsLines) {
    Give("@ECHO OFF\nSET HGI_BGAMMA=1.00\nPATH C:\\DOS\nLH MOUSE\n");
    EXPECT_EQ(Rewrite(kClockOff), "@ECHO OFF\r\nPATH C:\\DOS\r\nLH MOUSE\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, TextAfterTheLastLineEndIsALine) {
    Give("ECHO OFF\r\nPATH C:\\DOS");
    EXPECT_EQ(Rewrite(kClockOff), "ECHO OFF\r\nPATH C:\\DOS\r\n" + kNewLinesOff);
    Give("SET HGI_RGAMMA=1.1");  // one unterminated owned line and nothing else
    EXPECT_EQ(Rewrite(kClockOff), kNewLinesOff);
}

TEST_F(AutoexecRewrite, NulBytesInsideALineAreKeptByteForByte) {
    const std::string withNul = std::string("REM A") + '\0' + "B" + '\0' + "\r\n";
    Give(withNul + "PATH C:\\\r\n");
    EXPECT_EQ(Rewrite(kClockOff), withNul + "PATH C:\\\r\n" + kNewLinesOff);
    // A name after a NUL byte is still seen.
    Give(std::string("REM ") + '\0' + "HGI_RGAMMA=1\r\nKEEP\r\n");
    EXPECT_EQ(Rewrite(kClockOff), "KEEP\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, VeryLongLinesAreComparedAndKeptWhole) {
    const std::string longForeign = "REM " + std::string(5000, 'x');
    const std::string longOwned = "REM " + std::string(3000, 'y') + " hgi_rgamma=1";
    Give(longForeign + "\r\n" + longOwned + "\r\nEND\r\n");
    EXPECT_EQ(Rewrite(kClockOff), longForeign + "\r\nEND\r\n" + kNewLinesOff);
}

TEST_F(AutoexecRewrite, MissingOrEmptyFileIsCreatedWithTheNewLinesAlone) {
    std::filesystem::remove(file());
    EXPECT_EQ(Rewrite(kClockOn), kNewLinesOn);
    Give("");
    EXPECT_EQ(Rewrite(kClockOff), kNewLinesOff);
    EXPECT_EQ(machine.log(), "");
}

TEST_F(AutoexecRewrite, WriteFailingHalfWayLeavesTheOldFileUntouched) {
    // Large enough to need several transfers to the disk; the second fails.
    std::string old;
    for (int i = 0; i < 5000; ++i) old += "REM line " + std::to_string(i) + "\r\n";
    old += "SET HGI_RGAMMA=1.20\r\n";
    Give(old);
    {
        ScopedEnvironment faults("BRONTAR_FAULTS", "CrtWrite@2");
        brontar::machine::ResetFaults();
        WriteAutoexecSettings("C:\\AUTOEXEC.BAT", kClockOn);
    }
    brontar::machine::ResetFaults();
    EXPECT_EQ(ReadFileText(file()), old);
    EXPECT_EQ(machine.log(), "MessageBox [UpdateAutoexecBatFile] Unable to open C:\\AUTOEXEC.BAT for writing\n");
    EXPECT_EQ(DriveEntries(), (std::vector<std::string>{"AUTOEXEC.BAT", "WINDOWS"}));
}

TEST_F(AutoexecRewrite, FailingLastTransferOfANewFileCreatesNothing) {
    std::filesystem::remove(file());
    {
        ScopedEnvironment faults("BRONTAR_FAULTS", "CrtWrite@1");
        brontar::machine::ResetFaults();
        WriteAutoexecSettings("C:\\AUTOEXEC.BAT", kClockOn);
    }
    brontar::machine::ResetFaults();
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_EQ(machine.log(),
              "MessageBox [CreateAutoexecBatAndDoUpdate] Unable to open C:\\AUTOEXEC.BAT for writing\n");
    EXPECT_EQ(DriveEntries(), (std::vector<std::string>{"WINDOWS"}));
}

TEST_F(AutoexecRewrite, UnreadableFileIsLeftAloneAndTheWriterSaysSo) {
    // A folder in the file's place cannot be read as a file, even by root.
    std::filesystem::remove(file());
    std::filesystem::create_directory(file());
    WriteFileText(file() / "INSIDE.TXT", "kept");
    WriteAutoexecSettings("C:\\AUTOEXEC.BAT", kClockOn);
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_EQ(ReadFileText(file() / "INSIDE.TXT"), "kept");
    EXPECT_EQ(machine.log(), "MessageBox [UpdateAutoexecBatFile] Unable to open C:\\AUTOEXEC.BAT for writing\n");
}

TEST_F(AutoexecRewrite, FileThatCannotBeCreatedShowsTheCreatorsMessage) {
    WriteAutoexecSettings("Q:\\NOWHERE\\AUTOEXEC.BAT", kClockOff);
    EXPECT_EQ(machine.log(),
              "MessageBox [CreateAutoexecBatAndDoUpdate] Unable to open Q:\\NOWHERE\\AUTOEXEC.BAT for writing\n");
}

TEST_F(AutoexecRewrite, LeftoverAsideFileFromAnEarlierCrashIsReplaced) {
    Give("ECHO OFF\r\n");
    WriteFileText(machine.driveC() / "AUTOEXEC.$$$", "half a file");
    EXPECT_EQ(Rewrite(kClockOff), "ECHO OFF\r\n" + kNewLinesOff);
    EXPECT_EQ(DriveEntries(), (std::vector<std::string>{"AUTOEXEC.BAT", "WINDOWS"}));
}

}  // namespace

namespace {

TEST_F(AutoexecRewrite, OldFileMovedAsideByABrokenRewriteIsRecoveredFirst) {
    std::filesystem::remove(file());
    WriteFileText(machine.driveC() / "AUTOEXEC.~$$", "ECHO OFF\r\nSET HGI_RGAMMA=1.20\r\n");
    WriteFileText(machine.driveC() / "AUTOEXEC.$$$", "SET HGI_SCREENREFRESH=");
    EXPECT_EQ(Rewrite(kClockOff), "ECHO OFF\r\n" + kNewLinesOff);
    EXPECT_EQ(DriveEntries(), (std::vector<std::string>{"AUTOEXEC.BAT", "WINDOWS"}));
}

}  // namespace
