// The page used with the keyboard and the pointer alone, through the
// messages a user's keys and clicks become.
#include "tests/propsheet/page_harness.h"

#include "platform/user/user_input.h"

namespace brontar::testing {
namespace {

using PageKeyboardTest = PageTest;

// A key pressed and released, with Shift held when asked.
SheetStep Key(int virtualKey, bool shift = false) {
    return [virtualKey, shift](HWND, HWND) {
        if (shift) platform::DeliverKey(VK_SHIFT, true);
        platform::DeliverKey(virtualKey, true);
        platform::DeliverKey(virtualKey, false);
        if (shift) platform::DeliverKey(VK_SHIFT, false);
    };
}

// A left click at the centre of a page control, as the pointer gives it.
SheetStep ClickCentreOf(int id) {
    return [id](HWND sheet, HWND page) {
        RECT rect;
        GetWindowRect(GetDlgItem(page, id), &rect);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
        const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        for (auto action : {platform::PointerAction::Move, platform::PointerAction::Press, platform::PointerAction::Release})
            platform::DeliverPointer(sheet, action, platform::MouseButton::Left, centre);
    };
}

SheetStep ExpectFocus(int id) {
    return [id](HWND, HWND) { EXPECT_EQ(GetDlgCtrlID(GetFocus()), id); };
}

TEST_F(PageKeyboardTest, TabWalksTheTemplatesTabStopsThenTheSheetsButtons) {
    // The sheet opens on the page's first tab stop, the resolution list.
    // From there the template's order: the rate list, the two rate buttons,
    // the three sliders, the link box, the two gamma buttons, the clock
    // switch and the restart box; then OK and Cancel (Apply is disabled);
    // then the tabs, and round to the resolution list.
    const std::vector<int> order = {1012, 1030, 1025, 1062, 1061, 1063, 1064, 1026, 1027, 1056, 1069, IDOK,
                                    IDCANCEL, platform::kTabControlId, 1036};
    std::vector<SheetStep> steps = {ExpectFocus(1036)};
    for (int id : order) steps.insert(steps.end(), {Key(VK_TAB), ExpectFocus(id)});
    // Shift+Tab walks back.
    steps.insert(steps.end(), {Key(VK_TAB, true), ExpectFocus(platform::kTabControlId), Key(VK_TAB, true),
                               ExpectFocus(IDCANCEL), Key(VK_TAB, true), ExpectFocus(IDOK), Key(VK_TAB, true),
                               ExpectFocus(1069), Cancel()});
    RunPage(steps);
}

// The keys alone from the moment the sheet opens: the resolution list has
// the focus, so Up three times walks from 800 x 600 to 512 x 384 and Enter
// is OK, which keeps that resolution as the last one chosen.
TEST_F(PageKeyboardTest, UpThreeTimesAndEnterFromTheOpeningPick512x384) {
    SetLastResolution(800, 600);
    EXPECT_EQ(RunPage({Check([](HWND page) {
                           EXPECT_EQ(SendDlgItemMessageA(page, IDC_RESOLUTION_LIST, CB_GETCURSEL, 0, 0), 3);
                       }),
                       Key(VK_UP), Key(VK_UP), Key(VK_UP), Key(VK_RETURN)}),
              1);
    int width = 0, height = 0;
    GetLastResolution(&width, &height);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 384);
}

TEST_F(PageKeyboardTest, ClickAtAControlsCentreDoesWhatTheScriptsClickDoes) {
    RunPage({ClickCentreOf(IDC_LINK_CHANNELS), Check([](HWND page) {
                 EXPECT_EQ(SendDlgItemMessageA(page, IDC_LINK_CHANNELS, BM_GETCHECK, 0, 0), BST_CHECKED);
                 EXPECT_EQ(pageState.linked, 1);
             }),
             ClickCentreOf(IDC_LINK_CHANNELS), Check([](HWND) { EXPECT_EQ(pageState.linked, 0); }), Cancel()});
}

TEST_F(PageKeyboardTest, EscCancelsAndRestoresTheSnapshot) {
    SetGamma(1.5f, GAMMA_CHANNEL_RED);
    EXPECT_EQ(RunPage({Slide(IDC_GAMMA_R_SLIDER, 10), Check([](HWND) {
                           EXPECT_NE(GetGamma(GAMMA_CHANNEL_RED), 1.5f);  // stored as the slider moves
                       }),
                       Key(VK_ESCAPE)}),
              0);
    EXPECT_FLOAT_EQ(GetGamma(GAMMA_CHANNEL_RED), 1.5f);
}

TEST_F(PageKeyboardTest, EnterAppliesAndCloses) {
    WriteFileText(AutoexecPath(), "ECHO OFF\r\n");
    // Enter on the clock switch: the default button (OK) applies.
    EXPECT_EQ(RunPage({Slide(IDC_GRXCLK_SWITCH, 1), Key(VK_RETURN)}), 1);
    EXPECT_NE(ReadFileText(AutoexecPath()).find("SET HGI_GRXCLK=57\r\n"), std::string::npos);
}

}  // namespace
}  // namespace brontar::testing
