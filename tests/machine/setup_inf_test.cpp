// The product's setup INF, read into a machine by `brontar setup`: the keys
// and files it gives, its refusal of broken INFs, and its uninstall section.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "machine/inf/inf_install.h"
#include "machine/inf/inf_registry.h"
#include "machine/installer.h"
#include "machine/monitor/monitor_description.h"
#include "machine/registry/registry_store.h"
#include "tests/support/temp_machine.h"

namespace {

namespace fs = std::filesystem;
namespace inf = brontar::machine::inf;
namespace reg = brontar::machine::registry;
using brontar::machine::InstallMachine;
using brontar::machine::MachineError;
using brontar::machine::monitor::StringValue;
using brontar::testing::ReadFileText;
using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

const fs::path kBin = BRONTAR_BIN_DIR;
constexpr const char* kClassKey = "HKEY_CLASSES_ROOT\\CLSID\\{E41263E9-6834-4721-A6A6-CF963B5658BB}";
constexpr const char* kHandlerKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
    "PropertySheetHandlers\\Brontar 3D";
constexpr const char* kUninstallKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brontar3D";

std::string Install(const TempMachine& machine, const fs::path& binDir = kBin) {
    std::ostringstream progress;
    InstallMachine(machine.folder(), binDir, progress);
    return progress.str();
}

// Name = text of every value of a key, in the order the key holds them.
std::vector<std::pair<std::string, std::string>> TextValues(const TempMachine& machine, const std::string& path) {
    std::vector<std::pair<std::string, std::string>> values;
    const reg::RegistrySnapshot snapshot = reg::ReadRegistry(machine.folder());
    const reg::RegistryKey* key = snapshot.content->tree.FindKey(path);
    if (key == nullptr) return {{"(no key)", path}};
    for (const reg::RegistryValue& value : key->Values())
        values.emplace_back(value.name, StringValue(*key, value.name).value_or("(not REG_SZ)"));
    return values;
}

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    return names;
}

TEST(SetupInf, GivesThePagesKeysAndFilesInTheMachine) {
    TempMachine machine;
    Install(machine);
    using Values = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(TextValues(machine, kClassKey), (Values{{"", "Brontar 3D Settings"}}));
    EXPECT_EQ(TextValues(machine, std::string(kClassKey) + "\\InprocServer32"),
              (Values{{"", "C:\\WINDOWS\\SYSTEM\\BRNTRSET.DLL"}, {"ThreadingModel", "Apartment"}}));
    EXPECT_EQ(TextValues(machine, kHandlerKey), (Values{{"", "{E41263E9-6834-4721-A6A6-CF963B5658BB}"}}));
    EXPECT_EQ(TextValues(machine, kUninstallKey),
              (Values{{"DisplayName", "Brontar 3D Settings"},
                      {"UninstallString", "RunDll setupx.dll,InstallHinfSection DefaultUninstall 4 BRNTRSET.INF"}}));

    const fs::path windows = machine.driveC() / "WINDOWS";
    EXPECT_EQ(FilesIn(windows), (std::set<std::string>{"BRNTRTST.EXE", "CASTLE.BMP", "BRNLOGO.BMP", "ROBOT2.BMP",
                                                       "VAULT1.BMP", "DESERT.BMP", "RACER.BMP"}));
    EXPECT_EQ(FilesIn(windows / "INF"), std::set<std::string>{"BRNTRSET.INF"});
    const std::set<std::string> system = FilesIn(windows / "SYSTEM");
    EXPECT_TRUE(system.count("BRNTRSET.DLL") && system.count("_brntrst.loc")) << system.size();
    EXPECT_EQ(ReadFileText(windows / "SYSTEM" / "BRNTRSET.DLL"), ReadFileText(kBin / "brntrset.so"));
    EXPECT_EQ(ReadFileText(windows / "SYSTEM" / "_brntrst.loc"), ReadFileText(kBin / "_brntrst.loc"));
    EXPECT_EQ(ReadFileText(windows / "BRNTRTST.EXE"), ReadFileText(kBin / "brntrtst"));
    EXPECT_EQ(ReadFileText(windows / "INF" / "BRNTRSET.INF"), ReadFileText(kBin / "BRNTRSET.INF"));
    struct stat info {};
    ASSERT_EQ(::stat((windows / "BRNTRTST.EXE").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);
    ASSERT_EQ(::stat((windows / "SYSTEM" / "BRNTRSET.DLL").c_str(), &info), 0);
}

TEST(SetupInf, SecondRunChangesNothingAndKeepsTheUsersBitmap) {
    TempMachine machine;
    Install(machine);
    WriteFileText(machine.driveC() / "WINDOWS" / "DESERT.BMP", "the user's own desert");
    const std::string registry = ReadFileText(machine.folder() / "registry.reg");
    const std::string progress = Install(machine);
    EXPECT_EQ(progress.find("installed"), std::string::npos) << progress;
    EXPECT_EQ(ReadFileText(machine.folder() / "registry.reg"), registry);
    EXPECT_EQ(ReadFileText(machine.driveC() / "WINDOWS" / "DESERT.BMP"), "the user's own desert");
}

TEST(SetupInf, ServerPathFollowsTheWindowsFolderOfMachineIni) {
    TempMachine machine;
    WriteFileText(machine.folder() / "machine.ini", "[windows]\ndirectory=C:\\WIN95\n");
    Install(machine);
    EXPECT_EQ(TextValues(machine, std::string(kClassKey) + "\\InprocServer32").front().second,
              "C:\\WIN95\\SYSTEM\\BRNTRSET.DLL");
    EXPECT_TRUE(fs::exists(machine.driveC() / "WIN95" / "SYSTEM" / "BRNTRSET.DLL"));
    EXPECT_TRUE(fs::exists(machine.driveC() / "WIN95" / "INF" / "BRNTRSET.INF"));
}

// A bin folder with the build's outputs and an INF of its own.
fs::path BinWithInf(const TempMachine& machine, const std::string& infText) {
    const fs::path bin = machine.scratch() / "bin";
    fs::create_directories(bin);
    for (const char* output : {"brntrset.so", "brntrtst", "_brntrst.loc"})
        fs::create_symlink(kBin / output, bin / output);
    WriteFileText(bin / "BRNTRSET.INF", infText);
    return bin;
}

// What setup said when it refused to install from bin, or "(installed)".
std::string RefusalOf(const TempMachine& machine, const fs::path& bin) {
    try {
        Install(machine, bin);
    } catch (const MachineError& error) {
        return error.what();
    }
    return "(installed)";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(SetupInf, ABrokenInfIsRefusedByLineAndReasonBeforeAnythingIsWritten) {
    const std::string good = ReadFileText(kBin / "BRNTRSET.INF");
    // Each case: one change to the good INF, and the refusal it must give
    // after "BRNTRSET.INF: " (a regular expression).
    const struct {
        const char *from, *to, *message;
    } cases[] = {
        {"ClassId=\"{", "ClassIdentifier=\"{", R"(line [0-9]+: %ClassId% is not defined in \[Strings\])"},
        {"ThreadingModel,,", "ThreadingModel,zero,", R"(line [0-9]+: the flags 'zero' are not a number)"},
        {"HKLM,%DisplayHandlers%", "HKU,%DisplayHandlers%",
         R"(line [0-9]+: the registry root 'HKU' is not one the machine has)"},
        {"Brontar.WindowsFiles=10", "Brontar.WindowsFiles=25",
         R"(line [0-9]+: folder 25 of BRNTRTST\.EXE is not one the machine has)"},
        {"Brontar.WindowsFiles=10", "Brontar.WindowsFiles=ten", R"(line [0-9]+: the folder 'ten' is not a number)"},
        {"RACER.BMP=1", "", R"(line [0-9]+: RACER\.BMP is not listed in \[SourceDisksFiles\])"},
        {"[Brontar.InfFile]", "[Brontar.InfFile", R"(line [0-9]+: section name without '\]')"},
        {"[Brontar.SystemFiles]", "[Brontar.SystemFilez]", R"(CopyFiles section \[Brontar\.SystemFiles\] is missing)"},
        {"[DefaultInstall]", "[NoDefaultInstall]", R"(no \[DefaultInstall\] section)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempMachine machine;
        const std::string refusal = RefusalOf(machine, BinWithInf(machine, Replaced(good, c.from, c.to)));
        EXPECT_TRUE(std::regex_search(refusal, std::regex(std::string(R"(BRNTRSET\.INF: )") + c.message))) << refusal;
        const fs::path windows = machine.driveC() / "WINDOWS";
        for (const char* file : {"SYSTEM/BRNTRSET.DLL", "BRNTRTST.EXE", "CASTLE.BMP"})
            EXPECT_FALSE(fs::exists(windows / file)) << file;
        EXPECT_EQ(reg::ReadRegistry(machine.folder()).content->tree.FindKey(kClassKey), nullptr);
    }
}

TEST(SetupInf, DelFilesRemoveAndDirectivesTheMachineLacksAreNamed) {
    TempMachine machine;
    std::string text = Replaced(ReadFileText(kBin / "BRNTRSET.INF"), "[DefaultInstall]\r\n",
                                "[DefaultInstall]\r\nDelFiles=Old.Files\r\nUpdateInis=Old.Ini\r\n");
    text = Replaced(text, "[DestinationDirs]\r\n", "[DestinationDirs]\r\nOld.Files=11,OLDPAGE\r\n");
    text += "[Old.Files]\r\nBRNOLD.DLL\r\n";
    const fs::path old = machine.driveC() / "WINDOWS" / "SYSTEM" / "OLDPAGE" / "brnold.dll";
    WriteFileText(old, "the page's first version");
    const std::string progress = Install(machine, BinWithInf(machine, text));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_NE(progress.find("removed " + old.string()), std::string::npos) << progress;
    EXPECT_NE(progress.find("BRNTRSET.INF: [DefaultInstall] UpdateInis is not carried out in the machine"),
              std::string::npos)
        << progress;
    EXPECT_TRUE(fs::exists(machine.driveC() / "WINDOWS" / "SYSTEM" / "BRNTRSET.DLL"));
}

TEST(SetupInf, WithoutTheInfSetupSaysWhereItLooked) {
    TempMachine machine;
    const fs::path bin = machine.scratch() / "empty-bin";
    fs::create_directories(bin);
    EXPECT_EQ(RefusalOf(machine, bin), (bin / "BRNTRSET.INF").string() +
                                           " not found: the settings page and the test screen are not installed");
    EXPECT_TRUE(fs::exists(machine.folder() / "machine.ini"));  // the rest of the machine is there
}

// The Windows build puts the bitmaps on its setup disk with brontar-bitmaps:
// the same files the machine's installer paints.
TEST(SetupInf, TheBitmapToolWritesTheBitmapsSetupInstalls) {
    TempMachine machine;
    Install(machine);
    const fs::path disk = machine.scratch() / "floppy";
    const std::string tool = (kBin / "brontar-bitmaps").string();
    ASSERT_EQ(std::system((tool + " '" + disk.string() + "'").c_str()), 0);
    EXPECT_EQ(FilesIn(disk), (std::set<std::string>{"CASTLE.BMP", "BRNLOGO.BMP", "ROBOT2.BMP", "VAULT1.BMP",
                                                    "DESERT.BMP", "RACER.BMP"}));
    for (const std::string& name : FilesIn(disk))
        EXPECT_EQ(ReadFileText(disk / name), ReadFileText(machine.driveC() / "WINDOWS" / name)) << name;
    EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
}

// Every value a registry tree holds, counted through all keys.
size_t CountValues(const reg::RegistryKey& key) {
    size_t count = key.Values().size();
    for (const auto& [name, subkey] : key.Subkeys()) count += CountValues(*subkey);
    return count;
}

TEST(SetupInf, DefaultUninstallRemovesEverythingDefaultInstallAdds) {
    const inf::InfFile file = inf::InfFile::Parse(ReadFileText(kBin / "BRNTRSET.INF"), {{10, "C:\\W"}, {11, "C:\\S"}});
    const inf::InfInstallSection install = inf::ReadInstallSection(file, "DefaultInstall");
    const inf::InfInstallSection uninstall = inf::ReadInstallSection(file, "DefaultUninstall");
    EXPECT_TRUE(uninstall.copyFiles.empty());
    EXPECT_TRUE(uninstall.addReg.empty());

    const auto placed = [](const std::vector<inf::InfFileEntry>& files) {
        std::set<std::pair<int, std::string>> where;
        for (const inf::InfFileEntry& file : files) where.emplace(file.directoryId, file.name);
        return where;
    };
    EXPECT_EQ(placed(install.copyFiles).size(), 10u);
    EXPECT_EQ(placed(uninstall.delFiles), placed(install.copyFiles));

    reg::RegistryTree tree;
    for (const inf::InfLine& line : install.addReg) inf::ApplyAddRegLine(line, tree.CreateKey(line.fields[0]));
    EXPECT_EQ(CountValues(tree.Top()), 6u);
    for (const inf::InfLine& line : uninstall.delReg)
        if (reg::RegistryKey* root = tree.FindKey(line.fields[0])) inf::ApplyDelRegLine(line, *root);
    EXPECT_EQ(CountValues(tree.Top()), 0u);
    EXPECT_EQ(tree.FindKey(kClassKey), nullptr);
    EXPECT_EQ(tree.FindKey(kHandlerKey), nullptr);
    EXPECT_EQ(tree.FindKey(kUninstallKey), nullptr);
}

}  // namespace
