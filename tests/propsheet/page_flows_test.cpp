// The page's flows: rate picks, slider moves and the link, apply, cancel,
// the two tests, the two resets, the lock and last resolution, the restart.
#include "tests/propsheet/page_harness.h"

#include "settings/registry_access.h"

namespace brontar::testing {
namespace {

bool HasValue(const char* name) {
    BYTE data[4];
    DWORD size = sizeof data;
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, name, data, &size) == 1;
}

std::vector<uint8_t> ValueBytes(const char* name) {
    BYTE data[4] = {};
    DWORD size = sizeof data;
    if (ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, name, data, &size) != 1) return {};
    return std::vector<uint8_t>(data, data + size);
}

using PageFlowTest = PageTest;

TEST_F(PageFlowTest, RatePickIsStoredAtOnceAndOnly640x480NeedsARestart) {
    RunPage({Select(IDC_RESOLUTION_LIST, "800 x 600"), Select(IDC_RATE_LIST, "75 Hz"),
             Check([](HWND) {
                 EXPECT_EQ(GetRefreshRate(800, 600), 75u);
                 EXPECT_EQ(pageState.restartNeeded, 0);
             }),
             Select(IDC_RESOLUTION_LIST, "640 x 480"), Select(IDC_RATE_LIST, "75 Hz"), Check([](HWND) {
                 EXPECT_EQ(GetRefreshRate(640, 480), 75u);
                 EXPECT_EQ(pageState.restartNeeded, 1);
             }),
             Ok()});
    EXPECT_EQ(ValueBytes("REFRESH_800x600"), (std::vector<uint8_t>{0x4B, 0, 0, 0}));
}

TEST_F(PageFlowTest, UnlinkedMoveStoresAllThreeColours) {
    SetGamma(1.5f, GAMMA_CHANNEL_BLUE);
    RunPage({Slide(IDC_GAMMA_G_SLIDER, 10), Check([](HWND page) {
                 EXPECT_EQ(ControlText(page, IDC_GAMMA_G_VALUE), "0.75");
                 EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), 29);
                 EXPECT_EQ(pageState.gammaChanged, 1);
                 EXPECT_EQ(pageState.restartNeeded, 1);
             }),
             Ok()});
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 0.25f + 0.05f * 29);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_GREEN), 0.25f + 0.05f * 10);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 0.25f + 0.05f * 25);
    EXPECT_FALSE(HasValue("HGI_GAMMA"));
}

TEST_F(PageFlowTest, LinkedMoveCarriesTheOthersAndLinkingAlignsToRed) {
    RunPage({Slide(IDC_GAMMA_G_SLIDER, 20), Slide(IDC_GAMMA_B_SLIDER, 10), Click(IDC_LINK_CHANNELS),
             Check([](HWND page) {
                 for (int id : {IDC_GAMMA_R_SLIDER, IDC_GAMMA_G_SLIDER, IDC_GAMMA_B_SLIDER})
                     EXPECT_EQ(SliderPosition(page, id), 29);
                 EXPECT_EQ(ControlText(page, IDC_GAMMA_B_VALUE), "1.70");
                 EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 0.25f + 0.05f * 29);
             }),
             Slide(IDC_GAMMA_B_SLIDER, 20), Check([](HWND page) {
                 for (int id : {IDC_GAMMA_R_SLIDER, IDC_GAMMA_G_SLIDER, IDC_GAMMA_B_SLIDER})
                     EXPECT_EQ(SliderPosition(page, id), 20);
                 for (int id : {IDC_GAMMA_R_VALUE, IDC_GAMMA_G_VALUE, IDC_GAMMA_B_VALUE})
                     EXPECT_EQ(ControlText(page, id), "1.25");
             }),
             // Clearing the link moves nothing and stores nothing.
             Click(IDC_LINK_CHANNELS), Slide(IDC_GAMMA_R_SLIDER, 0), Check([](HWND page) {
                 EXPECT_EQ(SliderPosition(page, IDC_GAMMA_G_SLIDER), 20);
                 EXPECT_EQ(ControlText(page, IDC_GAMMA_R_VALUE), "0.25");
             }),
             Ok()});
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_GREEN), 0.25f + 0.05f * 20);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 0.25f);
}

// Every slider position written by a move comes back at the next opening.
TEST_F(PageFlowTest, EveryPositionSurvivesTheRegistry) {
    for (int position = 0; position <= 35; position += 7) {
        RunPage({Slide(IDC_GAMMA_R_SLIDER, position), Ok()});
        RunPage({Check([position](HWND page) { EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), position); })});
    }
    RunPage({Slide(IDC_GAMMA_R_SLIDER, 60), Check([](HWND page) {
        EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), 35);  // kept inside the range
    })});
}

TEST_F(PageFlowTest, CancelRestoresTheSnapshotValueByValue) {
    SetGamma(1.2f, GAMMA_CHANNEL_GREEN);
    SetRefreshRate(75, 640, 480);
    RunPage({Slide(IDC_GAMMA_R_SLIDER, 5), Select(IDC_RATE_LIST, "85 Hz"), Select(IDC_RESOLUTION_LIST, "640 x 480"),
             Select(IDC_RATE_LIST, "60 Hz"), Cancel()});
    EXPECT_FALSE(HasValue("REFRESH_512x384"));  // absent at the snapshot: deleted again
    EXPECT_EQ(GetRefreshRate(640, 480), 75u);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.7f);  // absent reads 1.7 and is written as 1.7
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_GREEN), 1.2f);
    EXPECT_EQ(ValueBytes("HGI_GAMMAR"), (std::vector<uint8_t>{0x9A, 0x99, 0xD9, 0x3F}));
    EXPECT_TRUE(HasValue("HGI_GAMMA"));
}

TEST_F(PageFlowTest, CancelDeletesAGammaStoredAsZero) {
    SetGamma(0.0f, GAMMA_CHANNEL_GREEN);  // zero stands for no gamma set
    RunPage({Select(IDC_RESOLUTION_LIST, "800 x 600"), Select(IDC_RATE_LIST, "75 Hz"), Cancel()});
    EXPECT_FALSE(HasValue("HGI_GAMMAG"));
    EXPECT_FALSE(HasValue("REFRESH_800x600"));
    EXPECT_TRUE(HasValue("HGI_GAMMAR"));
}

TEST_F(PageFlowTest, ClosingWithoutOkCancels) {
    RunPage({Select(IDC_RATE_LIST, "85 Hz")});
    EXPECT_FALSE(HasValue("REFRESH_512x384"));
}

TEST_F(PageFlowTest, ApplyRewritesTheBootFileFromTheSliders) {
    SetRefreshRate(75, 640, 480);
    WriteFileText(AutoexecPath(), "ECHO OFF\r\nSET HGI_RGAMMA=1.20\r\nPATH D:\\TOOLS\r\n");
    RunPage({Slide(IDC_GRXCLK_SWITCH, 1), Check([](HWND page) {
                 EXPECT_EQ(ControlText(page, IDC_GRXCLK_STATE), "Clock at 57");
                 EXPECT_EQ(pageState.restartNeeded, 1);
             }),
             Apply(), Ok()});
    EXPECT_EQ(ReadFileText(AutoexecPath()),
              "ECHO OFF\r\nPATH D:\\TOOLS\r\nSET HGI_SCREENREFRESH=75\r\nSET HGI_RGAMMA=1.70\r\n"
              "SET HGI_GGAMMA=1.70\r\nSET HGI_BGAMMA=1.70\r\nSET HGI_GRXCLK=57\r\n");
    // The switch starts at the clock the file holds.
    RunPage({Check([](HWND page) { EXPECT_EQ(SliderPosition(page, IDC_GRXCLK_SWITCH), 1); })});
}

TEST_F(PageFlowTest, RestartIsRequestedOnlyForBootFileSettings) {
    EXPECT_EQ(RunPage({Click(IDC_RESTART_ON_APPLY), Select(IDC_RESOLUTION_LIST, "800 x 600"),
                       Select(IDC_RATE_LIST, "85 Hz"), Ok()}),
              1);
    EXPECT_EQ(RunPage({Click(IDC_RESTART_ON_APPLY), Slide(IDC_GRXCLK_SWITCH, 1), Slide(IDC_GRXCLK_SWITCH, 0),
                       Answer(IDNO), Ok()}),
              ID_PSREBOOTSYSTEM);
}

TEST_F(PageFlowTest, RestartBoxClearMeansNoRequest) {
    EXPECT_EQ(RunPage({Slide(IDC_GRXCLK_SWITCH, 1), Ok()}), 1);
}

TEST_F(PageFlowTest, RateTestStoresTheRateAndRepaints) {
    RunPage({Select(IDC_RESOLUTION_LIST, "640 x 480"), Select(IDC_RATE_LIST, "85 Hz"), Click(IDC_TEST_RATE), Cancel()});
    // Cancel goes back to the snapshot the test took: the tested rate stays.
    EXPECT_EQ(GetRefreshRate(640, 480), 85u);
}

TEST_F(PageFlowTest, GammaTestForces60AndApplyPutsTheRateBack) {
    SetRefreshRate(75, 640, 480);
    RunPage({Select(IDC_RESOLUTION_LIST, "800 x 600"), Select(IDC_RATE_LIST, "75 Hz"), Click(IDC_TEST_GAMMA),
             Check([](HWND) {
                 EXPECT_EQ(GetRefreshRate(800, 600), 75u);
                 EXPECT_EQ(GetRefreshRate(640, 480), 60u);
                 EXPECT_EQ(pageState.savedGammaTestRate, 75);
             }),
             Apply(), Check([&](HWND) {
                 // The boot file took the 60 Hz of the test, the registry the earlier rate.
                 EXPECT_NE(ReadFileText(AutoexecPath()).find("SET HGI_SCREENREFRESH=60\r\n"), std::string::npos);
                 EXPECT_EQ(GetRefreshRate(640, 480), 75u);
                 EXPECT_EQ(pageState.savedGammaTestRate, 0);
             }),
             // A rate picked after the apply is not overwritten by a later one.
             Select(IDC_RESOLUTION_LIST, "640 x 480"), Select(IDC_RATE_LIST, "85 Hz"), Ok()});
    EXPECT_NE(ReadFileText(AutoexecPath()).find("SET HGI_SCREENREFRESH=85\r\n"), std::string::npos);
    EXPECT_EQ(GetRefreshRate(640, 480), 85u);
}

TEST_F(PageFlowTest, GammaTestThenCancelRestoresTheEarlierRate) {
    SetRefreshRate(75, 640, 480);
    RunPage({Click(IDC_TEST_GAMMA), Cancel()});
    EXPECT_EQ(GetRefreshRate(640, 480), 75u);
    EXPECT_EQ(pageState.savedGammaTestRate, 0);
}

TEST_F(PageFlowTest, ApplyAfterAGammaTestThenCancelKeepsTheRestoredRate) {
    SetRefreshRate(75, 640, 480);
    RunPage({Click(IDC_TEST_GAMMA), Apply(), Cancel()});
    EXPECT_EQ(GetRefreshRate(640, 480), 75u);
}

TEST_F(PageFlowTest, TwoGammaTestsThenApplyPutTheUsersRateBack) {
    SetRefreshRate(75, 640, 480);
    RunPage({Click(IDC_TEST_GAMMA), Click(IDC_TEST_GAMMA), Apply()});
    EXPECT_EQ(GetRefreshRate(640, 480), 75u);
}

TEST_F(PageFlowTest, ARatePickedAfterAGammaTestIsNotUndoneByApply) {
    SetRefreshRate(75, 640, 480);
    RunPage({Click(IDC_TEST_GAMMA), Select(IDC_RESOLUTION_LIST, "640 x 480"), Select(IDC_RATE_LIST, "85 Hz"),
             Apply()});
    EXPECT_EQ(GetRefreshRate(640, 480), 85u);
}

TEST_F(PageFlowTest, RateResetNeedsYesAndCannotBeCancelled) {
    SetRefreshRate(75, 640, 480);
    SetRefreshRate(60, 800, 600);
    RunPage({Answer(IDNO), Click(IDC_RESET_RATES), Check([](HWND) { EXPECT_EQ(GetRefreshRate(640, 480), 75u); }),
             Answer(IDYES), Click(IDC_RESET_RATES), Cancel()});
    for (const char* name : {"REFRESH_512x384", "REFRESH_640x400", "REFRESH_640x480", "REFRESH_800x600"})
        EXPECT_FALSE(HasValue(name)) << name;
}

TEST_F(PageFlowTest, GammaResetTouchesTheColoursOnlyAndCancelUndoesIt) {
    SetGamma(1.0f, GAMMA_CHANNEL_RED);
    SetGamma(2.0f, GAMMA_CHANNEL_OVERALL);
    RunPage({Answer(IDYES), Click(IDC_RESET_GAMMA), Check([](HWND page) {
                 EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), 29);
                 EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.7f);
                 EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_OVERALL), 2.0f);
                 EXPECT_EQ(pageState.gammaChanged, 1);
             }),
             Cancel()});
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.0f);
}

TEST_F(PageFlowTest, LeavingThePageStoresLockAndLastResolution) {
    SetLastResolution(800, 600);
    RunPage({Select(IDC_RESOLUTION_LIST, "640 x 480"), Click(IDC_LINK_CHANNELS), Tab(), Check([](HWND) {
        EXPECT_EQ(GetLockState(), 1u);
    })});
    EXPECT_EQ(ValueBytes("KSX_LASTREZ"), (std::vector<uint8_t>{0x80, 0x02, 0xE0, 0x01}));
    RunPage({Check([](HWND page) { EXPECT_EQ(SelectedItem(page, IDC_RESOLUTION_LIST), "640 x 480"); })});
}

TEST_F(PageFlowTest, EmptyResolutionListKeepsTheLastResolution) {
    SetLastResolution(800, 600);
    RunPage({Click(IDC_LINK_CHANNELS)}, BoardGoneBeforeThePage());
    EXPECT_EQ(GetLockState(), 1u);
    int width = 0, height = 0;
    GetLastResolution(&width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
}

}  // namespace
}  // namespace brontar::testing
