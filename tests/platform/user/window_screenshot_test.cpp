// Pictures of windows: children drawn over their parent, saved as numbered files.
#include <stdlib.h>

#include "machine/display/png_file.h"
#include "platform/automation.h"
#include "platform/user/window_screenshot.h"
#include "tests/support/temp_machine.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using WindowScreenshotTest = WindowTest;

// Fills a window's whole client area with a stock brush.
void Fill(HWND window, int stockBrush) {
    HDC dc = GetDC(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(stockBrush)));
    ReleaseDC(window, dc);
}

TEST_F(WindowScreenshotTest, ChildrenAppearOverTheirParent) {
    HWND page = CreateWindowExA(0, kRecorderClass, "", 0, 50, 50, 4, 3, nullptr, nullptr, nullptr, nullptr);
    HWND control = CreateWindowExA(0, kRecorderClass, "", WS_CHILD | WS_VISIBLE, 1, 1, 2, 1, page, nullptr, nullptr,
                                   nullptr);
    HWND hidden = CreateWindowExA(0, kRecorderClass, "", WS_CHILD, 0, 0, 4, 3, page, nullptr, nullptr, nullptr);
    Fill(page, WHITE_BRUSH);
    Fill(control, BLACK_BRUSH);
    Fill(hidden, BLACK_BRUSH);
    auto picture = platform::CaptureWindowPicture(page);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->width, 4);
    ASSERT_EQ(picture->height, 3);
    // Row 1 is white, black, black, white; the hidden child covers nothing.
    auto at = [&](int x, int y) { return picture->rgb[(static_cast<size_t>(y) * 4 + x) * 3]; };
    EXPECT_EQ(at(0, 0), 255);
    EXPECT_EQ(at(0, 1), 255);
    EXPECT_EQ(at(1, 1), 0);
    EXPECT_EQ(at(2, 1), 0);
    EXPECT_EQ(at(3, 1), 255);
    EXPECT_EQ(at(1, 2), 255);
    DestroyWindow(page);
}

TEST_F(WindowScreenshotTest, ScreenshotsAreNumberedFilesInTheCaptureFolder) {
    TempMachine scratch;
    HWND window = CreateWindowExA(0, kRecorderClass, "", 0, 0, 0, 2, 2, nullptr, nullptr, nullptr, nullptr);
    Fill(window, WHITE_BRUSH);
    ::unsetenv("BRONTAR_CAPTURE");
    EXPECT_FALSE(platform::SaveWindowScreenshot(window).has_value());
    ::setenv("BRONTAR_CAPTURE", scratch.scratch().c_str(), 1);
    auto first = platform::SaveWindowScreenshot(window);
    auto second = platform::SaveWindowScreenshot(window);
    ::unsetenv("BRONTAR_CAPTURE");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->filename().string().substr(0, 7), "window-");
    EXPECT_NE(*first, *second);
    auto read = machine::ReadPngFile(*second);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->rgb, std::vector<uint8_t>(12, 255));
    DestroyWindow(window);
}

}  // namespace
}  // namespace brontar::testing
