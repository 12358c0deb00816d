// brontar monitor import, list and use end to end on a throwaway machine,
// read back as the settings page reads the monitor; and the page itself
// offering only the rates an imported monitor can show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "machine/machine_ini.h"
#include "machine/monitor/edid.h"
#include "machine/registry/registry_store.h"
#include "propsheet/monitor_info.h"
#include "tests/support/brontar_command.h"
#include "tests/support/system_fixtures.h"

namespace brontar::testing {
namespace {

namespace fs = std::filesystem;
namespace reg = machine::registry;

const fs::path kData = BRONTAR_MONITOR_DATA;

class MonitorCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Run("setup").status, 0); }

    CommandResult Run(const std::string& arguments) { return RunBrontar(arguments, machine_.scratch()); }

    std::string AttachedDeviceKey() const {
        return machine::MachineIni::Parse(ReadFileText(machine_.folder() / "machine.ini"))
            .GetOr("monitor", "devicekey", "");
    }

    // A value of the attached monitor's class key, as text or bytes.
    std::optional<reg::Bytes> ClassValue(const std::string& subkey, const std::string& name) const {
        MonitorInfo info{};
        if (!LoadMonitorInfo(&info)) return std::nullopt;
        const auto snapshot = reg::ReadRegistry(machine_.folder());
        const reg::RegistryKey* key = snapshot.content->tree.FindKey(
            std::string("HKLM\\System\\CurrentControlSet\\Services\\Class\\") + info.szClassKey + subkey);
        const reg::RegistryValue* value = key ? key->FindValue(name) : nullptr;
        if (value == nullptr) return std::nullopt;
        return value->data;
    }
    std::string ClassText(const std::string& subkey, const std::string& name) const {
        const auto bytes = ClassValue(subkey, name);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes->data())) : "(missing)";
    }

    LoggedMachine machine_;
};

// Without a devicekey line the monitor is the one under the default key that
// docs/machine.md gives (and setup fills); an empty devicekey names none.
TEST_F(MonitorCommandTest, MissingDeviceKeyMeansTheDefaultKey) {
    const fs::path ini = machine_.folder() / "machine.ini";
    std::string text = ReadFileText(ini);
    const size_t line = text.find("devicekey=");
    ASSERT_NE(line, std::string::npos);
    text.erase(line, text.find('\n', line) + 1 - line);
    WriteFileText(ini, text);
    const CommandResult run = Run("monitor");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("class key:          Monitor\\0000\n"), std::string::npos) << run.out;
    WriteFileText(ini, machine::WithIniValue(text, "monitor", "devicekey", ""));
    EXPECT_EQ(Run("monitor").status, 1);
}

TEST_F(MonitorCommandTest, ImportsEveryEdidAndKeepsTheMonitorsBefore) {
    int imported = 0;
    for (const auto& entry : fs::directory_iterator(kData)) {
        if (entry.path().extension() != ".bin") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const CommandResult run = Run("monitor import " + entry.path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        ++imported;
        const std::string bytes = ReadFileText(entry.path());
        const auto edid = machine::monitor::ReadEdid(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\" + edid.PnpId() + "\\0001");
        // The page finds the monitor through the device key's class link.
        MonitorInfo info{};
        ASSERT_EQ(LoadMonitorInfo(&info), 1);
        const std::string name = edid.productName.empty() ? edid.PnpId() : edid.productName;
        EXPECT_STREQ(info.szDescription, name.c_str());
        const auto [width, height] = edid.LargestResolution();
        EXPECT_EQ(info.lMaxWidth, width);
        EXPECT_EQ(info.lMaxHeight, height);
        EXPECT_GT(info.lVerticalMax, info.lVerticalMin);
        EXPECT_GT(info.lHorizontalMax, info.lHorizontalMin);
        EXPECT_NE(Run("monitor").out.find("source:             EDID (" + edid.PnpId() + ")\n"), std::string::npos);
    }
    EXPECT_EQ(imported, 7);
    // The setup's monitor and the seven, each once; importing again adds nothing.
    ASSERT_EQ(Run("monitor import " + (kData / "crt-1999-dell-m770.bin").string()).status, 0);
    const std::string list = Run("monitor list").out;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 8) << list;
    EXPECT_NE(list.find("* 3  DELL M770, from EDID (DEL71A5), HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEL71A5\\0001\n"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("Kestrel KM-1570 15-inch Color Monitor, from installer default"), std::string::npos);
    // A repair names the attached monitor, not setup's own.
    const CommandResult repair = Run("setup");
    EXPECT_NE(repair.out.find("monitor: DELL M770 at HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEL71A5\\0001\n"),
              std::string::npos)
        << repair.out;
}

TEST_F(MonitorCommandTest, SampleInfModesAreTheFilesOwnAndItsContinuedEdidIsWhole) {
    const std::string file = (kData / "inf-ms-monsamp-edid-override.inf").string();
    const CommandResult listed = Run("monitor import " + file);
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("1 model "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  MS EDID Override  [MS_EDID_OVERRIDE, MONITOR\\MON1234]\n"), std::string::npos);
    EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\DEFAULT_MONITOR\\0001");  // listing installs nothing

    const CommandResult run = Run("monitor import " + file + " 'MS EDID Override'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\MON1234\\0001");
    EXPECT_EQ(ClassText("\\MODES\\1024,768", "Mode1"), "31.0-94.0,55.0-160.0,+,+");
    EXPECT_EQ(ClassText("\\MODES\\1280,1024", "Mode1"), "31.0-94.0,55.0-160.0,+,+");
    // Both MaxResolution sections are applied in their list's order.
    EXPECT_EQ(ClassText("", "MaxResolution"), "1280,1024");
    EXPECT_EQ(ClassText("", "DPMS"), "1");

    // The EDID spread over continued lines lands whole in the device key.
    const auto snapshot = reg::ReadRegistry(machine_.folder());
    const reg::RegistryKey* key = snapshot.content->tree.FindKey("HKLM\\Enum\\MONITOR\\MON1234\\0001\\EDID_OVERRIDE");
    ASSERT_NE(key, nullptr);
    ASSERT_NE(key->FindValue("0"), nullptr);
    const machine::monitor::Edid edid = machine::monitor::ReadEdid(key->FindValue("0")->data);
    EXPECT_EQ(edid.productName, "MS 1234");
    EXPECT_EQ(edid.rangeLimits->verticalMinHz, 56);
    EXPECT_EQ(edid.rangeLimits->horizontalMaxKHz, 80);
    EXPECT_NE(Run("monitor").out.find(
                  "source:             INF inf-ms-monsamp-edid-override.inf, model MS EDID Override (section "
                  "MS_EDID_OVERRIDE-1.Install.NTx86)\n"),
              std::string::npos);
}

TEST_F(MonitorCommandTest, Win95InfListsEveryModelInstallsOneAndUseSwitchesBack) {
    const std::string file = (kData / "kestrel-win95.inf").string();
    const CommandResult listed = Run("monitor import " + file);
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, file + ": 3 models (install one with: brontar monitor import FILE MODEL)\n"
                                 "  Kestrel KM-1470 14\" Colour Monitor  [Kestrel Displays, Monitor\\KES1470]\n"
                                 "  Kestrel KM-1770 17\" Colour Monitor  [Kestrel Displays, Monitor\\KES1770]\n"
                                 "  Osprey OV-14 (100% tested)  [Osprey Vision]\n");

    // Its model line and a mode line are continued; the lines end in CR LF.
    ASSERT_EQ(Run("monitor import " + file + " 'Monitor\\KES1770'").status, 0);
    EXPECT_EQ(ClassText("", "DriverDesc"), "Kestrel KM-1770 17\" Colour Monitor");
    EXPECT_EQ(ClassText("", "MaxResolution"), "1280,1024");
    EXPECT_EQ(ClassText("\\MODES\\640,480", "Mode1"), "31.5-37.9,60.0-75.0,-,-");
    EXPECT_EQ(ClassText("\\MODES\\1280,1024", "Mode1"), "30.0-70.0,50.0-100.0,+,+");
    EXPECT_EQ(ClassText("", "InfSection"), "KM-1770.Install");
    ModeLimits limits{640, 480, 0, 0, 0, 0};
    ASSERT_EQ(GetModeLimits(&limits), 1);
    EXPECT_EQ(limits.wHorizontalMax, 37);
    EXPECT_EQ(limits.wVerticalMin, 60);

    // A model without a hardware id, with its timing from [Strings].
    ASSERT_EQ(Run("monitor import " + file + " 'Osprey OV-14 (100% tested)'").status, 0);
    EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\DEFAULT_MONITOR\\0002");
    EXPECT_EQ(ClassText("\\MODES\\800,600", "Mode1"), "30.0-38.0,50.0-75.0,+,+");

    const std::string list = Run("monitor list").out;
    EXPECT_EQ(list,
              "  1  Kestrel KM-1570 15-inch Color Monitor, from installer default, "
              "HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEFAULT_MONITOR\\0001\n"
              "* 2  Osprey OV-14 (100% tested), from INF kestrel-win95.inf, model Osprey OV-14 (100% tested) "
              "(section OV-14.Install), HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\DEFAULT_MONITOR\\0002\n"
              "  3  Kestrel KM-1770 17\" Colour Monitor, from INF kestrel-win95.inf, model Kestrel KM-1770 17\" "
              "Colour Monitor (section KM-1770.Install), HKEY_LOCAL_MACHINE\\Enum\\MONITOR\\KES1770\\0001\n");
    ASSERT_EQ(Run("monitor use 1").status, 0);
    EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\DEFAULT_MONITOR\\0001");
    EXPECT_EQ(ClassText("", "DriverDesc"), "Kestrel KM-1570 15-inch Color Monitor");
    EXPECT_NE(Run("monitor").out.find("source:             installer default\n"), std::string::npos);
    EXPECT_EQ(Run("monitor use 4").status, 1);
    EXPECT_EQ(Run("monitor use x").status, 1);
}

// Damaged EDIDs and unsound INFs are refused by name and reason; the
// registry and machine.ini stay byte for byte.
TEST_F(MonitorCommandTest, BadInputIsRefusedAndChangesNothing) {
    const std::string m770 = ReadFileText(kData / "crt-1999-dell-m770.bin");
    const std::string vw246 = ReadFileText(kData / "lcd-asus-vw246-hdmi-cea.bin");
    const auto withChecksum = [](std::string bytes) {
        uint8_t sum = 0;
        for (size_t i = 0; i < 127; ++i) sum = uint8_t(sum + uint8_t(bytes[i]));
        bytes[127] = char(uint8_t(-sum));
        return bytes;
    };
    // The M770's range descriptor is the last one: 48-160 Hz at bytes 113 and 114.
    ASSERT_EQ(uint8_t(m770[111]), 0xFD);
    std::string zeroHertz = m770, reversed = m770, badHeader = m770, badSum = m770, badExtension = vw246;
    zeroHertz[113] = 0;
    std::swap(reversed[113], reversed[114]);
    badHeader[1] = 0;
    badSum[20] ^= 1;
    badExtension[200] ^= 1;
    const struct {
        std::string name;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"cut.bin", m770.substr(0, 100), "truncated: 100 bytes"},
        {"no-extension.bin", vw246.substr(0, 128), "announces 1 extension blocks"},
        {"header.bin", badHeader, "header"},
        {"sum.bin", badSum, "checksum of block 0"},
        {"extension-sum.bin", badExtension, "checksum of block 1"},
        {"zero.bin", withChecksum(zeroHertz), "0 Hz"},
        {"reversed.bin", withChecksum(reversed), "reversed"},
        {"no-modes.inf", ReadFileText(kData / "no-modes.inf"), "no modes"},
        {"absurd-frequency.inf", ReadFileText(kData / "absurd-frequency.inf"), "100000.0 kHz"},
    };
    const std::string registry = ReadFileText(machine_.folder() / "registry.reg");
    const std::string ini = ReadFileText(machine_.folder() / "machine.ini");
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.name);
        const fs::path file = machine_.scratch() / bad.name;
        WriteFileText(file, bad.bytes);
        const std::string model = bad.name == "no-modes.inf"           ? " 'Kestrel KM-1000'"
                                  : bad.name == "absurd-frequency.inf" ? " 'Kestrel KM-9999'"
                                                                       : "";
        const CommandResult run = Run("monitor import " + file.string() + model);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.find("brontar monitor: " + file.string() + ": "), 0u) << run.err;
        EXPECT_NE(run.err.find(bad.reason), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileText(machine_.folder() / "registry.reg"), registry);
        EXPECT_EQ(ReadFileText(machine_.folder() / "machine.ini"), ini);
    }
    const CommandResult unknown = Run("monitor import " + (kData / "kestrel-win95.inf").string() + " 'KM-2000'");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no model 'KM-2000'"), std::string::npos);
    EXPECT_EQ(Run("monitor import " + (machine_.scratch() / "missing.bin").string()).status, 1);
    EXPECT_EQ(ReadFileText(machine_.folder() / "registry.reg"), registry);
}

// Values an INF writes over setup's own would cut the monitor off from its
// class key or rename it; setup's values win.
TEST_F(MonitorCommandTest, InfCannotRedirectTheDriverLinkOrTheName) {
    const fs::path file = machine_.scratch() / "redirect.inf";
    WriteFileText(file,
                  "[Manufacturer]\nKestrel=Models\n[Models]\nKestrel KM-1=Install\n"
                  "[Install]\nAddReg=Class\n[Install.HW]\nAddReg=Device\n"
                  "[Class]\nHKR,,DriverDesc,,\"Another\"\nHKR,\"MODES\\640,480\",Mode1,,\"30-40,50-60\"\n"
                  "[Device]\nHKR,,Driver,,\"Monitor\\0000\"\n");
    ASSERT_EQ(Run("monitor import " + file.string() + " 'Kestrel KM-1'").status, 0);
    MonitorInfo info{};
    ASSERT_EQ(LoadMonitorInfo(&info), 1);
    EXPECT_STREQ(info.szDescription, "Kestrel KM-1");
    EXPECT_STREQ(info.szClassKey, "Monitor\\0001");
    EXPECT_EQ(info.lHorizontalMax, 40);
}

TEST_F(MonitorCommandTest, ThisDisplayImportsTheConnectedEdidOrSaysThereIsNone) {
    bool exposed = false;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/class/drm", error))
        exposed = exposed || fs::file_size(entry.path() / "edid", error) > 0;
    const CommandResult run = Run("monitor import --this-display");
    if (exposed) {
        EXPECT_EQ(run.status, 0) << run.err;
    } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("this computer shows no monitor's EDID"), std::string::npos) << run.err;
        EXPECT_EQ(AttachedDeviceKey(), "Enum\\MONITOR\\DEFAULT_MONITOR\\0001");
    }
}

// The monitor's limits reach the page: at 800x600 the board's rows are 60 Hz
// at 39 kHz, 75 Hz at 48 kHz and 85 Hz at 55 kHz; 31.5-48 kHz (read as 31-48)
// and 50-90 Hz take the first two (48 is inside, bounds count) and refuse
// 85 Hz by its 55 kHz alone.
TEST_F(MonitorCommandTest, PanelOffersOnlyTheRatesTheImportedMonitorCanShow) {
    ScopedEnvironment display("BRONTAR_DISPLAY", "headless");
    ScopedEnvironment language("LANG", "en_US.UTF-8");
    ASSERT_EQ(Run("monitor import " + (kData / "kestrel-win95.inf").string() + " 'Monitor\\KES1470'").status, 0);
    const fs::path script = machine_.scratch() / "panel.script";
    WriteFileText(script, "select 1036 800 x 600\ndump\n");
    const CommandResult run = Run("panel --script " + script.string());
    ASSERT_EQ(run.status, 0) << run.err;

    // The dump's line of a control, whatever else it shows.
    const auto control = [&](const std::string& id) {
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with(id + " ")) return line;
        return std::string();
    };
    EXPECT_NE(control("1012").find("items=[\"60 Hz\",\"75 Hz\"]"), std::string::npos) << run.out;
    EXPECT_NE(control("1036").find("\"800 x 600\"]"), std::string::npos);  // the largest listed, 1024 wide allows it
    EXPECT_NE(control("1044").find("\"Kestrel KM-1470 14\\\" Colour Monitor\""), std::string::npos) << run.out;
    EXPECT_NE(control("1028").find("\"90 Hz"), std::string::npos) << run.out;
    EXPECT_NE(control("1045").find("\"50 Hz"), std::string::npos);
    EXPECT_NE(control("1041").find("\"48 Khz"), std::string::npos);
    EXPECT_NE(control("1046").find("\"31 Khz"), std::string::npos);
}

}  // namespace
}  // namespace brontar::testing
