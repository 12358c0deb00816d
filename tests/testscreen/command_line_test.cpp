#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/temp_machine.h"
#include "testscreen/test_screen.h"

using brontar::testing::TempMachine;

namespace {

// Stores a value under the settings key of the test's machine.
void StoreValue(const char* name, const void* data, DWORD size, DWORD type = REG_DWORD) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Corvane Interactive\\Halcyon Graphics", &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void StoreRefresh(const char* name, LONG hertz) { StoreValue(name, &hertz, sizeof hertz); }

MODESELECTION Select(const std::string& commandLine) {
    MODESELECTION mode{-1, -1, -1, -1};
    SelectMode(commandLine.c_str(), &mode);
    return mode;
}

}  // namespace

TEST(FindModeArgument, FirstTokenAfterSwitchCharactersNamesTheMode) {
    const struct {
        const char* commandLine;
        int mode;
    } cases[] = {
        {"", -1},
        {"//--/", -1},
        {"/512x384", 0},
        {"-512x384", 0},
        {"/640x400", 1},
        {"/640x480", 2},
        {"/800x600", 3},
        {"800x600", 3},             // no switch character needed
        {"/640x480 /gamma", 2},     // the token keeps its trailing blank
        {"/640x4801", 2},           // characters after the seventh are ignored
        {"/640X480", -1},           // case matters
        {"/1024x768", -1},
        {"/640x48/gamma", -1},      // a six-character token
        {"/800x600 /640x480", 3},   // only the first token counts
        {" /800x600", -1},          // a leading blank is part of the token
        {"/-/640x480", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(FindModeArgument(c.commandLine), c.mode) << '"' << c.commandLine << '"';
    EXPECT_EQ(FindModeArgument(nullptr), -1);
}

TEST(SelectMode, ReadsTheStoredRateOfTheChosenMode) {
    TempMachine machine;
    StoreRefresh("REFRESH_512x384", 72);
    StoreRefresh("REFRESH_640x400", 70);
    StoreRefresh("REFRESH_640x480", 75);
    StoreRefresh("REFRESH_800x600", 85);
    const struct {
        const char* commandLine;
        int width, height, refresh;
    } cases[] = {
        {"/512x384", 512, 384, 72}, {"/640x400", 640, 400, 70}, {"/640x480", 640, 480, 75},
        {"/800x600", 800, 600, 85}, {"-512x384", 512, 384, 72},
    };
    for (const auto& c : cases) {
        const MODESELECTION mode = Select(c.commandLine);
        EXPECT_EQ(mode.width, c.width) << c.commandLine;
        EXPECT_EQ(mode.height, c.height) << c.commandLine;
        EXPECT_EQ(mode.refresh, c.refresh) << c.commandLine;
        EXPECT_EQ(mode.bitDepth, 16) << c.commandLine;
    }
}

TEST(SelectMode, UnknownOrMissingModeShowsTheDefaultWithoutReadingTheKey) {
    TempMachine machine;
    StoreRefresh("REFRESH_640x480", 75);
    for (const char* commandLine : {"", "/", "/640X480", "/1024x768"}) {
        const MODESELECTION mode = Select(commandLine);
        EXPECT_EQ(mode.width, 640) << commandLine;
        EXPECT_EQ(mode.height, 480) << commandLine;
        EXPECT_EQ(mode.refresh, 60) << commandLine;  // 75 is stored but not read
    }
}

TEST(SelectMode, GammaSwitchForcesSixtyHertzAt640x480Only) {
    TempMachine machine;
    StoreRefresh("REFRESH_640x480", 100);
    StoreRefresh("REFRESH_800x600", 75);
    EXPECT_EQ(Select("/640x480 /gamma").refresh, 60);
    EXPECT_EQ(Select("/640x480/gamma").refresh, 60);
    EXPECT_EQ(Select("/640x480 /nogammas").refresh, 60);  // found inside a word
    EXPECT_EQ(Select("/640x480 /GAMMA").refresh, 100);    // case-sensitive
    EXPECT_EQ(Select("/800x600 /gamma").refresh, 75);
    EXPECT_EQ(Select("/640x480").refresh, 100);
}

TEST(SelectMode, StoredRatesOutsideSixtyToOneHundredTwentyBecomeSixty) {
    TempMachine machine;
    const struct {
        LONG stored;
        int shown;
    } cases[] = {{60, 60}, {120, 120}, {59, 60}, {121, 60}, {150, 60}, {0, 60}, {-75, 60}, {INT32_MIN, 60}};
    for (const auto& c : cases) {
        StoreRefresh("REFRESH_640x400", c.stored);
        EXPECT_EQ(Select("/640x400").refresh, c.shown) << c.stored;
    }
}

TEST(SelectMode, MissingOrMisshapenValueKeepsSixty) {
    TempMachine machine;
    EXPECT_EQ(Select("/640x400").refresh, 60);  // no key at all
    StoreRefresh("REFRESH_800x600", 85);
    EXPECT_EQ(Select("/640x400").refresh, 60);  // key, but not this value
    const WORD shortValue = 75;
    StoreValue("REFRESH_640x400", &shortValue, sizeof shortValue, REG_BINARY);
    EXPECT_EQ(Select("/640x400").refresh, 60);  // two bytes are not a rate
    const char text[] = "100000";
    StoreValue("REFRESH_640x400", text, sizeof text, REG_SZ);
    EXPECT_EQ(Select("/640x400").refresh, 60);  // does not fit the four bytes
}

TEST(SelectMode, OverlongCommandLineIsCutForTheGammaScan) {
    TempMachine machine;
    StoreRefresh("REFRESH_640x480", 75);
    std::string line = "/640x480 ";
    line.resize(2047 - 5, ' ');
    EXPECT_EQ(Select(line + "gamma").refresh, 60);   // ends on the last kept character
    EXPECT_EQ(Select(line + " gamma").refresh, 75);  // its last letter is cut
    EXPECT_EQ(Select(line + std::string(100000, 'x') + "gamma").refresh, 75);
}
