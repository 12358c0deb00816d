// Dialogs from templates, the predefined controls and the property sheet.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/user/dialog_template.h"
#include "tests/support/temp_machine.h"

namespace {

using brontar::platform::ControlDescription;

// Every message a test's dialog procedure received, in order.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;
LRESULT notifyResult = 0;
// What WM_INITDIALOG does and answers, when a test sets it (else TRUE).
std::function<INT_PTR(HWND)> initDialog;

INT_PTR CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        received.push_back({message, wParam, static_cast<LPARAM>(reinterpret_cast<const NMHDR*>(lParam)->code)});
        SetWindowLongPtrA(hwnd, static_cast<int>(DWLP_MSGRESULT), notifyResult);
        return TRUE;
    }
    if (message == WM_INITDIALOG || message == WM_COMMAND || message == WM_HSCROLL)
        received.push_back({message, wParam, lParam});
    if (message == WM_INITDIALOG && initDialog) return initDialog(hwnd);
    return message == WM_INITDIALOG;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        received.clear();
        notifyResult = 0;
        initDialog = nullptr;
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), nullptr, RecordingProc, 77);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog_); }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::vector<Received> Since(size_t first) const { return {received.begin() + static_cast<long>(first), received.end()}; }

    brontar::testing::TempMachine machine_;
    HWND dialog_ = nullptr;
};

TEST_F(DialogTest, ItemsAreChildrenPlacedInDialogUnits) {
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(received[0].lParam, 77);
    EXPECT_EQ(reinterpret_cast<HWND>(received[0].wParam), Item(11));  // the first tab stop
    std::vector<int> ids;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(ids, (std::vector<int>{10, 11, 12, 13, 14, 15}));
    // The push button at 70,4 size 40x14 units: at 105,7 (4 x 13 / 8 = 6.5
    // rounded), 60 by 23 pixels (14 x 13 / 8 = 22.75 rounded).
    RECT placed;
    GetWindowRect(Item(14), &placed);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<LPPOINT>(&placed), 2);
    EXPECT_EQ(placed.left, 105);
    EXPECT_EQ(placed.top, 7);
    EXPECT_EQ(placed.right, 165);
    EXPECT_EQ(placed.bottom, 30);
    // Four x units are one average character, eight y units one line: never
    // a degenerate scale.
    RECT one{0, 0, 4, 8};
    MapDialogRect(dialog_, &one);
    EXPECT_GT(one.right, 2);
    EXPECT_GT(one.bottom, 8);
    EXPECT_NE(SendMessageA(Item(10), WM_GETFONT, 0, 0), 0);
}

// The settings page's numbers with base units 6 by 13: each of x, y, width
// and height is scaled and rounded on its own, so the two 213-unit group
// boxes are both 320 pixels wide and every 9-unit row 15 high, wherever they
// start (scaling the edges and subtracting gave 319, and rows of 14 or 15).
TEST(DialogUnitsTest, PositionAndSizeAreEachScaledOnTheirOwn) {
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    brontar::testing::TempMachine machine;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(103), nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    struct Case {
        int id;
        RECT pixels;  // left, top, right, bottom in the dialog
    };
    const Case cases[] = {
        {40, {11, 7, 331, 176}},     // 7,4 213x104: 10.5, 6.5, 319.5 rounded up; 169
        {41, {11, 180, 331, 284}},   // 7,111 213x64: 180.375 down; 104
        {42, {21, 59, 171, 74}},     // 14,36 100x9: 58.5 up; 14.625 up
        {43, {21, 75, 171, 90}},     // 14,46 100x9: 74.75 up
        {44, {183, 106, 320, 121}},  // 122,65 91x9: 105.625 up; 136.5 up
        {45, {222, 26, 320, 49}},    // 148,16 65x14: 97.5 up; 22.75 up
    };
    for (const Case& expected : cases) {
        RECT placed;
        GetWindowRect(GetDlgItem(dialog, expected.id), &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&placed), 2);
        EXPECT_EQ(placed.left, expected.pixels.left) << expected.id;
        EXPECT_EQ(placed.top, expected.pixels.top) << expected.id;
        EXPECT_EQ(placed.right, expected.pixels.right) << expected.id;
        EXPECT_EQ(placed.bottom, expected.pixels.bottom) << expected.id;
    }
    // The dialog itself at 7,4 with 227x215 units: 341 by 349 pixels.
    RECT frame;
    GetWindowRect(dialog, &frame);
    EXPECT_EQ(frame.left, 11);
    EXPECT_EQ(frame.top, 7);
    EXPECT_EQ(frame.right - frame.left, 341);
    EXPECT_EQ(frame.bottom - frame.top, 349);
    // MapDialogRect scales each coordinate as a point: the right edge 220 is 330.
    RECT units{7, 4, 220, 108};
    ASSERT_TRUE(MapDialogRect(dialog, &units));
    EXPECT_EQ(units.left, 11);
    EXPECT_EQ(units.top, 7);
    EXPECT_EQ(units.right, 330);
    EXPECT_EQ(units.bottom, 176);  // 175.5 rounded up
    DestroyWindow(dialog);
}

// Where the focus is once a dialog is made, by what WM_INITDIALOG did and
// answered: TRUE gives it to the first visible, enabled tab stop as it is
// after the procedure ran; FALSE leaves it where the procedure put it (or
// where it was); with no tab stop the first control takes it, with no
// control the dialog itself.
TEST(DialogFocusTest, InitDialogAnswerDecidesTheFirstFocus) {
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    brontar::testing::TempMachine machine;
    HWND elsewhere = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    struct Case {
        const char* what;
        int templateId;
        std::function<INT_PTR(HWND)> init;
        int focusId;  // 0: the window focused before; -1: the dialog itself
    };
    const Case cases[] = {
        {"TRUE", 100, [](HWND) -> INT_PTR { return TRUE; }, 11},
        {"TRUE after disabling the first tab stop", 100,
         [](HWND dialog) -> INT_PTR {
             EnableWindow(GetDlgItem(dialog, 11), FALSE);
             return TRUE;
         },
         12},
        {"FALSE after focusing a control", 100,
         [](HWND dialog) -> INT_PTR {
             SetFocus(GetDlgItem(dialog, 14));
             return FALSE;
         },
         14},
        {"FALSE alone", 100, [](HWND) -> INT_PTR { return FALSE; }, 0},
        {"TRUE without tab stops", 104, [](HWND) -> INT_PTR { return TRUE; }, 50},
        {"TRUE without controls", 105, [](HWND) -> INT_PTR { return TRUE; }, -1},
    };
    for (const Case& c : cases) {
        SetFocus(elsewhere);
        initDialog = c.init;
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.templateId), nullptr,
                                         RecordingProc, 0);
        initDialog = nullptr;
        ASSERT_NE(dialog, nullptr) << c.what;
        HWND expected = c.focusId == 0 ? elsewhere : c.focusId < 0 ? dialog : GetDlgItem(dialog, c.focusId);
        EXPECT_EQ(GetFocus(), expected) << c.what;
        DestroyWindow(dialog);
    }
    DestroyWindow(elsewhere);
}

TEST_F(DialogTest, DialogFontBaseUnitsAndDefaultColours) {
    // 8 point MS Sans Serif: a 13-pixel cell with an ascent of 11, base units 6 by 13.
    RECT units{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dialog_, &units));
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
    HDC dc = GetDC(dialog_);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)));
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 13);
    EXPECT_EQ(tm.tmAscent, 11);
    // The system font's units: its 16-pixel cell, and half the average
    // width of the 52 letters, rounded (the face's own widths, 9 here).
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    EXPECT_EQ(HIWORD(GetDialogBaseUnits()), 16);
    EXPECT_EQ(LOWORD(GetDialogBaseUnits()), (letters.cx / 26 + 1) / 2);
    SelectObject(dc, previous);

    // Buttons, statics and the dialog sit on the face colour, lists on the window colour.
    for (UINT message : {WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, WM_CTLCOLORDLG}) {
        SetBkColor(dc, RGB(1, 2, 3));
        EXPECT_EQ(SendMessageA(dialog_, message, reinterpret_cast<WPARAM>(dc), 0),
                  reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
        EXPECT_EQ(GetBkColor(dc), RGB(192, 192, 192));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    }
    EXPECT_EQ(SendMessageA(dialog_, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), 0),
              reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    ReleaseDC(dialog_, dc);
}

TEST_F(DialogTest, ItemTextHelpersAndMissingItems) {
    char text[16] = "x";
    EXPECT_EQ(GetDlgItemTextA(dialog_, 10, text, sizeof text), 5u);
    EXPECT_STREQ(text, "Label");
    EXPECT_TRUE(SetDlgItemTextA(dialog_, 10, "Other"));
    EXPECT_EQ(GetDlgItemTextA(dialog_, 10, text, 4), 3u);  // bounded
    EXPECT_STREQ(text, "Oth");
    EXPECT_FALSE(SetDlgItemTextA(dialog_, 99, "none"));
    EXPECT_EQ(GetDlgItemTextA(dialog_, 99, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SendDlgItemMessageA(dialog_, 99, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(DialogTest, HandledNotificationsAnswerTheMessageResult) {
    notifyResult = 7;
    NMHDR header{nullptr, 0, PSN_APPLY};
    EXPECT_EQ(SendMessageA(dialog_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 7);
}

TEST_F(DialogTest, UnknownControlClassFailsTheDialog) {
    EXPECT_EQ(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr, RecordingProc, 0), nullptr);
    EXPECT_EQ(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), nullptr);
}

TEST_F(DialogTest, CheckBoxesStepThroughTheirStates) {
    HWND three = Item(12);
    std::vector<LRESULT> states;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(brontar::platform::UserClickButton(three));
        states.push_back(SendMessageA(three, BM_GETSTATE, 0, 0) & 3);
    }
    EXPECT_EQ(states, (std::vector<LRESULT>{1, 2, 0, 1}));
    size_t clicks = 0;
    for (const Received& r : received)
        if (r.message == WM_COMMAND && LOWORD(r.wParam) == 12 && HIWORD(r.wParam) == BN_CLICKED) ++clicks;
    EXPECT_EQ(clicks, 4u);
    // A two-state box cannot be set indeterminate; the pushed bit is separate.
    SendMessageA(Item(13), BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessageA(Item(13), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(Item(13), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(SendMessageA(Item(13), BM_GETSTATE, 0, 0), BST_CHECKED | BST_PUSHED);
    // Disabled: the user's click does nothing.
    EnableWindow(three, FALSE);
    const size_t before = received.size();
    EXPECT_FALSE(brontar::platform::UserClickButton(three));
    EXPECT_EQ(received.size(), before);
    EXPECT_EQ(SendMessageA(three, BM_GETCHECK, 0, 0), 1);
}

TEST_F(DialogTest, ComboBoxSelectionAndItemTexts) {
    HWND combo = Item(11);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("60 Hz")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("75 Hz")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 5);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 2, 0), CB_ERR);
    char text[8];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "60 Hz");
    // Setting the selection is silent; the user's pick notifies once.
    size_t before = received.size();
    EXPECT_TRUE(brontar::platform::UserSelectComboItem(combo, "60 HZ"));
    auto since = Since(before);
    ASSERT_EQ(since.size(), 1u);
    EXPECT_EQ(since[0].wParam, MAKEWPARAM(11, CBN_SELCHANGE));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(brontar::platform::UserSelectComboItem(combo, "85 Hz"));
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(DialogTest, TrackbarKeepsItsPositionInRangeAndNotifiesOnlyForTheUser) {
    HWND trackbar = Item(15);
    const size_t before = received.size();
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0), 100);  // Windows' default range
    SendMessageA(trackbar, TBM_SETPOS, TRUE, 50);
    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELONG(0, 35));
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 35);
    SendMessageA(trackbar, TBM_SETPOS, TRUE, -4);
    EXPECT_EQ(SendMessageA(trackbar, TBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(received.size(), before);  // the program's settings are silent
    ASSERT_TRUE(brontar::platform::UserSlideTrackbar(trackbar, 40));
    auto since = Since(before);
    ASSERT_EQ(since.size(), 3u);
    EXPECT_EQ(since[0].wParam, MAKEWPARAM(TB_THUMBTRACK, 35));
    EXPECT_EQ(since[1].wParam, MAKEWPARAM(TB_THUMBPOSITION, 35));
    EXPECT_EQ(LOWORD(since[2].wParam), TB_ENDTRACK);
    EXPECT_EQ(reinterpret_cast<HWND>(since[0].lParam), trackbar);
    ControlDescription description;
    ASSERT_TRUE(brontar::platform::DescribeControl(trackbar, &description));
    EXPECT_EQ(description.kind, "trackbar");
    EXPECT_EQ(description.position, 35);
}

// A property sheet around dialog 100, with a page that records its notifications.
class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::setenv("BRONTAR_LOG", (machine_.scratch() / "events.log").c_str(), 1);
        received.clear();
        notifyResult = 0;
        initDialog = nullptr;
        brontar::platform::ClearMessageBoxAnswers();
    }
    void TearDown() override {
        ::unsetenv("BRONTAR_LOG");
        initDialog = nullptr;
    }

    // Runs a one-page sheet; each step plays on the sheet.
    INT_PTR Run(std::vector<std::function<void(HWND)>> steps) {
        PROPSHEETPAGEA description{};
        description.dwSize = PROPSHEETPAGEA_V1_SIZE;
        description.dwFlags = PSP_USETITLE | PSP_USEREFPARENT;
        description.hInstance = GetModuleHandleA(nullptr);
        description.pszTemplate = MAKEINTRESOURCEA(100);
        description.pszTitle = "Page";
        description.pfnDlgProc = RecordingProc;
        description.pcRefParent = &references_;
        HPROPSHEETPAGE page = CreatePropertySheetPageA(&description);
        EXPECT_EQ(references_, 1u);
        size_t next = 0;
        brontar::platform::SetPropertySheetDriver([&](HWND sheet) {
            if (next >= steps.size()) return false;
            steps[next++](sheet);
            return true;
        });
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.pszCaption = "Sheet";
        header.nPages = 1;
        header.phpage = &page;
        INT_PTR result = PropertySheetA(&header);
        brontar::platform::SetPropertySheetDriver(nullptr);
        EXPECT_EQ(references_, 0u);  // the sheet destroyed the page
        return result;
    }
    static std::function<void(HWND)> Press(int id) {
        return [id](HWND sheet) { EXPECT_TRUE(brontar::platform::UserClickButton(GetDlgItem(sheet, id))); };
    }
    std::vector<UINT> Notifications() const {
        std::vector<UINT> codes;
        for (const Received& r : received)
            if (r.message == WM_NOTIFY) codes.push_back(static_cast<UINT>(r.lParam));
        return codes;
    }

    brontar::testing::TempMachine machine_;
    UINT references_ = 0;
};

// A page whose WM_INITDIALOG answers TRUE opens with the focus on its first
// tab stop (not on the sheet's tabs); one that answers FALSE keeps the focus
// it gave itself.
TEST_F(PropertySheetTest, OpeningFocusFollowsThePagesInitDialogAnswer) {
    auto focusOn = [](int id) {
        return [id](HWND sheet) {
            EXPECT_EQ(GetFocus(), GetDlgItem(brontar::platform::ActivePropertySheetPage(sheet), id));
        };
    };
    EXPECT_EQ(Run({focusOn(11), Press(IDCANCEL)}), 0);
    initDialog = [](HWND page) -> INT_PTR {
        SetFocus(GetDlgItem(page, 13));
        return FALSE;
    };
    EXPECT_EQ(Run({focusOn(13), Press(IDCANCEL)}), 0);
}

TEST_F(PropertySheetTest, ApplyThenOkNotifyInWindowsOrder) {
    // Apply is available only after a page reports a change, and again not after applying.
    auto applyEnabled = [](bool expected) {
        return [expected](HWND sheet) {
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(sheet, brontar::platform::kApplyButtonId)) != FALSE, expected);
        };
    };
    EXPECT_EQ(Run({applyEnabled(false), [](HWND sheet) { SendMessageA(sheet, PSM_CHANGED, 0, 0); }, applyEnabled(true),
                   Press(brontar::platform::kApplyButtonId), applyEnabled(false), Press(IDOK)}),
              1);
    EXPECT_EQ(Notifications(), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_APPLY, PSN_SETACTIVE,
                                                   PSN_KILLACTIVE, PSN_APPLY}));
}

TEST_F(PropertySheetTest, CancelAndTheCloseButtonReset) {
    EXPECT_EQ(Run({Press(IDCANCEL)}), 0);
    EXPECT_EQ(Notifications(), (std::vector<UINT>{PSN_SETACTIVE, PSN_RESET}));
    received.clear();
    EXPECT_EQ(Run({[](HWND sheet) { brontar::platform::LeaveAndReturnToPage(sheet); }}), 0);
    EXPECT_EQ(Notifications(), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_SETACTIVE, PSN_RESET}));
}

TEST_F(PropertySheetTest, PageThatRefusesToBeLeftKeepsTheSheetOpen) {
    notifyResult = TRUE;  // PSN_KILLACTIVE: stay
    EXPECT_EQ(Run({Press(IDOK), [](HWND) { notifyResult = 0; }, Press(IDOK)}), 1);
    EXPECT_EQ(Notifications(), (std::vector<UINT>{PSN_SETACTIVE, PSN_KILLACTIVE, PSN_KILLACTIVE, PSN_APPLY}));
}

TEST_F(PropertySheetTest, RebootRequestAsksWhenTheSheetCloses) {
    brontar::platform::QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(Run({[](HWND sheet) { SendMessageA(sheet, PSM_REBOOTSYSTEM, 0, 0); }, Press(IDOK)}), ID_PSREBOOTSYSTEM);
    const std::string log = brontar::testing::ReadFileText(machine_.scratch() / "events.log");
    EXPECT_NE(log.find("MessageBox [System Settings Change] You must restart your computer"), std::string::npos);
}

TEST_F(PropertySheetTest, PagesNeedAWholeRecord) {
    PROPSHEETPAGEA description{};
    description.dwSize = PROPSHEETPAGEA_V1_SIZE - 1;
    EXPECT_EQ(CreatePropertySheetPageA(&description), nullptr);
    EXPECT_EQ(CreatePropertySheetPageA(nullptr), nullptr);
    EXPECT_FALSE(DestroyPropertySheetPage(nullptr));
    PROPSHEETHEADERA header{};
    EXPECT_EQ(PropertySheetA(&header), -1);
}

}  // namespace

namespace {

// Templates come from resource files: every cut of one must be refused
// whole, never read past its end.
TEST(DialogTemplateTest, TruncatedAndExtendedTemplatesAreRefused) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(100), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    const DWORD size = SizeofResource(module, resource);
    auto whole = brontar::platform::ParseDialogTemplate(data, size);
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->items.size(), 6u);
    EXPECT_EQ(whole->caption, "Controls");
    EXPECT_EQ(whole->faceName, "MS Sans Serif");
    EXPECT_EQ(whole->items[1].className, "COMBOBOX");
    // The resource compiler stores other class names in capitals, as Windows' do.
    EXPECT_EQ(whole->items[5].className, "MSCTLS_TRACKBAR32");
    // The last item ends with its creation-data count: any shorter cut fails.
    for (DWORD cut = 0; cut + 1 < size; cut += 3) {
        std::vector<uint8_t> copy(data, data + cut);
        EXPECT_FALSE(brontar::platform::ParseDialogTemplate(copy.data(), copy.size()).has_value()) << cut;
    }
    const uint8_t extended[] = {1, 0, 0xFF, 0xFF, 0, 0, 0, 0};
    EXPECT_FALSE(brontar::platform::ParseDialogTemplate(extended, sizeof extended).has_value());
    EXPECT_FALSE(brontar::platform::ParseDialogTemplate(nullptr, 10).has_value());
}

}  // namespace
