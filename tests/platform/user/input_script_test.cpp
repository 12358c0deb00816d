// BRONTAR_INPUT: parsing the items and playing them into the queue.
#include <chrono>

#include "platform/user/input_playback.h"
#include "platform/user/input_window.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using platform::InputItem;
using platform::ParseInputScript;
using Kind = InputItem::Kind;
using namespace std::chrono_literals;

TEST(InputScriptTest, ItemsOfEveryKind) {
    EXPECT_EQ(ParseInputScript("wait 3 frames; key q;click left ;click right;  wait 250 ms;close"),
              (std::vector<InputItem>{{Kind::WaitFrames, 3, 0},
                                      {Kind::Key, 0, 'q'},
                                      {Kind::ClickLeft, 0, 0},
                                      {Kind::ClickRight, 0, 0},
                                      {Kind::WaitMs, 250, 0},
                                      {Kind::Close, 0, 0}}));
}

TEST(InputScriptTest, EmptyItemsAreIgnored) {
    EXPECT_EQ(ParseInputScript(""), std::vector<InputItem>{});
    EXPECT_EQ(ParseInputScript(" ; ;key Q;"), (std::vector<InputItem>{{Kind::Key, 0, 'Q'}}));
}

TEST(InputScriptTest, MalformedItemsAreSkippedAndTheRestPlays) {
    // Each of these is wrong in one place; the key after them survives.
    for (const char* wrong : {"wait frames", "wait 3", "wait 3 seconds", "wait -1 ms", "wait 3x ms", "wait 3 ms extra",
                              "key", "key qq", "click middle", "click", "close now", "jump",
                              "wait 99999999999 ms", "wait 18446744073709551616 frames"}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(ParseInputScript(std::string(wrong) + "; key p"), (std::vector<InputItem>{{Kind::Key, 0, 'p'}}));
    }
}

TEST(InputScriptTest, KeyTakesAnyOneCharacter) {
    EXPECT_EQ(ParseInputScript("key 7;key /"),
              (std::vector<InputItem>{{Kind::Key, 0, '7'}, {Kind::Key, 0, '/'}}));
}

class InputPlayerTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window_ = Make();
        platform::SetInputWindow(window_);
    }
    void TearDown() override {
        platform::SetInputWindow(nullptr);
        WindowTest::TearDown();
    }

    // The messages waiting in the queue, taken out.
    static std::vector<UINT> Taken() {
        std::vector<UINT> numbers;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) numbers.push_back(message.message);
        return numbers;
    }

    HWND window_ = nullptr;
    platform::Clock::time_point start_ = platform::Clock::now();
};

TEST_F(InputPlayerTest, FrameWaitsCountFromTheStartOfTheScript) {
    platform::InputPlayer player(ParseInputScript("wait 3 frames; key a; wait 5 frames; key b"), 10, start_);
    EXPECT_EQ(player.DeliverDue(12, start_), std::nullopt);  // 2 frames since the start
    EXPECT_EQ(Taken(), std::vector<UINT>{});
    player.DeliverDue(13, start_);
    // A typed character is its key going down and up; translating the key makes the character.
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(message.hwnd, window_);
    TranslateMessage(&message);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(Taken(), std::vector<UINT>{WM_KEYUP});
    player.DeliverDue(14, start_);
    EXPECT_EQ(Taken(), std::vector<UINT>{});  // the second wait is 5 frames from the start, not from the first
    player.DeliverDue(15, start_);
    EXPECT_EQ(Taken(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
    EXPECT_TRUE(player.Finished());
}

TEST_F(InputPlayerTest, MillisecondWaitsFollowOneAnother) {
    platform::InputPlayer player(ParseInputScript("wait 100 ms; click left; wait 50 ms; close"), 0, start_);
    EXPECT_EQ(player.DeliverDue(0, start_ + 99ms), start_ + 100ms);
    EXPECT_EQ(Taken(), std::vector<UINT>{});
    // Noticed late: the next wait still counts from the moment the first ended.
    EXPECT_EQ(player.DeliverDue(0, start_ + 120ms), start_ + 150ms);
    EXPECT_EQ(Taken(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    player.DeliverDue(0, start_ + 150ms);
    EXPECT_EQ(Taken(), std::vector<UINT>{WM_CLOSE});
}

TEST_F(InputPlayerTest, ClicksLandInTheMiddleOfTheWindow) {
    platform::InputPlayer player(ParseInputScript("click right"), 0, start_);
    player.DeliverDue(0, start_);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_MOUSEMOVE));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(MK_RBUTTON));
    EXPECT_EQ(message.lParam, MAKELONG(100, 50));  // the window is 200 x 100
}

TEST_F(InputPlayerTest, InputGoesToTheNewestTopLevelWindowUnlessOneIsNamed) {
    HWND newer = Make();
    platform::SetInputWindow(nullptr);
    EXPECT_EQ(platform::InputWindow(), newer);
    platform::SetInputWindow(window_);
    EXPECT_EQ(platform::InputWindow(), window_);
    DestroyWindow(window_);
    EXPECT_EQ(platform::InputWindow(), newer);  // the named window is gone
}

}  // namespace
}  // namespace brontar::testing
