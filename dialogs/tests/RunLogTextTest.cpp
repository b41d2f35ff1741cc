// The run log's text as the dialog lists and prints it: entries of at most
// 99 characters, the list's tab stops, tab expansion on paper, footers,
// the date and the page count.

#include "RunLogText.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::string>;

struct EntriesCase {
    const char* name;
    std::string file;
    Entries entries;
};

class RunLogEntries : public testing::TestWithParam<EntriesCase> {};

TEST_P(RunLogEntries, ComeFromTheFileInPieces)
{
    EXPECT_EQ(CRunLogText::Entries(GetParam().file), GetParam().entries);
}

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RunLogEntries,
    testing::Values(
        EntriesCase{"Empty", "", {}}, EntriesCase{"TwoLines", "a\nb\n", {"a", "b"}},
        EntriesCase{"NoFinalBreak", "a\nb", {"a", "b"}},
        EntriesCase{"TrailingBlanksAndCarriageReturns", "x  \t\r\ny\r\n", {"x", "y"}},
        EntriesCase{"BlankLineKept", "a\n\nb\n", {"a", "", "b"}},
        EntriesCase{"ExactlyNinetyNine", Repeat("x", 99) + "\n", {Repeat("x", 99)}},
        EntriesCase{
            "HundredFiftyInTwoPieces", Repeat("y", 150) + "\n", {Repeat("y", 99), Repeat("y", 51)}},
        EntriesCase{
            "PieceLosesItsTrailingBlanks", Repeat("z", 98) + "  next", {Repeat("z", 98), " next"}},
        EntriesCase{
            "CharactersNotBytes", Repeat("\xC3\xA9", 100), {Repeat("\xC3\xA9", 99), "\xC3\xA9"}}),
    [](const testing::TestParamInfo<EntriesCase>& info) { return std::string(info.param.name); });

TEST(RunLogTextTest, ListTabStopsInQuartersOfTheAverageWidth)
{
    EXPECT_EQ(CRunLogText::ListTabStops(8),
              (std::vector<int>{184, 360, 560, 736, 976, 1216, 1456}));
    EXPECT_EQ(CRunLogText::ListTabStops(6), (std::vector<int>{138, 270, 420, 552, 732, 912, 1092}));
    EXPECT_EQ(CRunLogText::AverageCharWidth(544), 8);
    EXPECT_EQ(CRunLogText::AverageCharWidth(550), 8);
    EXPECT_EQ(CRunLogText::AverageCharWidth(578), 9);
}

struct TabCase {
    const char* name;
    std::string line;
    std::vector<std::pair<double, std::string>> pieces;
};

class PrintedTabs : public testing::TestWithParam<TabCase> {};

TEST_P(PrintedTabs, ExpandToTheStops)
{
    // Every character is 10 units wide.
    const auto width = [](const std::string& text) {
        return 10.0 * static_cast<double>(text.size());
    };
    EXPECT_EQ(CRunLogText::TabbedPieces(GetParam().line, width), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PrintedTabs,
    testing::Values(TabCase{"NoTab", "plain", {{80, "plain"}}},
                    TabCase{"OneTab", "ab\tcd", {{80, "ab"}, {250, "cd"}}},
                    TabCase{"LeadingTab", "\tx", {{250, "x"}}},
                    TabCase{"TwoTabsInARow", "a\t\tb", {{80, "a"}, {300, "b"}}},
                    TabCase{"PieceReachesTheNextStop",
                            "abcdefghijklmnopqrstu\tv",
                            {{80, "abcdefghijklmnopqrstu"}, {300, "v"}}},
                    TabCase{
                        "PastTheLastStop",
                        "a\tb\tc\td\te\tf",
                        {{80, "a"}, {250, "b"}, {300, "c"}, {525, "d"}, {700, "e"}, {875, "f"}}},
                    TabCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<TabCase>& info) { return std::string(info.param.name); });

TEST(RunLogTextTest, FooterDateAndPages)
{
    EXPECT_EQ(CRunLogText::FooterText(1), "Page 1");
    EXPECT_EQ(CRunLogText::FooterText(12), "Page 12");
    std::tm day{};
    day.tm_year = 2024 - 1900;
    day.tm_mon = 2;
    day.tm_mday = 5;
    day.tm_wday = 2;
    EXPECT_EQ(CRunLogText::DateText(day), "Tuesday, March 05, 2024");
    EXPECT_EQ(CRunLogText::PageCount(0), 1);
    EXPECT_EQ(CRunLogText::PageCount(1), 1);
    EXPECT_EQ(CRunLogText::PageCount(42), 1);
    EXPECT_EQ(CRunLogText::PageCount(43), 2);
    EXPECT_EQ(CRunLogText::PageCount(84), 2);
    EXPECT_EQ(CRunLogText::PageCount(85), 3);
}

} // namespace
