// The predefined controls painted as Windows 95 paints them. Positions come
// from the template's dialog units and the dialog font's base units (6 by
// 13: x = units x 6 / 4, y = units x 13 / 8, rounded), colours from the
// standard scheme; each control's own pixels are read after it painted.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "platform/user/window_pixels.h"
#include "tests/support/temp_machine.h"

namespace {

constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kFace = 0xC618;
constexpr uint16_t kInvertedFace = static_cast<uint16_t>(~kFace);
constexpr uint16_t kShadow = 0x8410;
constexpr uint16_t kBlack = 0x0000;
constexpr uint16_t kSelection = 0x0010;

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class ControlPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr, PlainProc, 0);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog_); }

    // The control's pixels after it painted itself.
    brontar::platform::SurfacePixels Painted(int id) {
        HWND control = GetDlgItem(dialog_, id);
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
        brontar::platform::SurfacePixels pixels;
        EXPECT_TRUE(brontar::platform::GetWindowPixels(control, &pixels));
        return pixels;
    }
    static uint16_t At(const brontar::platform::SurfacePixels& p, int x, int y) {
        return p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)];
    }
    // One pixel a painted control must show.
    struct Probe {
        int x, y;
        uint16_t colour;
    };
    static void ExpectPixels(const brontar::platform::SurfacePixels& p, std::initializer_list<Probe> probes) {
        for (const Probe& probe : probes)
            EXPECT_EQ(At(p, probe.x, probe.y), probe.colour) << "at " << probe.x << "," << probe.y;
    }
    RECT PlacedRect(int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(dialog_, id), &rect);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<LPPOINT>(&rect), 2);
        return rect;
    }

    brontar::testing::TempMachine machine_;
    HWND dialog_ = nullptr;
};

TEST_F(ControlPaintTest, PushButtonsBevelDefaultFramePressedAndFocus) {
    // 4,4 40x14 units: at 6,7 (4 x 6 / 4, 4 x 13 / 8 = 6.5 rounded), 60 by 23
    // pixels (14 x 13 / 8 = 22.75 rounded: the height is scaled on its own).
    const RECT placed = PlacedRect(30);
    EXPECT_EQ(placed.left, 6);
    EXPECT_EQ(placed.top, 7);
    EXPECT_EQ(placed.right, 66);
    EXPECT_EQ(placed.bottom, 30);

    // The plain button: highlight over dark shadow outside, light over shadow inside, face within.
    auto plain = Painted(31);
    ASSERT_EQ(plain.width, 60);
    ASSERT_EQ(plain.height, 23);
    ExpectPixels(plain, {{0, 0, kWhite}, {58, 0, kWhite}, {59, 0, kBlack}, {0, 22, kBlack}, {59, 22, kBlack},
                         {1, 1, kFace}, {58, 1, kShadow}, {1, 21, kShadow}, {2, 2, kFace}, {57, 20, kFace}});

    // The default button: a dark frame, the same bevel one pixel in.
    auto byDefault = Painted(30);
    ExpectPixels(byDefault, {{0, 0, kBlack}, {30, 0, kBlack}, {0, 11, kBlack}, {1, 1, kWhite}, {58, 1, kBlack},
                             {57, 2, kShadow}, {2, 20, kShadow}, {30, 21, kBlack}});

    // Pressed (BM_SETSTATE): a shadow frame inside the dark one, a flat face.
    HWND button = GetDlgItem(dialog_, 30);
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    auto pressed = Painted(30);
    ExpectPixels(pressed, {{0, 0, kBlack}, {1, 1, kShadow}, {58, 21, kShadow}, {2, 2, kFace}, {57, 20, kFace}});
    SendMessageA(button, BM_SETSTATE, FALSE, 0);

    // Focused: the dotted rectangle 4 pixels in (frame and bevel), x + y even inverted.
    SendMessageA(button, WM_SETFOCUS, 0, 0);
    auto focused = Painted(30);
    ExpectPixels(focused, {{4, 4, kInvertedFace}, {5, 4, kFace}, {55, 17, kInvertedFace}, {3, 3, kFace}});
    SendMessageA(button, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(At(Painted(30), 4, 4), kFace);
}

TEST_F(ControlPaintTest, GroupBoxEtchedFrameCaptionAndWhatShows) {
    // 4,24 100x40 units: 150 by 65 pixels; the frame from half the 13-pixel cell down.
    auto group = Painted(32);
    ASSERT_EQ(group.width, 150);
    ASSERT_EQ(group.height, 65);
    // Etched: shadow then highlight on the top and left, highlight outside shadow on the bottom and right.
    ExpectPixels(group, {{0, 6, kShadow}, {0, 7, kShadow}, {1, 7, kWhite}, {1, 8, kWhite}, {100, 6, kShadow},
                         {100, 7, kWhite}, {149, 6, kWhite}, {148, 30, kShadow}, {149, 30, kWhite}, {60, 63, kShadow},
                         {60, 64, kWhite}});
    // The caption at x 8 interrupts the top edge from x 6 on; the edge is whole before it.
    ExpectPixels(group, {{5, 6, kShadow}, {6, 6, kFace}, {6, 7, kFace}});
    int inked = 0;
    for (int y = 0; y < 13; ++y)
        for (int x = 8; x < 40; ++x) inked += At(group, x, y) == kBlack;
    EXPECT_GT(inked, 20);
    // Only the frame and the caption cover what lies below.
    const std::vector<RECT> shown = brontar::platform::WindowShownParts(GetDlgItem(dialog_, 32));
    auto covers = [&](LONG x, LONG y) {
        for (const RECT& part : shown)
            if (PtInRect(&part, POINT{x, y})) return true;
        return false;
    };
    EXPECT_TRUE(covers(0, 30));
    EXPECT_TRUE(covers(10, 3));
    EXPECT_TRUE(covers(75, 64));
    EXPECT_FALSE(covers(75, 30));
    EXPECT_FALSE(covers(2, 30));
}

TEST_F(ControlPaintTest, CheckBoxMarkAndDisabledEmbossedText) {
    HWND check = GetDlgItem(dialog_, 33);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    // 110,24 60x10 units: 90 by 16 pixels; the 13-pixel box at x 0, (16 - 13) / 2 = 1 down.
    auto box = Painted(33);
    ASSERT_EQ(box.height, 16);
    ExpectPixels(box, {{0, 0, kFace}, {0, 1, kShadow}, {1, 2, kBlack}, {12, 13, kWhite}, {2, 3, kWhite}});
    // The mark's rows, 3 to 9 of the box: its tip, its corner, its foot.
    ExpectPixels(box, {{9, 4, kBlack}, {8, 4, kWhite}, {3, 6, kBlack}, {4, 6, kWhite}, {5, 10, kBlack},
                       {4, 10, kWhite}});
    SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(At(Painted(33), 9, 4), kWhite);

    // Disabled text: grey, each grey stroke lit one pixel down and right
    // where no grey covers it, on the face.
    auto label = Painted(34);
    int grey = 0;
    for (int y = 0; y < label.height; ++y)
        for (int x = 0; x < label.width; ++x) {
            const uint16_t pixel = At(label, x, y);
            ASSERT_TRUE(pixel == kFace || pixel == kShadow || pixel == kWhite) << x << "," << y;
            if (pixel != kShadow) continue;
            ++grey;
            if (x + 1 < label.width && y + 1 < label.height && At(label, x + 1, y + 1) != kShadow) {
                EXPECT_EQ(At(label, x + 1, y + 1), kWhite) << x << "," << y;
            }
        }
    EXPECT_GT(grey, 10);
}

TEST_F(ControlPaintTest, StaticTextSitsLeftCentredOrRight) {
    HWND label = GetDlgItem(dialog_, 34);  // 110,40 40x8 units: 60 by 13 pixels
    EnableWindow(label, TRUE);
    HDC dc = GetDC(label);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, "Off", 3, &extent);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    // The ink of "Off" lies within its extent, placed by the style.
    const std::pair<LONG, LONG> expected[] = {
        {SS_LEFT, 0}, {SS_CENTER, (60 - extent.cx) / 2}, {SS_RIGHT, 60 - extent.cx}};
    for (const auto& [style, left] : expected) {
        SetWindowLongA(label, GWL_STYLE, (GetWindowLongA(label, GWL_STYLE) & ~SS_TYPEMASK) | style);
        auto pixels = Painted(34);
        int first = 60, last = -1;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                if (At(pixels, x, y) == kBlack) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        EXPECT_GE(first, left) << style;
        EXPECT_LT(last, left + extent.cx) << style;
        EXPECT_LE(first, left + 2) << style;
    }
}

TEST_F(ControlPaintTest, TrackbarThumbFollowsThePositionOverTheChannelAndTicks) {
    HWND trackbar = GetDlgItem(dialog_, 35);
    SendMessageA(trackbar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 4));
    SendMessageA(trackbar, TBM_SETPOS, TRUE, 2);
    // 100x14 units: 150 by 23 pixels. Thumb centres run from 8 to 150 - 9 = 141:
    // position p at 8 + (133 p + 2) / 4, so 2 is at 75. The thumb spans
    // x 70 to 80, rows 2 to 16, its tip from row 12; ticks in rows 18 to 20.
    auto bar = Painted(35);
    ASSERT_EQ(bar.width, 150);
    ASSERT_EQ(bar.height, 23);
    ExpectPixels(bar, {{70, 2, kWhite}, {69, 2, kFace}, {80, 5, kBlack}, {79, 5, kShadow}, {71, 12, kWhite},
                       {79, 12, kBlack}, {70, 12, kFace}, {75, 16, kBlack}, {75, 17, kFace}});
    for (int x : {8, 41, 75, 108, 141}) {
        EXPECT_EQ(At(bar, x, 18), kBlack) << x;
        EXPECT_EQ(At(bar, x, 20), kBlack) << x;
        EXPECT_EQ(At(bar, x + 1, 19), kFace) << x;
    }
    // The channel, rows 5 to 8, from x 3 to 146: sunken.
    ExpectPixels(bar, {{3, 5, kShadow}, {20, 6, kBlack}, {20, 7, kFace}, {20, 8, kWhite}, {146, 5, kWhite},
                       {147, 5, kFace}});

    SendMessageA(trackbar, TBM_SETPOS, TRUE, 3);
    auto moved = Painted(35);
    // The thumb now at 108 - 5; the channel shows again where it was.
    ExpectPixels(moved, {{103, 2, kWhite}, {70, 2, kFace}, {70, 6, kBlack}});
}

TEST_F(ControlPaintTest, ComboFieldIsItemHighAndShowsTheSelection) {
    HWND combo = GetDlgItem(dialog_, 36);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("75 Hz"));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    // The window is the field: the 13-pixel item and 8 pixels of frame.
    const RECT placed = PlacedRect(36);
    EXPECT_EQ(placed.bottom - placed.top, 21);
    EXPECT_EQ(placed.right - placed.left, 90);
    auto field = Painted(36);
    ExpectPixels(field, {{0, 0, kShadow}, {1, 1, kBlack}, {89, 20, kWhite}, {3, 3, kWhite}});
    // The arrow button, 16 wide inside the edge: x 72 to 87, its arrow centred
    // (its top row x 76 to 82, row (17 - 4) / 2 + 2).
    ExpectPixels(field, {{72, 2, kWhite}, {87, 18, kBlack}, {76, 8, kBlack}, {82, 8, kBlack}, {79, 11, kBlack}});
    // Focused: the selection highlighted inside the field.
    SendMessageA(combo, WM_SETFOCUS, 0, 0);
    auto focused = Painted(36);
    ExpectPixels(focused, {{4, 4, kSelection}, {70, 17, kSelection}, {71, 17, kWhite}});
}

}  // namespace
