// Splitting the boot file into lines and finding the board's names in them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "propsheet/autoexec.h"

namespace {

struct SplitCase {
    std::string text;
    std::vector<std::string> lines;
};

std::vector<std::string> Split(std::string text) {
    const DWORD count = CountLines(text.c_str(), static_cast<DWORD>(text.size()));
    std::vector<AutoexecLine> table(count + 1);
    SplitLines(text.data(), static_cast<DWORD>(text.size()), count, table.data());
    std::vector<std::string> lines;
    for (DWORD i = 0; i < count; ++i) {
        EXPECT_EQ(table[i].lpText, text.data() + table[i].dwOffset);
        lines.emplace_back(table[i].lpText, table[i].cbLength);
    }
    return lines;
}

TEST(SplitLines, EveryLineEndAndTrailingText) {
    const SplitCase cases[] = {
        {"", {}},
        {"A", {"A"}},
        {"A\r", {"A"}},
        {"A\r\n", {"A"}},
        {"A\n", {"A"}},
        {"A\n\r", {"A", ""}},  // LF then a CR: two line ends
        {"\r\n\r\n", {"", ""}},
        {"A\rB\nC\r\nD", {"A", "B", "C", "D"}},
        {"A\r\r\nB", {"A", "", "B"}},
        {std::string("X\0Y\r\n", 5), {std::string("X\0Y", 3)}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text), c.lines) << "text: " << c.text;
}

TEST(SplitLines, LineEndsBecomeNulBytesSoEachLineIsTerminated) {
    std::string text = "AB\r\nC\rD";
    const DWORD count = CountLines(text.c_str(), static_cast<DWORD>(text.size()));
    std::vector<AutoexecLine> table(count + 1);
    SplitLines(text.data(), static_cast<DWORD>(text.size()), count, table.data());
    EXPECT_EQ(text, std::string("AB\0\0C\0D", 7));
    EXPECT_STREQ(table[0].lpText, "AB");
    EXPECT_STREQ(table[1].lpText, "C");
}

TEST(LineMentions, CaseInsensitiveAnywhereInTheWholeLine) {
    const std::string line = "rem hgi_bgamma";
    EXPECT_EQ(LineMentions(line.c_str(), static_cast<DWORD>(line.size()), "HGI_BGAMMA"), 1);
    EXPECT_EQ(LineMentions(line.c_str(), static_cast<DWORD>(line.size()), "HGI_RGAMMA"), 0);
    // Only ASCII letters fold: a byte above 127 matches only itself.
    const std::string accented = "SET \xC9HGI_RGAMMA";
    EXPECT_EQ(LineMentions(accented.c_str(), static_cast<DWORD>(accented.size()), "\xE9hgi"), 0);
    // The name cut off by the end of the line is no match.
    const std::string cut = "SET HGI_RGAMM";
    EXPECT_EQ(LineMentions(cut.c_str(), static_cast<DWORD>(cut.size()), "HGI_RGAMMA"), 0);
    // Far beyond the first kilobyte.
    const std::string longLine = std::string(4000, ' ') + "Hgi_GrxClk=1";
    EXPECT_EQ(LineMentions(longLine.c_str(), static_cast<DWORD>(longLine.size()), "HGI_GRXCLK"), 1);
}

}  // namespace
