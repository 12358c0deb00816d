#include "platform/kernel/text_encoding.h"

#include <gtest/gtest.h>

using brontar::platform::Utf16ToUtf8;

TEST(Utf16ToUtf8, EncodesEachLengthOfSequence) {
    EXPECT_EQ(Utf16ToUtf8(u"A"), "A");
    EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");
    EXPECT_EQ(Utf16ToUtf8(u"\uFF8C"), "\xEF\xBE\x8C");  // half-width katakana of the Japanese strings
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf16ToUtf8, LoneSurrogatesStayCodeUnits) {
    // A high surrogate followed by a letter is not a pair: both are kept.
    const char16_t broken[] = {0xD83D, u'A', 0};
    EXPECT_EQ(Utf16ToUtf8(broken), "\xED\xA0\xBD" "A");
    const char16_t trailing[] = {u'A', 0xD83D, 0};
    EXPECT_EQ(Utf16ToUtf8(trailing), "A\xED\xA0\xBD");
}
