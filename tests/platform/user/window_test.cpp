// Windows: creation and destruction order, the default procedure, the tree,
// window data and text, geometry and painting.
#include <cstring>
#include <string>

#include "platform/user/window_pixels.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using CreateWindowTest = WindowTest;

TEST_F(CreateWindowTest, CreateMessagesRunBeforeCreationReturns) {
    HWND window = Make(nullptr, 0, "Title");
    ASSERT_NE(window, nullptr);
    ASSERT_GE(Recorded().size(), 2u);
    EXPECT_EQ(Recorded()[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(Recorded()[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(Recorded()[1].window, window);
    // The default procedure took the title from the creation record.
    char title[16];
    EXPECT_EQ(GetWindowTextA(window, title, sizeof title), 5);
    EXPECT_STREQ(title, "Title");
}

TEST_F(CreateWindowTest, CreateRecordCarriesTheArguments) {
    int creationData = 0;
    Hook() = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_CREATE) return std::nullopt;
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        EXPECT_EQ(create->lpCreateParams, &creationData);
        EXPECT_EQ(create->x, 5);
        EXPECT_EQ(create->y, 6);
        EXPECT_EQ(create->cx, 70);
        EXPECT_EQ(create->cy, 80);
        EXPECT_STREQ(create->lpszName, "Named");
        return 0;
    };
    HWND window = CreateWindowExA(0, "recorder", "Named", WS_OVERLAPPED, 5, 6, 70, 80, nullptr, nullptr, nullptr,
                                  &creationData);
    ASSERT_NE(window, nullptr);  // class names match without regard to case
    DestroyWindow(window);
}

TEST_F(CreateWindowTest, CreateAnsweringMinusOneRefusesTheWindow) {
    HWND created = nullptr;
    Hook() = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_CREATE) return std::nullopt;
        created = window;
        return -1;
    };
    EXPECT_EQ(Make(), nullptr);
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(RecordedNumbers(),
              (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(CreateWindowTest, OtherCreateAnswersKeepTheWindow) {
    // The test screen answers WM_CREATE with 0 even after a failed start-up.
    Hook() = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CREATE) return 0;
        return std::nullopt;
    };
    EXPECT_NE(Make(), nullptr);
}

TEST_F(CreateWindowTest, NcCreateAnsweringFalseRefusesTheWindow) {
    Hook() = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_NCCREATE) return FALSE;
        return std::nullopt;
    };
    EXPECT_EQ(Make(), nullptr);
    EXPECT_EQ(RecordedNumbers(), (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));
}

TEST_F(CreateWindowTest, UnknownClassAndOrphanChildFail) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateWindowExA(0, kRecorderClass, "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(CreateWindowTest, ClassRegistrationChecksItsRecord) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.lpszClassName = "RECORDER";
    EXPECT_EQ(RegisterClassExA(&windowClass), 0);  // the name is taken, whatever its case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    windowClass.lpszClassName = "Other";
    windowClass.cbSize = 0;
    EXPECT_EQ(RegisterClassExA(&windowClass), 0);
    std::string longName(300, 'x');
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpszClassName = longName.c_str();
    EXPECT_EQ(RegisterClassExA(&windowClass), 0);
}

TEST_F(CreateWindowTest, ClassNameIsCutToTheBuffer) {
    HWND window = Make();
    char name[4];
    EXPECT_EQ(GetClassNameA(window, name, sizeof name), 3);
    EXPECT_STREQ(name, "Rec");
}

using DestroyWindowTest = WindowTest;

TEST_F(DestroyWindowTest, CloseLeadsToDestroy) {
    HWND window = Make();
    Recorded().clear();
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    DispatchMessageA(&message);
    EXPECT_EQ(RecordedNumbers(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(DestroyWindowTest, VisibleWindowIsDestroyedWithoutBeingHiddenFirst) {
    HWND window = Make(nullptr, 0, "", WS_VISIBLE);
    Recorded().clear();
    DestroyWindow(window);
    EXPECT_EQ(RecordedNumbers(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(DestroyWindowTest, ParentIsDestroyedBeforeItsChildrenAndFinishedAfter) {
    HWND parent = Make();
    HWND child = Make(parent, 100);
    Recorded().clear();
    DestroyWindow(parent);
    std::vector<std::pair<HWND, UINT>> order;
    for (const RecordedMessage& message : Recorded())
        if (message.message == WM_DESTROY || message.message == WM_NCDESTROY)
            order.emplace_back(message.window, message.message);
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{
                         {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(DestroyWindowTest, DestroyingFromTheDestroyHandlerHappensOnce) {
    HWND window = Make();
    Hook() = [](HWND self, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY) DestroyWindow(self);
        return std::nullopt;
    };
    Recorded().clear();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(RecordedNumbers(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(DestroyWindowTest, OwnedWindowsGoFirst) {
    HWND owner = Make();
    HWND owned = CreateWindowExA(0, kRecorderClass, "", WS_POPUP, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(GetParent(owned), owner);  // a pop-up's parent is its owner
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned));
}

TEST_F(DestroyWindowTest, StaleHandlesNameNothing) {
    HWND first = Make();
    DestroyWindow(first);
    HWND second = Make();
    EXPECT_NE(first, second);
    EXPECT_FALSE(IsWindow(first));
}

using WindowTreeTest = WindowTest;

TEST_F(WindowTreeTest, ChildrenAreFoundByIdAndWalkedInCreationOrder) {
    HWND page = Make();
    HWND first = Make(page, 1003);
    HWND second = Make(page, 1012);
    HWND third = Make(page, 1025);
    EXPECT_EQ(GetDlgItem(page, 1012), second);
    EXPECT_EQ(GetDlgItem(page, 9999), nullptr);
    EXPECT_EQ(GetDlgCtrlID(third), 1025);
    EXPECT_EQ(GetParent(first), page);
    EXPECT_EQ(GetParent(page), nullptr);
    EXPECT_EQ(GetWindow(page, GW_CHILD), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), third);
    EXPECT_EQ(GetWindow(third, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(third, GW_HWNDPREV), second);
    DestroyWindow(second);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), third);
}

TEST_F(WindowTreeTest, ChildFilterOfGetMessageTakesDescendants) {
    HWND page = Make();
    HWND control = Make(page, 1);
    HWND other = Make();
    PostMessageA(other, WM_USER + 1, 0, 0);
    PostMessageA(control, WM_USER + 2, 0, 0);
    MSG message;
    ASSERT_EQ(GetMessageA(&message, page, 0, 0), TRUE);
    EXPECT_EQ(message.hwnd, control);
}

using WindowDataTest = WindowTest;

TEST_F(WindowDataTest, ExtraBytesHoldValuesWithinTheirSize) {
    HWND window = Make();
    EXPECT_EQ(GetWindowLongPtrA(window, 0), 0);  // zero at creation
    EXPECT_EQ(SetWindowLongPtrA(window, 8, 1234), 0);
    EXPECT_EQ(SetWindowLongPtrA(window, 8, 99), 1234);
    EXPECT_EQ(GetWindowLongPtrA(window, 8), 99);
    // 16 bytes: a pointer-sized value at offset 9 would reach past the end.
    SetLastError(0);
    EXPECT_EQ(SetWindowLongPtrA(window, 9, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(GetWindowLongA(window, 12), 0);
    EXPECT_EQ(SetWindowLongA(window, 12, -5), 0);
    EXPECT_EQ(GetWindowLongA(window, 12), -5);
}

LRESULT CALLBACK Doubler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowDataTest, ProcedureAndUserDataCanBeReplaced) {
    HWND window = Make();
    SetWindowLongPtrA(window, GWLP_USERDATA, 77);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 77);
    auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Doubler)));
    EXPECT_EQ(previous, RecorderProc);
    EXPECT_EQ(SendMessageA(window, WM_USER, 4, 0), 8);
    EXPECT_EQ(CallWindowProcA(previous, window, WM_USER, 4, 0), 0);
}

TEST_F(WindowDataTest, TextIsCutToTheBufferAndAlwaysTerminated) {
    HWND window = Make();
    ASSERT_TRUE(SetWindowTextA(window, "800 x 600"));
    EXPECT_EQ(GetWindowTextLengthA(window), 9);
    char text[5];
    std::memset(text, 'z', sizeof text);
    EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 4);
    EXPECT_STREQ(text, "800 ");
    EXPECT_EQ(GetWindowTextA(window, text, 1), 0);
    EXPECT_STREQ(text, "");
    SetWindowTextA(window, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(window), 0);
}

TEST_F(WindowDataTest, EnableWindowAnswersThePreviousState) {
    HWND window = Make();
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_FALSE(EnableWindow(window, FALSE));  // was enabled
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, FALSE));   // was disabled
    EXPECT_TRUE(EnableWindow(window, TRUE));
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_DISABLED, 0);
}

using GeometryTest = WindowTest;

TEST_F(GeometryTest, ChildRectanglesMapIntoTheParentsClientArea) {
    HWND page = Make();  // at 10,20, 200 x 100
    HWND control = CreateWindowExA(0, kRecorderClass, "", WS_CHILD, 30, 40, 50, 16, page, nullptr, nullptr, nullptr);
    RECT client;
    ASSERT_TRUE(GetClientRect(control, &client));
    EXPECT_EQ(client.right, 50);
    EXPECT_EQ(client.bottom, 16);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(control, &rect));
    EXPECT_EQ(rect.left, 40);  // 10 + 30 on the screen
    EXPECT_EQ(rect.top, 60);
    MapWindowPoints(nullptr, page, reinterpret_cast<LPPOINT>(&rect), 2);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 80);
    EXPECT_EQ(rect.bottom, 56);
}

TEST_F(GeometryTest, MovingTellsTheWindow) {
    HWND window = Make();
    Recorded().clear();
    MoveWindow(window, 10, 20, 300, 100, FALSE);  // same place, new width
    EXPECT_EQ(RecordedNumbers(), std::vector<UINT>{WM_SIZE});
    EXPECT_EQ(Recorded()[0].lParam, MAKELONG(300, 100));
    SetWindowPos(window, nullptr, 1, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.right, 301);
}

using PaintTest = WindowTest;

TEST_F(PaintTest, ShownWindowIsPaintedByUpdateWindow) {
    HWND window = Make();
    Recorded().clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));  // was hidden
    EXPECT_TRUE(IsWindowVisible(window));
    UpdateWindow(window);
    // Shown, it takes the focus; the default procedure's BeginPaint erases the background first.
    EXPECT_EQ(RecordedNumbers(), (std::vector<UINT>{WM_SHOWWINDOW, WM_SETFOCUS, WM_PAINT, WM_ERASEBKGND}));
    // The default procedure painted it: no further WM_PAINT is pending.
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PaintTest, PaintComesAfterPostedMessagesAndOnlyForVisibleWindows) {
    HWND hidden = Make();
    HWND shown = Make();
    ShowWindow(shown, SW_SHOW);
    InvalidateRect(hidden, nullptr, TRUE);
    PostMessageA(shown, WM_USER, 0, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(message.hwnd, shown);
    // WM_PAINT keeps coming until the window is painted.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&message);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PaintTest, InvalidatingAParentInvalidatesItsChildren) {
    HWND page = Make(nullptr, 0, "", WS_VISIBLE);
    HWND control = Make(page, 1, "", WS_VISIBLE);
    Drain();
    InvalidateRect(page, nullptr, TRUE);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, page);  // parents paint first
    DispatchMessageA(&message);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, control);
    DispatchMessageA(&message);
}

TEST_F(PaintTest, DeviceContextsDrawIntoTheWindowsPixels) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "WhitePainted";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "WhitePainted", "", WS_VISIBLE, 0, 0, 4, 3, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);  // erased with the class's white brush
    platform::SurfacePixels pixels;
    ASSERT_TRUE(platform::GetWindowPixels(window, &pixels));
    ASSERT_EQ(pixels.width, 4);
    ASSERT_EQ(pixels.height, 3);
    EXPECT_EQ(pixels.pixels[0], 0xFFFF);
    EXPECT_EQ(pixels.pixels[11], 0xFFFF);

    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    RECT corner{2, 1, 4, 3};
    FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(ReleaseDC(window, dc), 0);  // already given back
    EXPECT_EQ(pixels.pixels[1 * 4 + 1], 0xFFFF);
    EXPECT_EQ(pixels.pixels[1 * 4 + 2], 0x0000);
    EXPECT_EQ(pixels.pixels[2 * 4 + 3], 0x0000);
    DestroyWindow(window);
}

TEST_F(PaintTest, ScreenDeviceContextMeasuresText) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(screen, "640x480x16 75Hz", 15, &size));
    EXPECT_GT(size.cx, 0);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST_F(PaintTest, StockIconAndArrowExistButProgramResourcesDoNot) {
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    auto self = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(101)), nullptr);
    EXPECT_EQ(LoadImageA(self, MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, IDI_APPLICATION, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR),
              LoadIconA(nullptr, IDI_APPLICATION));
}

}  // namespace
}  // namespace brontar::testing
