#include <gtest/gtest.h>

#include <cstdlib>

#include "machine/dos_path.h"
#include "machine/machine_folder.h"
#include "machine/machine_ini.h"
#include "tests/support/temp_machine.h"

namespace fs = std::filesystem;
using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;
using namespace brontar::machine;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace

TEST(MachineFolderPath, PrefersBrontarMachineThenXdgThenHome) {
    ScopedEnv machine("BRONTAR_MACHINE", "/somewhere/m");
    ScopedEnv xdg("XDG_DATA_HOME", "/data");
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(MachineFolderPath(), fs::path("/somewhere/m"));
    {
        ScopedEnv noMachine("BRONTAR_MACHINE", nullptr);
        EXPECT_EQ(MachineFolderPath(), fs::path("/data/brontar/machine"));
        ScopedEnv noXdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(MachineFolderPath(), fs::path("/home/u/.local/share/brontar/machine"));
    }
}

TEST(MachineFolder, FirstUseCreatesDefaults) {
    TempMachine machine;
    const fs::path folder = EnsureMachineFolder();
    EXPECT_EQ(folder, machine.folder());
    EXPECT_EQ(ReadFileText(folder / "registry.reg").substr(0, 8), "REGEDIT4");
    EXPECT_TRUE(fs::is_directory(folder / "drives/c/WINDOWS/SYSTEM"));
    EXPECT_NE(ReadFileText(folder / "drives/c/AUTOEXEC.BAT").find("\r\n"), std::string::npos);
    EXPECT_EQ(CurrentMachineIni().GetOr("windows", "directory", ""), "C:\\WINDOWS");
}

TEST(MachineFolder, RepairKeepsExistingFiles) {
    TempMachine machine;
    WriteFileText(machine.folder() / "machine.ini", "[windows]\ndirectory=D:\\WIN95\n");
    WriteFileText(machine.driveC() / "AUTOEXEC.BAT", "REM mine\r\n");
    CreateMachineDefaults(machine.folder());
    EXPECT_EQ(ReadFileText(machine.folder() / "machine.ini"), "[windows]\ndirectory=D:\\WIN95\n");
    EXPECT_EQ(ReadFileText(machine.driveC() / "AUTOEXEC.BAT"), "REM mine\r\n");
    EXPECT_TRUE(fs::exists(machine.folder() / "registry.reg"));
}

TEST(MachineIni, SectionsAndKeysIgnoreCaseAndLastLineWins) {
    MachineIni ini = MachineIni::Parse(
        "; comment\n[Windows]\r\nDirectory = C:\\WIN\r\n# other\n[board]\nvram=4\nVRAM=8\nflag=Yes\nbad=x1\n[broken\nlost=1\n");
    EXPECT_EQ(ini.GetOr("WINDOWS", "directory", ""), "C:\\WIN");
    EXPECT_EQ(ini.GetInt("board", "vram", 0), 8);
    EXPECT_EQ(ini.GetInt("board", "bad", -1), -1);
    EXPECT_EQ(ini.GetInt("board", "missing", 7), 7);
    EXPECT_TRUE(ini.GetBool("board", "flag", false));
    EXPECT_FALSE(ini.Get("broken", "lost").has_value());
    EXPECT_EQ(ini.Entries("board").size(), 3u);
}

TEST(MachineIni, HexadecimalIntegers) {
    MachineIni ini = MachineIni::Parse("[a]\nx=0x1F\ny=0x\n");
    EXPECT_EQ(ini.GetInt("a", "x", 0), 31);
    EXPECT_EQ(ini.GetInt("a", "y", 5), 5);
}

TEST(MachineIni, EditedFileIsReadAgain) {
    TempMachine machine;
    EnsureMachineFolder();
    EXPECT_EQ(CurrentMachineIni().GetOr("windows", "directory", ""), "C:\\WINDOWS");
    WriteFileText(machine.folder() / "machine.ini", "[windows]\ndirectory=C:\\WIN95_LONGER_NAME\n");
    EXPECT_EQ(CurrentMachineIni().GetOr("windows", "directory", ""), "C:\\WIN95_LONGER_NAME");
}

TEST(DosPath, RecognisesDrivePathsOnly) {
    EXPECT_TRUE(IsDosPath("C:\\AUTOEXEC.BAT"));
    EXPECT_TRUE(IsDosPath("d:/x"));
    EXPECT_TRUE(IsDosPath("\\WINDOWS"));
    EXPECT_FALSE(IsDosPath("/tmp/x"));
    EXPECT_FALSE(IsDosPath("relative.txt"));
    EXPECT_FALSE(IsDosPath("1:\\x"));
    EXPECT_FALSE(IsDosPath(""));
}

TEST(DosPath, ComponentsMatchExistingEntriesOfAnyCase) {
    TempMachine machine;
    fs::create_directories(machine.driveC() / "Windows" / "system");
    WriteFileText(machine.driveC() / "Windows" / "Castle.bmp", "x");
    EXPECT_EQ(MapDosPath(machine.folder(), "C:\\WINDOWS\\CASTLE.BMP"), machine.driveC() / "Windows" / "Castle.bmp");
    EXPECT_EQ(MapDosPath(machine.folder(), "c:/windows/SYSTEM/New.Dll"),
              machine.driveC() / "Windows" / "system" / "New.Dll");
    EXPECT_EQ(MapDosPath(machine.folder(), "E:\\DATA\\A.TXT"), machine.folder() / "drives/e/DATA/A.TXT");
}

TEST(DosPath, ExactSpellingWinsOverOtherCase) {
    TempMachine machine;
    fs::create_directories(machine.driveC());
    WriteFileText(machine.driveC() / "readme", "lower");
    WriteFileText(machine.driveC() / "README", "upper");
    EXPECT_EQ(MapDosPath(machine.folder(), "C:\\README"), machine.driveC() / "README");
    EXPECT_EQ(MapDosPath(machine.folder(), "C:\\readme"), machine.driveC() / "readme");
}

TEST(DosPath, NeverClimbsAboveTheDriveRoot) {
    TempMachine machine;
    EXPECT_EQ(MapDosPath(machine.folder(), "C:\\..\\..\\registry.reg"), machine.driveC() / "registry.reg");
    EXPECT_EQ(MapDosPath(machine.folder(), "C:\\A\\.\\B\\..\\C"), machine.driveC() / "A" / "C");
    EXPECT_EQ(MapDosPath(machine.folder(), "C:"), machine.driveC());
}

TEST(DosPath, RootedPathUsesTheBootDrive) {
    TempMachine machine;
    EXPECT_EQ(MapDosPath(machine.folder(), "\\AUTOEXEC.BAT", 'D'), machine.folder() / "drives/d/AUTOEXEC.BAT");
    EXPECT_FALSE(MapDosPath(machine.folder(), "/etc/passwd").has_value());
}

TEST(MachineFolder, RepairFindsDriveFilesInAnyCase) {
    TempMachine machine;
    WriteFileText(machine.driveC() / "Autoexec.bat", "REM mine\r\n");
    std::filesystem::create_directories(machine.driveC() / "Windows" / "System");
    CreateMachineDefaults(machine.folder());
    EXPECT_FALSE(fs::exists(machine.driveC() / "AUTOEXEC.BAT"));
    EXPECT_FALSE(fs::exists(machine.driveC() / "WINDOWS"));
    EXPECT_EQ(ReadFileText(machine.driveC() / "Autoexec.bat"), "REM mine\r\n");
}
