// Opening the page: initialisation order, texts, lists and preselection,
// the sliders at the stored gammas, the page without the board.
#include "tests/propsheet/page_harness.h"

#include "platform/automation.h"
#include "settings/registry_access.h"

namespace brontar::testing {
namespace {

using Items = std::vector<std::string>;

bool HasValue(const char* name) {
    BYTE data[4];
    DWORD size = sizeof data;
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, name, data, &size) == 1;
}

// The texts the page paints, by the left edge of the rectangle they go to.
std::vector<std::string> PaintedTexts(HWND page) {
    std::vector<std::string> texts;
    platform::SetDrawnTextObserver([&](const RECT&, std::string_view text, UINT) { texts.emplace_back(text); });
    InvalidateRect(page, nullptr, TRUE);
    UpdateWindow(page);
    platform::SetDrawnTextObserver(nullptr);
    return texts;
}

bool Contains(const std::vector<std::string>& texts, const std::string& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

using PageSetupTest = PageTest;

TEST_F(PageSetupTest, ListsFollowTheMonitorAndTheStoredChoices) {
    // The installed monitor: up to 1024x768, 30-64 kHz, 50-100 Hz.
    RunPage({Check([](HWND page) {
        EXPECT_EQ(ComboItems(page, IDC_RESOLUTION_LIST), (Items{"512 x 384", "640 x 400", "640 x 480", "800 x 600"}));
        EXPECT_EQ(SelectedItem(page, IDC_RESOLUTION_LIST), "512 x 384");  // no last resolution: the first
        EXPECT_EQ(ComboItems(page, IDC_RATE_LIST), (Items{"72 Hz", "75 Hz", "85 Hz"}));  // 120 Hz is above 100
        EXPECT_EQ(SelectedItem(page, IDC_RATE_LIST), "72 Hz");  // nothing stored: the lowest
    })});
}

TEST_F(PageSetupTest, MaximumResolutionAndBothLimitsBoundTheLists) {
    SetMonitor("640,480", {{"640,480", "31-50,50-130,+,+"}});
    SetLastResolution(800, 600);  // not offered: the first item is selected
    SetRefreshRate(80, 640, 480);
    RunPage({Check([](HWND page) {
                 EXPECT_EQ(ComboItems(page, IDC_RESOLUTION_LIST), (Items{"512 x 384", "640 x 400", "640 x 480"}));
                 EXPECT_EQ(SelectedItem(page, IDC_RESOLUTION_LIST), "512 x 384");
             }),
             Select(IDC_RESOLUTION_LIST, "640 x 480"), Check([](HWND page) {
                 // 120 Hz needs 60 kHz, above the horizontal maximum alone.
                 EXPECT_EQ(ComboItems(page, IDC_RATE_LIST), (Items{"60 Hz", "75 Hz", "85 Hz"}));
                 // 80 is as near to 75 as to 85: the lower wins.
                 EXPECT_EQ(SelectedItem(page, IDC_RATE_LIST), "75 Hz");
             })});
    EXPECT_EQ(GetRefreshRate(640, 480), 80u);  // preselection stores nothing
}

TEST_F(PageSetupTest, StoredRateAboveTheLimitSelectsTheNearestAndBoundsAreInclusive) {
    SetMonitor("1024,768", {{"1024,768", "30-64,50-85"}});
    SetRefreshRate(120, 800, 600);
    SetLastResolution(800, 600);
    RunPage({Check([](HWND page) {
        EXPECT_EQ(SelectedItem(page, IDC_RESOLUTION_LIST), "800 x 600");
        EXPECT_EQ(ComboItems(page, IDC_RATE_LIST), (Items{"60 Hz", "75 Hz", "85 Hz"}));
        EXPECT_EQ(SelectedItem(page, IDC_RATE_LIST), "85 Hz");
    })});
}

TEST_F(PageSetupTest, NoRateWithinTheLimitsOffersTheLowest) {
    SetMonitor("1024,768", {{"1024,768", "30-64,100-110"}});
    RunPage({Check([](HWND page) {
        EXPECT_EQ(ComboItems(page, IDC_RATE_LIST), (Items{"72 Hz"}));
        EXPECT_EQ(SelectedItem(page, IDC_RATE_LIST), "72 Hz");
    })});
}

TEST_F(PageSetupTest, UnidentifiedMonitorOffersEveryResolutionAndNoRate) {
    EditRegistry([](machine::registry::RegistryTree& tree) {
        tree.DeleteKey("HKEY_LOCAL_MACHINE\\Enum\\MONITOR");
    });
    RunPage({Check([](HWND page) {
                 EXPECT_EQ(ComboItems(page, IDC_RESOLUTION_LIST).size(), 4u);
                 EXPECT_TRUE(ComboItems(page, IDC_RATE_LIST).empty());
             }),
             Click(IDC_TEST_RATE), Click(IDC_TEST_GAMMA)});
    // Without a rate the tests start nothing and store nothing.
    EXPECT_FALSE(HasValue("REFRESH_512x384"));
    EXPECT_FALSE(HasValue("REFRESH_640x480"));
}

TEST_F(PageSetupTest, SlidersStartAtTheStoredGammasWithoutWriting) {
    SetGamma(1.5f, GAMMA_CHANNEL_BLUE);
    RunPage({Check([](HWND page) {
        EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), 29);
        EXPECT_EQ(SliderPosition(page, IDC_GAMMA_G_SLIDER), 29);
        EXPECT_EQ(SliderPosition(page, IDC_GAMMA_B_SLIDER), 25);
        EXPECT_EQ(ControlText(page, IDC_GAMMA_R_VALUE), "1.70");
        EXPECT_EQ(ControlText(page, IDC_GAMMA_G_VALUE), "1.70");
        EXPECT_EQ(ControlText(page, IDC_GAMMA_B_VALUE), "1.50");
        EXPECT_EQ(pageState.initDone, 1);
        EXPECT_EQ(pageState.gammaChanged, 0);
        EXPECT_FALSE(HasValue("HGI_GAMMAR"));
        EXPECT_FALSE(HasValue("HGI_GAMMAG"));
    })});
}

TEST_F(PageSetupTest, StoredLockAlignsTheSlidersOnScreenOnly) {
    SetLockState(1);
    SetGamma(1.0f, GAMMA_CHANNEL_GREEN);
    SetGamma(1.5f, GAMMA_CHANNEL_BLUE);
    SetGamma(2.5f, GAMMA_CHANNEL_RED);  // above the range: shown at its end
    RunPage({Check([](HWND page) {
        for (int id : {IDC_GAMMA_R_SLIDER, IDC_GAMMA_G_SLIDER, IDC_GAMMA_B_SLIDER}) EXPECT_EQ(SliderPosition(page, id), 35);
        for (int id : {IDC_GAMMA_R_VALUE, IDC_GAMMA_G_VALUE, IDC_GAMMA_B_VALUE}) EXPECT_EQ(ControlText(page, id), "2.00");
    })});
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_GREEN), 1.0f);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_BLUE), 1.5f);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 2.5f);
}

TEST_F(PageSetupTest, IndeterminateLockShowsCheckedAndKeepsItsValue) {
    SetLockState(2);
    RunPage({Check([](HWND page) {
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_LINK_CHANNELS, BM_GETSTATE, 0, 0) & 3, BST_CHECKED);
        EXPECT_EQ(pageState.linked, 2);
    })});
}

TEST_F(PageSetupTest, TextsAndPaintedRowsAndLimits) {
    ::setenv("LANG", "en_US", 1);
    SetRefreshRate(75, 640, 400);
    RunPage({Check([](HWND page) {
        EXPECT_EQ(ControlText(page, IDC_GAMMA_CAPTION), "Gamma correction");
        EXPECT_EQ(ControlText(page, IDC_TEST_RATE), "Test");
        EXPECT_EQ(ControlText(page, IDC_TEST_GAMMA), "Test");
        EXPECT_EQ(ControlText(page, IDC_RESET_RATES), "Reset rates");
        EXPECT_EQ(ControlText(page, IDC_GRXCLK_STATE), "Standard clock");
        const auto painted = PaintedTexts(page);
        EXPECT_TRUE(Contains(painted, "640 x 400"));
        EXPECT_TRUE(Contains(painted, "75 Hz"));
        EXPECT_TRUE(Contains(painted, "Not set"));  // 512x384 has no rate
        EXPECT_TRUE(Contains(painted, "100 Hz "));
        EXPECT_TRUE(Contains(painted, "50 Hz "));
        EXPECT_TRUE(Contains(painted, "64 Khz"));
        EXPECT_TRUE(Contains(painted, "30 Khz"));
    })});
}

TEST_F(PageSetupTest, MissingLimitPaintsThePlaceholder) {
    ::setenv("LANG", "en_US", 1);
    SetMonitor("1024,768", {{"1024,768", "30-64,0-100"}});
    RunPage({Check([](HWND page) {
        const auto painted = PaintedTexts(page);
        EXPECT_TRUE(Contains(painted, "Min. vertical:"));
        EXPECT_TRUE(Contains(painted, "N/A"));
    })});
}

TEST_F(PageSetupTest, WithoutTheBoardOnlyTheLinkAndRestartRemain) {
    ::setenv("LANG", "en_US", 1);
    RunPage({Check([](HWND page) {
                 for (int id : {IDC_RESOLUTION_LIST, IDC_RATE_LIST, IDC_TEST_RATE, IDC_RESET_RATES, IDC_TEST_GAMMA,
                                IDC_RESET_GAMMA, IDC_GAMMA_R_SLIDER, IDC_GAMMA_G_SLIDER, IDC_GAMMA_B_SLIDER,
                                IDC_GAMMA_R_VALUE, IDC_GAMMA_R_LABEL, IDC_GRXCLK_SWITCH, IDC_GRXCLK_STATE,
                                IDC_GRXCLK_FRAME, IDC_GAMMA_CAPTION, IDC_GRXCLK_CAPTION})
                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
                 for (int id : {IDC_LINK_CHANNELS, IDC_RESTART_ON_APPLY, IDC_RATE_CAPTION, IDC_EXTRA_LABEL})
                     EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << id;
                 const auto painted = PaintedTexts(page);
                 EXPECT_TRUE(Contains(painted, "No Brontar 3D board was found. Refresh rates and gamma cannot be set."));
                 EXPECT_FALSE(Contains(painted, "640 x 400"));
                 EXPECT_TRUE(Contains(painted, "64 Khz"));  // the monitor is still shown
             }),
             Click(IDC_LINK_CHANNELS), Check([](HWND) { EXPECT_EQ(pageState.linked, 1); }), Tab(),
             Check([](HWND) {
                 EXPECT_EQ(GetLockState(), 1u);
                 EXPECT_FALSE(HasValue("HGI_GAMMAR"));
             })},
            BoardGoneBeforeThePage());
}

TEST_F(PageSetupTest, SecondPageInTheSameModuleCountsStartUpAsChanges) {
    RunPage({Check([](HWND) { EXPECT_FALSE(HasValue("HGI_GAMMAR")); }), Ok()});
    // initDone stayed 1: the second page's start-up notifications are stored.
    RunPage({Check([](HWND) {
        EXPECT_TRUE(HasValue("HGI_GAMMAR"));
        EXPECT_EQ(pageState.gammaChanged, 1);
    })});
}

}  // namespace
}  // namespace brontar::testing

namespace brontar::testing {
namespace {

// The lists' texts are the only record of the choice: they are read back
// leniently, as the lists write them and as a hand-edited one might.
TEST_F(PageTest, SelectedTextsAreParsedLeniently) {
    RunPage({Check([](HWND page) {
        const struct {
            const char* text;
            int width;
            int height;
            int rate;
        } cases[] = {
            {"800 x 600", 800, 600, 800}, {"640X480", 640, 480, 640}, {"  72 Hz", 72, 0, 72},
            {"-5 x -7", -5, -7, -5},      {"wide", 0, 0, 0},          {"1024 x", 1024, 0, 1024},
        };
        for (const auto& c : cases) {
            SendDlgItemMessageA(page, IDC_RATE_LIST, CB_RESETCONTENT, 0, 0);
            SendDlgItemMessageA(page, IDC_RATE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.text));
            SendDlgItemMessageA(page, IDC_RATE_LIST, CB_SETCURSEL, 0, 0);
            int width = -1, height = -1;
            EXPECT_EQ(GetSelectedResolution(page, IDC_RATE_LIST, &width, &height), 1) << c.text;
            EXPECT_EQ(width, c.width) << c.text;
            EXPECT_EQ(height, c.height) << c.text;
            EXPECT_EQ(GetSelectedRate(page, IDC_RATE_LIST), c.rate) << c.text;
        }
        // An item longer than the page reads is no selection, never an overflow.
        const std::string longText(200, '7');
        SendDlgItemMessageA(page, IDC_RATE_LIST, CB_RESETCONTENT, 0, 0);
        SendDlgItemMessageA(page, IDC_RATE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longText.c_str()));
        SendDlgItemMessageA(page, IDC_RATE_LIST, CB_SETCURSEL, 0, 0);
        int width = -1, height = -1;
        EXPECT_EQ(GetSelectedResolution(page, IDC_RATE_LIST, &width, &height), 0);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(GetSelectedRate(page, IDC_RATE_LIST), -1);
        SendDlgItemMessageA(page, IDC_RATE_LIST, CB_RESETCONTENT, 0, 0);
        EXPECT_EQ(GetSelectedRate(page, IDC_RATE_LIST), -1);
    })});
}

TEST_F(PageTest, AnsweringNoToTheGammaQuestionChangesNothing) {
    SetGamma(1.0f, GAMMA_CHANNEL_RED);
    RunPage({Answer(IDNO), Click(IDC_RESET_GAMMA), Check([](HWND page) {
                 EXPECT_EQ(SliderPosition(page, IDC_GAMMA_R_SLIDER), 15);
                 EXPECT_EQ(pageState.gammaChanged, 0);
             }),
             Ok()});
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.0f);
}

}  // namespace
}  // namespace brontar::testing
