// The monitor's limits as the page reads them from the display class data.
#include <gtest/gtest.h>

#include <string>

#include "propsheet/monitor_info.h"
#include "tests/support/monitor_registry.h"
#include "tests/support/system_fixtures.h"

namespace {

using brontar::testing::LoggedMachine;
using brontar::testing::MonitorKeys;
using brontar::testing::WriteFileText;

struct Limits {
    int horizontalMax, horizontalMin, verticalMax, verticalMin;
    bool operator==(const Limits&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Limits& l) {
    return out << "H " << l.horizontalMin << "-" << l.horizontalMax << " V " << l.verticalMin << "-" << l.verticalMax;
}

class MonitorLimits : public ::testing::Test {
protected:
    MonitorLimits() { WriteFileText(machine.system() / "qorhlp16.dll", "16-bit support library"); }
    void Give(const MonitorKeys& keys) const { brontar::testing::WriteMonitorKeys(machine.folder(), keys); }
    // GetModeLimits for one resolution, with its result.
    std::pair<int, Limits> For(int width, int height) const {
        ModeLimits limits{static_cast<WORD>(width), static_cast<WORD>(height), 9, 9, 9, 9};
        const int result = GetModeLimits(&limits);
        EXPECT_EQ(limits.wWidth, width);
        EXPECT_EQ(limits.wHeight, height);
        return {result, {limits.wHorizontalMax, limits.wHorizontalMin, limits.wVerticalMax, limits.wVerticalMin}};
    }
    MonitorInfo Load(int expectedResult = 1) const {
        MonitorInfo info{};
        EXPECT_EQ(LoadMonitorInfo(&info), expectedResult);
        return info;
    }
    static Limits DefaultsOf(const MonitorInfo& info) {
        return {info.lHorizontalMax, info.lHorizontalMin, info.lVerticalMax, info.lVerticalMin};
    }

    LoggedMachine machine;
};

TEST_F(MonitorLimits, NarrowestEntryAtLeastAsWideAsTheModeGivesItsLimits) {
    MonitorKeys keys;
    keys.modes = {{"640,480", "30-38,50-70,+,+"}, {"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    const MonitorInfo info = Load();
    EXPECT_STREQ(info.szDescription, "Test Monitor");
    EXPECT_STREQ(info.szClassKey, "Monitor\\0000");
    EXPECT_EQ(info.lMaxWidth, 1024);
    EXPECT_EQ(info.lMaxHeight, 768);
    EXPECT_EQ(DefaultsOf(info), (Limits{64, 30, 100, 50}));
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{64, 30, 100, 50}));
    EXPECT_EQ(For(640, 480), std::make_pair(1, Limits{38, 30, 70, 50}));
    EXPECT_EQ(For(512, 384), std::make_pair(1, Limits{38, 30, 70, 50}));
    EXPECT_EQ(machine.log(), "");
}

TEST_F(MonitorLimits, SingleEntryAppliesToEveryResolutionUpToTheMaximum) {
    MonitorKeys keys;
    keys.maxResolution = "800,600";
    keys.modes = {{"800,600", "31.0-65.0,55.0-120.0,+,+"}};
    Give(keys);
    EXPECT_EQ(For(512, 384), std::make_pair(1, Limits{65, 31, 120, 55}));
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{65, 31, 120, 55}));
    // Above the maximum resolution: no limits, but the monitor is known.
    EXPECT_EQ(For(1024, 768), std::make_pair(1, Limits{0, 0, 0, 0}));
    EXPECT_EQ(For(800, 601), std::make_pair(1, Limits{0, 0, 0, 0}));
}

TEST_F(MonitorLimits, ModeWiderThanEveryEntryTakesTheWidest) {
    MonitorKeys keys;
    keys.maxResolution = "1600,1200";
    keys.modes = {{"640,480", "30-38,50-70,+,+"}, {"1024,768", "30.5-45.0,58.0-85.0,+,+"}, {"800,600", "1-2,3-4"}};
    Give(keys);
    EXPECT_EQ(For(1280, 1024), std::make_pair(1, Limits{45, 30, 85, 58}));
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{2, 1, 4, 3}));
}

TEST_F(MonitorLimits, EntryNamedWithABlankIsReadButNotFoundAgain) {
    MonitorKeys keys;
    keys.modes = {{"640, 480", "30-38,50-70,+,+"}, {"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    EXPECT_EQ(For(640, 480), std::make_pair(1, Limits{0, 0, 0, 0}));
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{64, 30, 100, 50}));
}

TEST_F(MonitorLimits, TimingTooLongForTheDefaultsIsStillReadForOneResolution) {
    const std::string longTiming = "30-64,50-100,+,+,extra-fields-000";  // 33 characters
    MonitorKeys keys;
    keys.modes = {{"640,480", "30-38,50-70,+,+"}, {"1024,768", longTiming}};
    Give(keys);
    EXPECT_EQ(DefaultsOf(Load()), (Limits{0, 0, 0, 0}));
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{64, 30, 100, 50}));
    // 64 characters and more do not fit even there.
    keys.modes[1].second = "30-64,50-100,+," + std::string(49, '+');
    Give(keys);
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{0, 0, 0, 0}));
}

TEST_F(MonitorLimits, MoreThanTenEntriesGiveNoLimitsAtAll) {
    MonitorKeys keys;
    for (int i = 0; i < 11; ++i) keys.modes.emplace_back(std::to_string(640 + i) + ",480", "30-64,50-100,+,+");
    Give(keys);
    EXPECT_EQ(DefaultsOf(Load()), (Limits{0, 0, 0, 0}));
    EXPECT_EQ(For(640, 480), std::make_pair(1, Limits{0, 0, 0, 0}));
    keys.modes.pop_back();  // ten are handled
    Give(keys);
    EXPECT_EQ(For(640, 480), std::make_pair(1, Limits{64, 30, 100, 50}));
}

TEST_F(MonitorLimits, NoModesKeyGivesNoLimits) {
    Give(MonitorKeys{});
    EXPECT_EQ(DefaultsOf(Load()), (Limits{0, 0, 0, 0}));
    EXPECT_EQ(For(640, 480), std::make_pair(1, Limits{0, 0, 0, 0}));
}

TEST_F(MonitorLimits, MissingMaximumResolutionIsNoBound) {
    MonitorKeys keys;
    keys.maxResolution = nullptr;
    keys.modes = {{"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    const MonitorInfo info = Load();
    EXPECT_EQ(info.lMaxWidth, MONITOR_NO_BOUND);
    EXPECT_EQ(info.lMaxHeight, MONITOR_NO_BOUND);
    EXPECT_EQ(For(800, 600), std::make_pair(1, Limits{64, 30, 100, 50}));
    EXPECT_EQ(For(65535, 65535), std::make_pair(1, Limits{64, 30, 100, 50}));
}

TEST_F(MonitorLimits, MaximumResolutionWithoutACommaBoundsTheWidthOnly) {
    MonitorKeys keys;
    keys.maxResolution = "800";
    keys.modes = {{"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    const MonitorInfo info = Load();
    EXPECT_EQ(info.lMaxWidth, 800);
    EXPECT_EQ(info.lMaxHeight, MONITOR_NO_BOUND);
    EXPECT_EQ(For(800, 4000), std::make_pair(1, Limits{64, 30, 100, 50}));
    EXPECT_EQ(For(801, 600), std::make_pair(1, Limits{0, 0, 0, 0}));
}

TEST_F(MonitorLimits, UnidentifiedMonitorGivesZeroResult) {
    MonitorKeys keys;
    keys.modes = {{"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    machine.AppendMachineIni("[monitor]\ndevicekey=\n");
    EXPECT_EQ(For(640, 480), std::make_pair(0, Limits{0, 0, 0, 0}));
    // A device key without "Driver".
    machine.AppendMachineIni("[monitor]\ndevicekey=Enum\\MONITOR\\NONE\n");
    MonitorInfo info{};
    EXPECT_EQ(LoadMonitorInfo(&info), 0);
    EXPECT_EQ(machine.log(), "");
}

TEST_F(MonitorLimits, MissingSupportLibraryShowsItsBoxOnEveryCall) {
    MonitorKeys keys;
    keys.modes = {{"1024,768", "30-64,50-100,+,+"}};
    Give(keys);
    std::filesystem::remove(machine.system() / "qorhlp16.dll");
    MonitorInfo info{};
    info.lMaxWidth = 123;  // fields that cannot be read keep what the caller put there
    EXPECT_EQ(LoadMonitorInfo(&info), 0);
    EXPECT_EQ(info.lMaxWidth, 123);
    EXPECT_EQ(For(640, 480), std::make_pair(0, Limits{0, 0, 0, 0}));
    EXPECT_EQ(machine.log(),
              "MessageBox [ERROR] Error Loading qorhlp16.dll\nMessageBox [ERROR] Error Loading qorhlp16.dll\n");
}

struct TimingCase {
    const char* text;
    int result;
    Limits limits;  // 7 where the text does not reach
};

TEST(ParseModeTiming, TimingTextsAsMonitorFilesWriteThem) {
    const TimingCase cases[] = {
        {"30-64,50-100,+,+", 1, {64, 30, 100, 50}},
        {"31.5,60,-,-", 1, {31, 31, 60, 60}},
        {"31.0-65.0,55.0-120.0,+,+", 1, {65, 31, 120, 55}},
        {"30.5-45.0,58.0-85.0,+,+", 1, {45, 30, 85, 58}},
        {"30-64,50", 1, {64, 30, 50, 50}},
        {" 30 - 64 , 50 - 100", 1, {64, 30, 100, 50}},
        {"60", 0, {7, 60, 7, 7}},
        {"30-64", 0, {64, 30, 7, 7}},
        {"", 0, {7, 0, 7, 7}},
        {",", 1, {0, 0, 0, 0}},
    };
    for (const TimingCase& c : cases) {
        MonitorInfo info{};
        info.lHorizontalMax = info.lHorizontalMin = info.lVerticalMax = info.lVerticalMin = 7;
        EXPECT_EQ(ParseModeTiming(c.text, &info), c.result) << c.text;
        EXPECT_EQ((Limits{info.lHorizontalMax, info.lHorizontalMin, info.lVerticalMax, info.lVerticalMin}), c.limits)
            << c.text;
    }
}

}  // namespace
