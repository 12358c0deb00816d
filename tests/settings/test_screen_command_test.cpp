// The test screen's command line as the page writes it and the test screen
// reads it back.
#include <gtest/gtest.h>

#include <string>

#include "settings/test_screen_command.h"

namespace {

std::string Arguments(int width, int height, int gammaTest, int size = TEST_SCREEN_ARGUMENTS_SIZE) {
    std::string buffer(static_cast<size_t>(size) + 1, '#');
    const int fit = FormatTestScreenArguments(width, height, gammaTest, buffer.data(), size);
    EXPECT_EQ(buffer[static_cast<size_t>(size)], '#') << "wrote past the buffer";
    return std::to_string(fit) + ":" + buffer.c_str();
}

TEST(TestScreenCommandLine, ArgumentsNameTheModeAndTheGammaSwitch) {
    EXPECT_EQ(Arguments(800, 600, 0), "1:/800x600");
    EXPECT_EQ(Arguments(640, 480, 1), "1:/640x480 /gamma");
    EXPECT_EQ(Arguments(-2147483647 - 1, -2147483647 - 1, 1), "1:/-2147483648x-2147483648 /gamma");
    EXPECT_EQ(Arguments(800, 600, 0, 9), "1:/800x600");
    EXPECT_EQ(Arguments(800, 600, 0, 8), "0:");  // cut text is never handed on
    EXPECT_EQ(FormatTestScreenArguments(800, 600, 0, nullptr, 32), 0);
}

TEST(TestScreenCommandLine, WhatThePageWritesTheTestScreenReadsBack) {
    for (int mode = 0; mode < BOARD_MODE_COUNT; ++mode) {
        char arguments[TEST_SCREEN_ARGUMENTS_SIZE];
        ASSERT_EQ(FormatTestScreenArguments(BoardModes[mode].width, BoardModes[mode].height, 0, arguments,
                                            sizeof arguments),
                  1);
        EXPECT_EQ(FindModeArgument(arguments), mode) << arguments;
        EXPECT_EQ(HasGammaSwitch(arguments), 0) << arguments;
    }
    char gamma[TEST_SCREEN_ARGUMENTS_SIZE];
    FormatTestScreenArguments(BoardModes[GAMMA_TEST_MODE].width, BoardModes[GAMMA_TEST_MODE].height, 1, gamma,
                              sizeof gamma);
    EXPECT_EQ(FindModeArgument(gamma), GAMMA_TEST_MODE);
    EXPECT_EQ(HasGammaSwitch(gamma), 1);
    EXPECT_EQ(HasGammaSwitch(nullptr), 0);
}

}  // namespace
