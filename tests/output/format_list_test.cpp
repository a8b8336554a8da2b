#include "output/format_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voxmill {
namespace {

// The lists of the result files and the report are checked through their whole
// records (tests/output/writers_test.cpp and the expected files of the runs).
TEST(FormatList, WritesRecords)
{
    const struct {
        const char* list;
        std::vector<FormatItem> items;
        std::string records;
    } cases[] = {
        {"(1X,A14,F8.3)", {"CPU time (s): ", 2.5}, " CPU time (s):    2.500\n"},
        {"(1X,A14,F8.3)", {"CPU time (s): ", 10000.0}, " CPU time (s): ********\n"},
        // descriptors no result file uses; case and blanks do not matter
        {"(I0)", {12}, "12\n"},
        {"(A)", {" as it  stands "}, " as it  stands \n"},
        {"( 1x , a2 )", {"Fe"}, " Fe\n"},
        // items outlast the list: the record ends and the list starts again
        {"(3F12.6)", {1.0, 2.0, 3.0, 4.0}, "    1.000000    2.000000    3.000000\n    4.000000\n"},
        {"(1X,2I6)", {1, 2, 3, 4, 5}, "      1     2\n      3     4\n      5\n"},
        // output stops at the first data descriptor without an item; an nX before it is written
        {"(A3,1X,3F12.6)", {"Si:"}, "Si: \n"},
        {"(1X,A5)", {}, " \n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatList(c.list).write(c.items), c.records) << c.list;
}

TEST(FormatList, WriteIntoATextVariable)
{
    const FormatList grid("(3I5)");
    const std::vector<FormatItem> sizes = {48, 48, 96};
    EXPECT_EQ(grid.write_text(sizes, 80), "   48   48   96" + std::string(65, ' '));
    EXPECT_EQ(grid.write_text(sizes, 7), "   48  ");
    // One variable is one record: reversion would need a second.
    const std::vector<FormatItem> four = {1, 2, 3, 4};
    EXPECT_THROW(grid.write_text(four, 80), std::invalid_argument);
}

TEST(FormatList, MalformedListsAndMismatchedItemsAreErrors)
{
    for (const char* list : {"3F12.6", "(F12)", "(F12.)", "(I)", "(Q5)", "(A5,)", "(0A5)", "(A5 I3)", "("})
        EXPECT_THROW(FormatList{list}, std::invalid_argument) << list;
    const std::pair<const char*, FormatItem> mismatches[] = {{"(I3)", 1.5}, {"(F8.3)", 3}, {"(A5)", 1.0}, {"(1X)", 1}};
    for (const auto& [list, item] : mismatches)
        EXPECT_THROW(FormatList(list).write(std::span(&item, 1)), std::invalid_argument) << list;
}

}  // namespace
}  // namespace voxmill
