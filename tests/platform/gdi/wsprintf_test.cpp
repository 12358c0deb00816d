// wsprintfA: the format table, the 1,024-byte cap and bad arguments.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// Formats with one integer argument.
std::string FormatInt(const char* format, int32_t value) {
    char buffer[1100];
    int written = wsprintfA(buffer, format, value);
    EXPECT_EQ(written, static_cast<int>(std::strlen(buffer))) << format;
    return buffer;
}

std::string FormatText(const char* format, const char* value) {
    char buffer[1100];
    int written = wsprintfA(buffer, format, value);
    EXPECT_EQ(written, static_cast<int>(std::strlen(buffer))) << format;
    return buffer;
}

TEST(Wsprintf, IntegerFields) {
    struct Case {
        const char* format;
        int32_t value;
        const char* expected;
    } cases[] = {
        {"%d", 0, "0"},
        {"%d", -5, "-5"},
        {"%i", 123, "123"},
        {"%ld", INT_MIN, "-2147483648"},
        {"%d", INT_MAX, "2147483647"},
        {"%u", -1, "4294967295"},
        {"%lu", -1294967296, "3000000000"},  // the same 32 bits
        {"%x", 255, "ff"},
        {"%X", 255, "FF"},
        {"%lx", -1, "ffffffff"},
        {"%#x", 255, "0xff"},
        {"%#X", 255, "0XFF"},
        {"%#x", 0, "0"},
        {"%5d", 42, "   42"},
        {"%-5d|", 42, "42   |"},
        {"%05d", 42, "00042"},
        {"%05d", -42, "-0042"},
        {"%-05d|", 42, "42   |"},  // left alignment wins over zeros
        {"%08lx", 0xBEEF, "0000beef"},
        {"%#06x", 0x1F, "0x001f"},
        {"%.3d", 7, "007"},
        {"%6.3d", -7, "  -007"},
        {"%1d", 12345, "12345"},  // a width never cuts
        {"%d Hz", 75, "75 Hz"},
        {"%d Khz", 31, "31 Khz"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatInt(c.format, c.value), c.expected) << c.format;
}

TEST(Wsprintf, TextFieldsAndLiterals) {
    EXPECT_EQ(FormatText("%s", "abc"), "abc");
    EXPECT_EQ(FormatText("[%5s]", "abc"), "[  abc]");
    EXPECT_EQ(FormatText("[%-5s]", "abc"), "[abc  ]");
    EXPECT_EQ(FormatText("%.2s", "abc"), "ab");
    EXPECT_EQ(FormatText("[%5.1s]", "abc"), "[    a]");
    EXPECT_EQ(FormatText("%.0s|", "abc"), "|");
    EXPECT_EQ(FormatText("%hs", "narrow"), "narrow");
    EXPECT_EQ(FormatText("%s", nullptr), "(null)");
    EXPECT_EQ(FormatText("100%%", nullptr), "100%");
    EXPECT_EQ(FormatText("%y", nullptr), "y");  // no such field: the character is copied
    EXPECT_EQ(FormatText("tail %", nullptr), "tail ");
}

TEST(Wsprintf, CharacterFields) {
    char buffer[32];
    EXPECT_EQ(wsprintfA(buffer, "%c|%3c|%-3c|%hc", 'Q', 'a', 'b', 'n'), 11);
    EXPECT_STREQ(buffer, "Q|  a|b  |n");
}

TEST(Wsprintf, WideArgumentsAreNarrowed) {
    const WCHAR wide[] = {'H', 'z', 0x263A, 0};
    char buffer[32];
    EXPECT_EQ(wsprintfA(buffer, "%ls|%S", wide, wide), 7);
    EXPECT_STREQ(buffer, "Hz?|Hz?");
    EXPECT_EQ(wsprintfA(buffer, "%C%lc", 'a', 0x263A), 2);
    EXPECT_STREQ(buffer, "a?");
    EXPECT_EQ(wsprintfA(buffer, "%ls", static_cast<const WCHAR*>(nullptr)), 6);
    EXPECT_STREQ(buffer, "(null)");
}

TEST(Wsprintf, ModeLinesOfTheTestScreen) {
    char buffer[64];
    EXPECT_EQ(wsprintfA(buffer, "%dx%dx%d %dHz", 640, 480, 16, 75), 15);
    EXPECT_STREQ(buffer, "640x480x16 75Hz");
    EXPECT_EQ(wsprintfA(buffer, "/%dx%d", 800, 600), 8);
    EXPECT_STREQ(buffer, "/800x600");
    EXPECT_EQ(wsprintfA(buffer, "Last Error = 0x%08lx", 0x57), 23);
    EXPECT_STREQ(buffer, "Last Error = 0x00000057");
}

TEST(Wsprintf, OutputStopsAt1024BytesWithTheTerminator) {
    std::string longText(2000, 'a');
    char buffer[1100];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1023);
    EXPECT_EQ(buffer[1022], 'a');
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], 'x');  // nothing beyond the cap

    // Padding and literal text obey the same cap.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(wsprintfA(buffer, "%5000d", 1), 1023);
    EXPECT_EQ(buffer[1024], 'x');
    std::string longFormat(1500, 'b');
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(wsprintfA(buffer, longFormat.c_str()), 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], 'x');

    // Exactly 1,023 characters fit.
    std::string fits(1023, 'c');
    EXPECT_EQ(wsprintfA(buffer, "%s", fits.c_str()), 1023);
}

TEST(Wsprintf, NullBufferOrFormat) {
    EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(wsprintfA(buffer, nullptr), 0);
    EXPECT_EQ(buffer[0], '\0');
}

}  // namespace
