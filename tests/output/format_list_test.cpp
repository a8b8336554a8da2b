#include "output/format_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voxmill {
namespace {

TEST(FormatList, CpuTimeLine)
{
    struct Case { double seconds; std::string_view line; };
    const Case cases[] = {
        {2.5, " CPU time (s):    2.500\n"},
        {10000.0, " CPU time (s): ********\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(format_record("(1X,A14,F8.3)", {"CPU time (s): ", c.seconds}), c.line) << c.seconds;
}

// The lists of the result files and the report are checked through their whole
// records (tests/output/writers_test.cpp and the expected files of the runs).
TEST(FormatList, ListsNoResultFileUses)
{
    EXPECT_EQ(format_record("(I0)", {12}), "12\n");
    EXPECT_EQ(format_record("(A)", {" as it  stands "}), " as it  stands \n");
    EXPECT_EQ(format_record("( 1x , a2 )", {"Fe"}), " Fe\n");  // case and blanks do not matter
}

TEST(FormatList, ReversionAndMissingItems)
{
    // Items outlast the list: the record ends and the list starts again.
    EXPECT_EQ(format_record("(3F12.6)", {1.0, 2.0, 3.0, 4.0}),
              "    1.000000    2.000000    3.000000\n    4.000000\n");
    EXPECT_EQ(format_record("(1X,2I6)", {1, 2, 3, 4, 5}), "      1     2\n      3     4\n      5\n");
    // Output stops at the first data descriptor without an item; an nX before it is written.
    EXPECT_EQ(format_record("(A3,1X,3F12.6)", {"Si:"}), "Si: \n");
    EXPECT_EQ(format_record("(1X,A5)", {}), " \n");
}

TEST(FormatList, WriteIntoATextVariable)
{
    const FormatList grid("(3I5)");
    const std::vector<FormatItem> sizes = {48, 48, 96};
    EXPECT_EQ(grid.write_text(sizes, 80), "   48   48   96" + std::string(65, ' '));
    EXPECT_EQ(grid.write_text(sizes, 7), "   48  ");
    const std::vector<FormatItem> count = {2};
    EXPECT_EQ(FormatList("(I0)").write_text(count, 80), "2" + std::string(79, ' '));
    // One variable is one record: reversion would need a second.
    const std::vector<FormatItem> four = {1, 2, 3, 4};
    EXPECT_THROW(grid.write_text(four, 80), std::invalid_argument);
}

TEST(FormatList, MalformedListsAndMismatchedItemsAreErrors)
{
    for (const char* list : {"3F12.6", "(F12)", "(F12.)", "(I)", "(Q5)", "(A5,)", "(0A5)", "(A5 I3)", "("})
        EXPECT_THROW(FormatList{list}, std::invalid_argument) << list;
    EXPECT_THROW(format_record("(I3)", {1.5}), std::invalid_argument);
    EXPECT_THROW(format_record("(F8.3)", {3}), std::invalid_argument);
    EXPECT_THROW(format_record("(A5)", {1.0}), std::invalid_argument);
    EXPECT_THROW(format_record("(1X)", {1}), std::invalid_argument);
}

}  // namespace
}  // namespace voxmill
