// The message box icons, drawn over the face colour and counted pixel by
// pixel. The bodies are centred on pixel 15 of the 32 x 32 cell: the stop
// disc takes the pixels within 14.5 of it, the X the pixels up to 7 across
// and down whose distances across and down differ by at most 1; the ! is
// three columns (14 to 16) from row 9 to 20 with its dot on rows 23 to 25.
#include "platform/user/message_box_icon.h"

#include "platform/user/window_screenshot.h"
#include "tests/platform/user/user_test_support.h"

namespace brontar::testing {
namespace {

using MessageBoxIconTest = WindowTest;

constexpr int kAt = 4;  // the icon's corner in the window
constexpr int kWindow = kAt + platform::kMessageBoxIconSize + 4;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};
// A colour as the window's RGB565 store gives it back: cut to 5, 6 and 5
// bits, widened again by bit replication.
constexpr Rgb Stored(int r, int g, int b) {
    return Rgb{static_cast<uint8_t>((r >> 3 << 3) | (r >> 5)), static_cast<uint8_t>((g >> 2 << 2) | (g >> 6)),
               static_cast<uint8_t>((b >> 3 << 3) | (b >> 5))};
}
constexpr Rgb kFace = Stored(192, 192, 192);
constexpr Rgb kRed = Stored(255, 0, 0);
constexpr Rgb kWhite = Stored(255, 255, 255);
constexpr Rgb kBlack = Stored(0, 0, 0);
constexpr Rgb kYellow = Stored(255, 255, 0);
constexpr Rgb kBlue = Stored(0, 0, 255);
constexpr Rgb kShadow = Stored(128, 128, 128);

class IconPicture {
public:
    explicit IconPicture(UINT style) {
        HWND window = CreateWindowExA(0, kRecorderClass, "", 0, 0, 0, kWindow, kWindow, nullptr, nullptr, nullptr, nullptr);
        HDC dc = GetDC(window);
        const RECT all{0, 0, kWindow, kWindow};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        platform::DrawMessageBoxIcon(dc, style, POINT{kAt, kAt});
        ReleaseDC(window, dc);
        picture_ = platform::CaptureWindowPicture(window).value_or(machine::RgbPicture{});
        DestroyWindow(window);
    }
    // The pixel at x, y of the icon's cell.
    Rgb At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y + kAt) * static_cast<size_t>(picture_.width) + (x + kAt)) * 3;
        return i + 2 < picture_.rgb.size() ? Rgb{picture_.rgb[i], picture_.rgb[i + 1], picture_.rgb[i + 2]} : Rgb{};
    }
    // Pixels of this colour in the cell's columns [left, right) and rows [top, bottom).
    int Count(Rgb colour, int left = 0, int top = 0, int right = 32, int bottom = 32) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += At(x, y) == colour;
        return count;
    }
    bool Empty() const { return picture_.rgb.empty(); }

private:
    machine::RgbPicture picture_;
};

TEST_F(MessageBoxIconTest, StopIsARedDiscWithAWhiteX) {
    for (UINT style : {MB_ICONHAND, MB_ICONERROR, MB_ICONSTOP}) {
        const IconPicture icon(style);
        ASSERT_FALSE(icon.Empty());
        // The X: with a and b the distances across and down (0 to 7), the
        // pairs |a - b| <= 1, each counted once per sign: 3 for a = 0, 10 for
        // a = 1, 12 for each of a = 2 to 6, 8 for a = 7; 81 pixels.
        EXPECT_EQ(icon.Count(kWhite), 81);
        EXPECT_EQ(icon.At(15, 15), kWhite);
        EXPECT_EQ(icon.At(8, 8), kWhite);
        EXPECT_EQ(icon.At(22, 8), kWhite);
        // The disc (about 660 pixels) less its rim (about 91) and the X.
        const int red = icon.Count(kRed);
        EXPECT_GT(red, 440);
        EXPECT_LT(red, 520);
        EXPECT_EQ(icon.At(15, 3), kRed);    // above the X
        EXPECT_EQ(icon.At(3, 15), kRed);    // left of it
        EXPECT_EQ(icon.At(30, 15), kShadow);  // right of the disc, in its shadow
        EXPECT_EQ(icon.At(0, 0), kFace);    // the corners are left alone
        EXPECT_EQ(icon.At(31, 0), kFace);
    }
}

TEST_F(MessageBoxIconTest, ExclamationIsAYellowTriangleWithABlackMark) {
    for (UINT style : {MB_ICONEXCLAMATION, MB_ICONWARNING}) {
        const IconPicture icon(style);
        ASSERT_FALSE(icon.Empty());
        // Columns 14 to 16, rows 9 to 26: the stem (12 rows) and the dot (3
        // rows) are black, the gap (rows 21, 22) and row 26 yellow.
        EXPECT_EQ(icon.Count(kBlack, 14, 9, 17, 27), 45);
        EXPECT_EQ(icon.Count(kYellow, 14, 9, 17, 27), 9);
        EXPECT_GT(icon.Count(kYellow), 250);
        EXPECT_EQ(icon.At(15, 5), kYellow);  // near the apex
        EXPECT_EQ(icon.At(4, 27), kYellow);  // near the lower left corner
        EXPECT_EQ(icon.At(15, 29), kBlack);  // the base's edge
        EXPECT_EQ(icon.At(4, 4), kFace);     // beside the apex
        EXPECT_EQ(icon.Count(kRed) + icon.Count(kBlue), 0);
    }
}

TEST_F(MessageBoxIconTest, InformationAndQuestionAreWhiteBalloonsWithBlueSigns) {
    for (UINT style : {MB_ICONASTERISK, MB_ICONINFORMATION, MB_ICONQUESTION}) {
        const IconPicture icon(style);
        ASSERT_FALSE(icon.Empty());
        EXPECT_GT(icon.Count(kBlue), 40) << style;
        EXPECT_GT(icon.Count(kWhite), 300) << style;
        EXPECT_EQ(icon.At(5, 13), kWhite) << style;  // the balloon beside the sign
        EXPECT_EQ(icon.At(15, 1), kBlack) << style;  // its top edge
        EXPECT_EQ(icon.Count(kRed) + icon.Count(kYellow), 0) << style;
    }
    EXPECT_EQ(IconPicture(MB_ICONINFORMATION).At(15, 15), kBlue);  // the i's stem
    EXPECT_EQ(IconPicture(MB_ICONINFORMATION).At(15, 23), kWhite);  // below its foot
    EXPECT_EQ(IconPicture(MB_ICONQUESTION).At(15, 21), kBlue);      // the ?'s dot
    EXPECT_EQ(IconPicture(MB_ICONQUESTION).At(15, 19), kWhite);     // between stem and dot
}

TEST_F(MessageBoxIconTest, NoIconStyleDrawsNothing) {
    const IconPicture icon(MB_OK);
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Count(kFace), 32 * 32);
}

}  // namespace
}  // namespace brontar::testing
