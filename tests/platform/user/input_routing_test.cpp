// Focus, capture, and the way the user's pointer and keys become messages.
#include <algorithm>

#include "platform/user/input_script.h"
#include "platform/user/input_window.h"
#include "platform/user/keyboard.h"
#include "platform/user/user_input.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using platform::DeliverKey;
using platform::DeliverPointer;
using platform::MouseButton;
using platform::PointerAction;

class InputRoutingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::ResetKeyState();
        root_ = Make();  // at 10, 20, 200 x 100
        platform::SetInputWindow(root_);
    }
    void TearDown() override {
        SetFocus(nullptr);
        ReleaseCapture();
        platform::SetInputWindow(nullptr);
        WindowTest::TearDown();
    }

    // The queued messages, taken out and (keys) translated as a message loop does.
    static std::vector<MSG> Retrieved() {
        std::vector<MSG> messages;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_PAINT) {
                ValidateRect(message.hwnd, nullptr);
                continue;
            }
            messages.push_back(message);
            TranslateMessage(&message);
        }
        return messages;
    }

    HWND root_ = nullptr;
};

std::vector<RecordedMessage> FocusMessages() {
    std::vector<RecordedMessage> found;
    for (const RecordedMessage& message : Recorded())
        if (message.message == WM_SETFOCUS || message.message == WM_KILLFOCUS || message.message == WM_CAPTURECHANGED)
            found.push_back(message);
    return found;
}

TEST_F(InputRoutingTest, FocusMovesWithKillThenSetAndLeavesDisabledAndDyingWindows) {
    HWND a = Make(root_, 1);
    HWND b = Make(root_, 2);
    EXPECT_EQ(SetFocus(a), nullptr);
    Recorded().clear();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<RecordedMessage> seen = FocusMessages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, a);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(seen[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(seen[1].window, b);
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_SETFOCUS));
    EXPECT_EQ(seen[1].wParam, reinterpret_cast<WPARAM>(a));
    // A disabled window (or one under a disabled parent) cannot take it.
    EnableWindow(root_, FALSE);
    EXPECT_EQ(SetFocus(a), nullptr);
    EXPECT_EQ(GetFocus(), b);
    EnableWindow(root_, TRUE);
    // The focused window goes: its parent has the focus, and no message reaches the dying window.
    Recorded().clear();
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), root_);
    EXPECT_TRUE(FocusMessages().empty());
}

TEST_F(InputRoutingTest, CaptureTakesThePointerEvenOutsideAndTellsTheLoser) {
    HWND left = Make(root_, 1);
    MoveWindow(left, 0, 0, 50, 50, FALSE);
    HWND right = Make(root_, 2);
    MoveWindow(right, 100, 0, 50, 50, FALSE);
    ShowWindow(left, SW_SHOW);
    ShowWindow(right, SW_SHOW);
    Retrieved();
    EXPECT_EQ(SetCapture(left), nullptr);
    DeliverPointer(root_, PointerAction::Move, MouseButton::Left, POINT{120, 10});  // over `right`
    std::vector<MSG> messages = Retrieved();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].hwnd, left);
    EXPECT_EQ(messages[0].lParam, MAKELPARAM(120, 10));  // left's client coordinates, outside it
    Recorded().clear();
    SetCapture(right);
    ReleaseCapture();
    std::vector<RecordedMessage> seen = FocusMessages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, left);
    EXPECT_EQ(seen[0].lParam, reinterpret_cast<LPARAM>(right));
    EXPECT_EQ(seen[1].window, right);
    EXPECT_EQ(seen[1].lParam, 0);
    DeliverPointer(root_, PointerAction::Press, MouseButton::Left, POINT{120, 10});
    messages = Retrieved();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].hwnd, right);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(messages[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(messages[0].lParam, MAKELPARAM(20, 10));
    DeliverPointer(root_, PointerAction::Release, MouseButton::Left, POINT{120, 10});
    EXPECT_EQ(Retrieved()[0].wParam, 0u);  // the button is up in its own release
}

TEST_F(InputRoutingTest, PointerFindsTheTopmostChildThatDoesNotLetItThrough) {
    // A frame over a button, as a group box lies over its controls; the
    // frame answers HTTRANSPARENT, as group boxes and statics do.
    HWND frame = Make(root_, 1);
    HWND button = Make(root_, 2);
    MoveWindow(frame, 0, 0, 200, 100, FALSE);
    MoveWindow(button, 20, 30, 40, 20, FALSE);
    HWND disabled = Make(root_, 3);
    MoveWindow(disabled, 100, 30, 40, 20, FALSE);
    for (HWND window : {frame, button, disabled}) ShowWindow(window, SW_SHOWNA);
    EnableWindow(disabled, FALSE);
    Hook() = [frame](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (window == frame && message == WM_NCHITTEST) return HTTRANSPARENT;
        return std::nullopt;
    };
    Retrieved();
    EXPECT_EQ(platform::WindowAtPoint(root_, POINT{25, 35}), button);
    EXPECT_EQ(platform::WindowAtPoint(root_, POINT{5, 5}), root_);
    EXPECT_EQ(platform::WindowAtPoint(root_, POINT{250, 5}), nullptr);
    DeliverPointer(root_, PointerAction::Press, MouseButton::Left, POINT{25, 35});
    DeliverPointer(root_, PointerAction::Press, MouseButton::Left, POINT{110, 35});  // disabled: dropped
    std::vector<MSG> messages = Retrieved();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].hwnd, button);
    EXPECT_EQ(messages[0].lParam, MAKELPARAM(5, 5));
    // An owned pop-up lies on top; it is placed in screen coordinates (the
    // root is at 10, 20), so it covers the root's 30, 30 to 70, 70.
    HWND popup = CreateWindowExA(0, kRecorderClass, "", WS_POPUP | WS_VISIBLE, 40, 50, 40, 40, root_, nullptr,
                                 nullptr, nullptr);
    EXPECT_EQ(platform::WindowAtPoint(root_, POINT{35, 35}), popup);
    EXPECT_EQ(platform::WindowAtPoint(root_, POINT{25, 35}), button);
    DestroyWindow(popup);
}

TEST_F(InputRoutingTest, KeysGoToTheFocusWithShiftAndAltAsWindowsReportsThem) {
    HWND child = Make(root_, 1);
    SetFocus(child);
    Retrieved();
    for (const platform::InputItem& item : platform::ParseInputScript("key SHIFT+TAB; key ALT+X; key ?"))
        EXPECT_EQ(item.kind == platform::InputItem::Kind::Key ? '?' : 0, item.character);
    // Shift+Tab: Shift is down while the Tab key is handled.
    DeliverKey(VK_SHIFT, true);
    DeliverKey(VK_TAB, true);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, child);
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_SHIFT));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_TAB));
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    DeliverKey(VK_TAB, false);
    DeliverKey(VK_SHIFT, false);
    Retrieved();
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    // Alt+X: system keys, and the translated character is WM_SYSCHAR 'x'.
    DeliverKey(VK_MENU, true);
    DeliverKey('X', true);
    DeliverKey('X', false);
    DeliverKey(VK_MENU, false);
    std::vector<UINT> numbers;
    std::vector<MSG> messages = Retrieved();
    for (const MSG& got : messages) numbers.push_back(got.message);
    EXPECT_EQ(numbers, (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP, WM_SYSKEYUP}));
    EXPECT_EQ(messages[2].wParam, static_cast<WPARAM>('x'));
    EXPECT_NE(messages[1].lParam & (1L << 29), 0);
    // '?' is Shift with the slash key.
    platform::DeliverCharacter('?');
    messages = Retrieved();
    auto character = std::find_if(messages.begin(), messages.end(), [](const MSG& m) { return m.message == WM_CHAR; });
    ASSERT_NE(character, messages.end());
    EXPECT_EQ(character->wParam, static_cast<WPARAM>('?'));
}

TEST(InputScriptNamedItemsTest, PointerAndNamedKeyItems) {
    using Kind = platform::InputItem::Kind;
    std::vector<platform::InputItem> items =
        platform::ParseInputScript("click 12 34; press 1 2; move -3 4; release 5 6; key shift+tab; key ALT+X; key PGDN");
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].kind, Kind::Click);
    EXPECT_EQ(items[0].x, 12);
    EXPECT_EQ(items[0].y, 34);
    EXPECT_EQ(items[2].kind, Kind::Move);
    EXPECT_EQ(items[2].x, -3);
    EXPECT_EQ(items[4].kind, Kind::NamedKey);
    EXPECT_TRUE(items[4].shift);
    EXPECT_EQ(items[4].virtualKey, VK_TAB);
    EXPECT_TRUE(items[5].alt);
    EXPECT_EQ(items[5].virtualKey, 'X');
    EXPECT_EQ(items[6].virtualKey, VK_NEXT);
    for (const char* wrong : {"click 1", "click 1 2 3", "press x 2", "key CTRL+", "key FOO", "key SUPER+A", "move 99999 1"}) {
        SCOPED_TRACE(wrong);
        EXPECT_TRUE(platform::ParseInputScript(wrong).empty());
    }
}

}  // namespace
}  // namespace brontar::testing
