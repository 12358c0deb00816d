#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "testscreen/test_screen.h"

TEST(OverlayFontHeight, LargeAt800x600Only) {
    EXPECT_EQ(OverlayFontHeight(512), 12);
    EXPECT_EQ(OverlayFontHeight(640), 12);  // 640x400 and 640x480
    EXPECT_EQ(OverlayFontHeight(641), 24);
    EXPECT_EQ(OverlayFontHeight(800), 24);
}

TEST(CentredOffset, HalfPixelGoesRightAndNegativeOffsetsTruncateTowardZero) {
    EXPECT_EQ(CentredOffset(640, 100), 270);  // 270 + 0.5 truncated
    EXPECT_EQ(CentredOffset(640, 101), 270);  // 269.5 + 0.5
    EXPECT_EQ(CentredOffset(641, 100), 271);  // 270.5 + 0.5
    EXPECT_EQ(CentredOffset(100, 100), 0);
    EXPECT_EQ(CentredOffset(100, 150), -24);  // -25 + 0.5 toward zero
    EXPECT_EQ(CentredOffset(100, 151), -25);  // -25.5 + 0.5
}

TEST(PackDisplayMode, WidthHeightAndBitCountInTwelveTwelveAndEightBits) {
    EXPECT_EQ(PackDisplayMode(1024, 768, 16), 0x10300400u);
    EXPECT_EQ(PackDisplayMode(640, 480, 8), 0x081E0280u);
    EXPECT_EQ(PackDisplayMode(4096, 4097, 32), 0x20001000u);  // bits beyond each field are dropped
}

TEST(DeviceNameMatches, WholeNameWithCapitalsLowered) {
    const struct {
        const char* name;
        const char* wanted;
        bool match;
    } cases[] = {
        {"ddcorv", "ddcorv", true},
        {"DDCORV", "ddcorv", true},
        {"DdCoRv", "ddcorv", true},
        {"ddcorv2", "ddcorv", false},
        {"ddcorv ", "ddcorv", false},
        {"", "ddcorv", false},
        {"display", "ddcorv", false},
        {"Direct3D HAL", "direct3d hal", true},
        {"Direct3D RGB Emulation", "direct3d hal", false},
        {"DIRECT3D\tHAL", "direct3d hal", false},
    };
    for (const auto& c : cases) EXPECT_EQ(DeviceNameMatches(c.name, c.wanted) != 0, c.match) << c.name;
    EXPECT_FALSE(DeviceNameMatches(nullptr, "ddcorv"));
}

TEST(DeviceNameMatches, OverlongNamesAreCutAndNeverMatch) {
    const std::string longName = "ddcorv" + std::string(500, ' ');
    EXPECT_FALSE(DeviceNameMatches(longName.c_str(), "ddcorv"));
    // Cut to 127 characters, a name still compares whole.
    const std::string exact127(127, 'a');
    EXPECT_TRUE(DeviceNameMatches((exact127 + "bcd").c_str(), exact127.c_str()));
    EXPECT_FALSE(DeviceNameMatches(std::string(126, 'a').c_str(), exact127.c_str()));
}
