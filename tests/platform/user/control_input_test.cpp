// The controls' own answers to the mouse and the keys, at control level:
// messages in the control's client coordinates, as the window manager
// delivers them, and the notifications the parent gets. Coordinates come
// from the template (base units 6 by 13) as in the painting tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "platform/automation.h"

#include "platform/user/user_input.h"
#include "platform/user/window_pixels.h"
#include "tests/support/temp_machine.h"

namespace {

// WM_COMMAND and WM_HSCROLL as the dialog got them.
struct Notice {
    UINT message;
    WORD code;
    WORD value;  // control id (WM_COMMAND) or position (WM_HSCROLL)
};
std::vector<Notice> notices;

INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) notices.push_back({message, HIWORD(wParam), LOWORD(wParam)});
    if (message == WM_HSCROLL) notices.push_back({message, LOWORD(wParam), HIWORD(wParam)});
    return message == WM_INITDIALOG;
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class ControlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        notices.clear();
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr, RecordingProc, 0);
        ASSERT_NE(dialog_, nullptr);
        notices.clear();
    }
    void TearDown() override { DestroyWindow(dialog_); }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::vector<WORD> Codes(UINT message) const {
        std::vector<WORD> codes;
        for (const Notice& notice : notices)
            if (notice.message == message) codes.push_back(notice.code);
        return codes;
    }

    brontar::testing::TempMachine machine_;
    HWND dialog_ = nullptr;
};

TEST_F(ControlInputTest, AButtonClicksOnlyWhenReleasedInside) {
    HWND button = Item(31);  // 60 by 22 pixels
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(Item(30), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);

    // Pressed, dragged out (no longer shown pressed), let go outside: no click.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 10));
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(GetFocus(), button);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, At(-3, 10));
    EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, At(59, 21));
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    SendMessageA(button, WM_LBUTTONUP, 0, At(60, 21));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_TRUE(notices.empty());

    // Let go inside: one BN_CLICKED from the button.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, At(0, 0));
    SendMessageA(button, WM_LBUTTONUP, 0, At(59, 21));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].code, BN_CLICKED);
    EXPECT_EQ(notices[0].value, 31);

    // A release without a press of its own does nothing.
    SendMessageA(button, WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(notices.size(), 1u);

    // Space: pressed while held, clicks when let go; losing the focus first lets it go unclicked.
    SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    SendMessageA(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(notices.size(), 2u);
    SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
    SetFocus(Item(30));
    EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    SendMessageA(button, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(notices.size(), 2u);

    // A disabled button takes nothing.
    EnableWindow(button, FALSE);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(button, WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(notices.size(), 2u);
}

TEST_F(ControlInputTest, ACheckBoxTogglesByPointerAndSpace) {
    HWND box = Item(33);
    EXPECT_EQ(SendMessageA(box, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);
    SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // toggles at the release
    SendMessageA(box, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(box, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));
    EXPECT_EQ(SendMessageA(Item(32), WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(ControlInputTest, TrackbarThumbFollowsThePointerChannelPagesKeysStep) {
    HWND bar = Item(35);
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 20));
    EXPECT_EQ(SendMessageA(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 4);  // a fifth of the range
    // Thumb centres run from 8 to 141 for 0 to 20: position p at 8 + (133 p + 10) / 20.
    // Grab the thumb at position 0 and drag it to x 108, the centre of 15.
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(9, 8));
    EXPECT_EQ(GetCapture(), bar);
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, At(108, 30));
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 15);
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, At(109, 30));  // still nearest to 15: no notice
    SendMessageA(bar, WM_LBUTTONUP, 0, At(109, 30));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].code, TB_THUMBTRACK);
    EXPECT_EQ(notices[0].value, 15);
    EXPECT_EQ(notices[1].code, TB_THUMBPOSITION);
    EXPECT_EQ(notices[1].value, 15);
    EXPECT_EQ(notices[2].code, TB_ENDTRACK);

    // Past the ends the thumb stays at the end.
    notices.clear();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(108, 5));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, At(400, 5));
    SendMessageA(bar, WM_LBUTTONUP, 0, At(400, 5));
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 20);

    // A press in the channel left of the thumb: a page up, ended at the release.
    notices.clear();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 6));
    SendMessageA(bar, WM_LBUTTONUP, 0, At(20, 6));
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 16);
    EXPECT_EQ(Codes(WM_HSCROLL), (std::vector<WORD>{TB_PAGEUP, TB_ENDTRACK}));

    // Keys: each move, then TB_ENDTRACK when the key is let go.
    notices.clear();
    const std::pair<WPARAM, LONG> keys[] = {{VK_HOME, 0}, {VK_RIGHT, 1}, {VK_DOWN, 2},  {VK_NEXT, 6},
                                            {VK_LEFT, 5}, {VK_PRIOR, 1}, {VK_PRIOR, 0}, {VK_END, 20}};
    for (const auto& [key, position] : keys) {
        SendMessageA(bar, WM_KEYDOWN, key, 0);
        EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), position) << key;
        SendMessageA(bar, WM_KEYUP, key, 0);
    }
    EXPECT_EQ(Codes(WM_HSCROLL),
              (std::vector<WORD>{TB_TOP, TB_ENDTRACK, TB_LINEDOWN, TB_ENDTRACK, TB_LINEDOWN, TB_ENDTRACK, TB_PAGEDOWN,
                                 TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK,
                                 TB_BOTTOM, TB_ENDTRACK}));
}

class ComboInputTest : public ControlInputTest {
protected:
    void SetUp() override {
        ControlInputTest::SetUp();
        combo_ = Item(36);
        for (const char* item : {"60 Hz", "75 Hz", "85 Hz"})
            SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageA(combo_, CB_SETCURSEL, 0, 0);
        notices.clear();
    }
    bool Dropped() const { return SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0; }
    LRESULT Selection() const { return SendMessageA(combo_, CB_GETCURSEL, 0, 0); }

    HWND combo_ = nullptr;
};

TEST_F(ComboInputTest, AClickDropsTheListBelowAndAClickOnAnItemPicksIt) {
    // The press drops the list; its own release on the field keeps it open.
    SendMessageA(combo_, WM_LBUTTONDOWN, MK_LBUTTON, At(80, 10));
    ASSERT_TRUE(Dropped());
    HWND list = GetCapture();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetFocus(), combo_);
    SendMessageA(list, WM_LBUTTONUP, 0, At(80, -10));
    EXPECT_TRUE(Dropped());
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<WORD>{CBN_DROPDOWN}));

    // A pop-up on top of everything, owned by the dialog, right below the
    // field: as wide as the box, three 13-pixel items and the frame.
    EXPECT_EQ(GetWindow(list, GW_OWNER), dialog_);
    EXPECT_TRUE(GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(list));
    RECT field, dropped;
    GetWindowRect(combo_, &field);
    GetWindowRect(list, &dropped);
    EXPECT_EQ(dropped.left, field.left);
    EXPECT_EQ(dropped.top, field.bottom);
    EXPECT_EQ(dropped.right, field.right);
    EXPECT_EQ(dropped.bottom - dropped.top, 3 * 13 + 2);

    // The pointer over the third item highlights it.
    SendMessageA(list, WM_MOUSEMOVE, 0, At(20, 1 + 2 * 13 + 5));
    UpdateWindow(list);
    brontar::platform::SurfacePixels pixels;
    ASSERT_TRUE(brontar::platform::GetWindowPixels(list, &pixels));
    auto pixel = [&](int x, int y) { return pixels.pixels[static_cast<size_t>(y) * pixels.width + x]; };
    EXPECT_EQ(pixel(0, 0), 0x0000);             // the frame
    EXPECT_EQ(pixel(89, 40), 0x0000);
    EXPECT_EQ(pixel(1, 1), 0xFFFF);             // the first item on the window colour
    EXPECT_EQ(pixel(1, 1 + 2 * 13), 0x0010);    // the third, highlighted
    EXPECT_EQ(pixel(88, 1 + 3 * 13 - 1), 0x0010);
    EXPECT_EQ(pixel(88, 1 + 2 * 13 - 1), 0xFFFF);

    // Letting go over it picks it: the list closes, then the selection changes.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 32));
    SendMessageA(list, WM_LBUTTONUP, 0, At(20, 32));
    EXPECT_FALSE(Dropped());
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Selection(), 2);
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<WORD>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));
    char text[16];
    GetWindowTextA(combo_, text, sizeof text);
    EXPECT_STREQ(text, "85 Hz");
}

TEST_F(ComboInputTest, EscOrAClickElsewhereClosesUnchangedEnterPicks) {
    // Alt+Down drops; Down moves the highlight; Esc closes without a change.
    SendMessageA(combo_, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    ASSERT_TRUE(Dropped());
    MSG escape{combo_, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(SendMessageA(combo_, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) & DLGC_WANTMESSAGE);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Selection(), 0);
    EXPECT_FALSE(SendMessageA(combo_, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape)) & DLGC_WANTMESSAGE);

    // F4 drops; a press outside the list closes it unchanged.
    SendMessageA(combo_, WM_KEYDOWN, VK_F4, 0);
    HWND list = GetCapture();
    ASSERT_TRUE(Dropped());
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, At(20, -200));
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Selection(), 0);

    // Drop, Down twice, Enter: the third item.
    SendMessageA(combo_, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);  // stays on the last
    SendMessageA(combo_, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Selection(), 2);
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<WORD>{CBN_DROPDOWN, CBN_CLOSEUP, CBN_DROPDOWN, CBN_CLOSEUP,
                                                    CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));
}

TEST_F(ComboInputTest, UpAndDownOnAClosedBoxStepTheSelection) {
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Selection(), 1);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);  // already the last: no change, no notice
    EXPECT_EQ(Selection(), 2);
    SendMessageA(combo_, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Selection(), 1);
    EXPECT_EQ(Codes(WM_COMMAND), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE}));
    // Losing the focus while dropped closes the list.
    SetFocus(combo_);
    SendMessageA(combo_, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    ASSERT_TRUE(Dropped());
    SetFocus(Item(31));
    EXPECT_FALSE(Dropped());

    // The items go while the list is dropped on the last one: Enter picks nothing.
    SendMessageA(combo_, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    SendMessageA(combo_, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo_, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Selection(), CB_ERR);
    // Left dropped: the dialog's destruction takes the list with it.
    SendMessageA(combo_, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    EXPECT_TRUE(Dropped());
}

// The same controls driven as the user drives them: pointer actions at
// points of the dialog, delivered to the window under the pointer (or the
// capture) and dispatched from the queue.
TEST_F(ComboInputTest, ThePointerOnTheDialogReachesTheControlsUnderIt) {
    using brontar::platform::DeliverPointer;
    using brontar::platform::MouseButton;
    using brontar::platform::PointerAction;
    auto act = [&](PointerAction action, LONG x, LONG y) {
        DeliverPointer(dialog_, action, MouseButton::Left, POINT{x, y});
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    };
    auto click = [&](LONG x, LONG y) {
        act(PointerAction::Move, x, y);
        act(PointerAction::Press, x, y);
        act(PointerAction::Release, x, y);
    };
    // The combo box: 165,114 to 255,135 in the dialog. A click at its middle
    // drops the list below it; a click on the third item (rows of 13 from
    // 136) picks it.
    click(210, 124);
    ASSERT_TRUE(Dropped());
    click(180, 136 + 2 * 13 + 6);
    EXPECT_FALSE(Dropped());
    EXPECT_EQ(Selection(), 2);

    // The trackbar: 6,114 to 156,137; range 0 to 20, thumb centres 14 + (133 p + 10) / 20
    // in the dialog. Drag the thumb from position 0 to the centre of 15.
    HWND bar = Item(35);
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 20));
    act(PointerAction::Move, 14, 122);
    act(PointerAction::Press, 14, 122);
    act(PointerAction::Move, 114, 150);
    act(PointerAction::Release, 114, 150);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 15);
    EXPECT_EQ(GetCapture(), nullptr);

    // The check box inside the group box's rectangle: the group box lets the pointer through.
    HWND box = Item(33);
    MoveWindow(box, 20, 60, 90, 16, TRUE);
    click(25, 68);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

// A parent may destroy a control inside one of its notifications: the
// control's handler that sent it runs on to its end without touching freed
// state, and the handle answers nothing afterwards.
UINT destroyOnMessage = 0;
UINT destroyOnCode = 0;

INT_PTR CALLBACK DestroyingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    UINT code = message == WM_HSCROLL ? LOWORD(wParam) : HIWORD(wParam);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        from = header->hwndFrom;
        code = header->code;
    }
    if (message == destroyOnMessage && code == destroyOnCode) {
        notices.push_back({message, static_cast<WORD>(code), 0});
        DestroyWindow(from);
    }
    return RecordingProc(dialog, message, wParam, lParam);
}

struct DestroyCase {
    const char* what;
    int id;  // 0: a tab control with two tabs, made for the case
    UINT message;
    UINT code;
    std::function<void(HWND control)> act;
};

TEST_F(ControlInputTest, AControlDestroyedInsideItsOwnNotificationIsGoneCleanly) {
    auto keys = [](std::vector<std::pair<UINT, WPARAM>> presses) {
        return [presses](HWND control) {
            for (const auto& [message, key] : presses)
                SendMessageA(control, message, key, message == WM_SYSKEYDOWN ? 1 << 29 : 0);
        };
    };
    const DestroyCase cases[] = {
        {"button by Space", 31, WM_COMMAND, BN_CLICKED, keys({{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}})},
        {"check box by the pointer", 33, WM_COMMAND, BN_CLICKED,
         [](HWND box) {
             SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 5));
             SendMessageA(box, WM_LBUTTONUP, 0, At(2, 5));
         }},
        {"trackbar released after a drag", 35, WM_HSCROLL, TB_THUMBPOSITION,
         [](HWND bar) {
             SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(9, 8));
             SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, At(108, 8));
             SendMessageA(bar, WM_LBUTTONUP, 0, At(108, 8));
         }},
        {"combo box dropping", 36, WM_COMMAND, CBN_DROPDOWN, keys({{WM_KEYDOWN, VK_F4}})},
        {"combo box picking by keys", 36, WM_COMMAND, CBN_CLOSEUP,
         keys({{WM_SYSKEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_RETURN}})},
        {"combo box picking in its list", 36, WM_COMMAND, CBN_CLOSEUP,
         [](HWND combo) {
             SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, At(80, 10));
             HWND list = GetCapture();
             SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
             SendMessageA(list, WM_LBUTTONUP, 0, At(20, 20));
             EXPECT_FALSE(IsWindow(list));
         }},
        {"tab control asked to change", 0, WM_NOTIFY, static_cast<UINT>(TCN_SELCHANGING),
         keys({{WM_KEYDOWN, VK_RIGHT}})},
    };
    for (const DestroyCase& c : cases) {
        SCOPED_TRACE(c.what);
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr, DestroyingProc, 0);
        ASSERT_NE(dialog, nullptr);
        HWND control = GetDlgItem(dialog, c.id);
        if (c.id == 0) {
            control = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, dialog, nullptr,
                                      nullptr, nullptr);
            char text[] = "Tab";
            TCITEMA tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = text;
            SendMessageA(control, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tab));
            SendMessageA(control, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&tab));
        }
        if (c.id == 36)
            for (const char* item : {"60 Hz", "75 Hz"})
                SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        notices.clear();
        destroyOnMessage = c.message;
        destroyOnCode = c.code;
        c.act(control);
        EXPECT_FALSE(IsWindow(control));
        EXPECT_FALSE(notices.empty());
        EXPECT_EQ(SendMessageA(control, BM_GETCHECK, 0, 0), 0);
        DestroyWindow(dialog);
    }
}

// Each control's window holds its own class's state: asking a control of
// one kind for what another kind does finds nothing.
TEST_F(ControlInputTest, ControlsOfAnotherKindAreRefused) {
    using namespace brontar::platform;
    EXPECT_FALSE(UserClickButton(Item(35)));
    EXPECT_FALSE(UserSlideTrackbar(Item(36), 3));
    EXPECT_FALSE(UserSelectComboItem(Item(33), "Check"));
    EXPECT_FALSE(UserClickButton(dialog_));
    ControlDescription description;
    EXPECT_FALSE(DescribeControl(dialog_, &description));
    ASSERT_TRUE(DescribeControl(Item(35), &description));
    EXPECT_EQ(description.kind, "trackbar");
    EXPECT_TRUE(notices.empty());
}

}  // namespace
