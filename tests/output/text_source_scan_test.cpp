// Counting the records that hold a text by searching the buffer as a whole must
// find what a record-by-record search finds, with the same failures.
#include <gtest/gtest.h>

#include <string>

#include "output/failure.hpp"
#include "output/text_source.hpp"
#include "support/run_binary.hpp"

namespace voxmill {
namespace {

const std::string grid = "  128  128  128";

// Both ways on the same file; each gives its count, or its failure message.
struct Counts {
    std::string whole;
    std::string record_by_record;
};

template <typename Count>
std::string outcome(const std::string& path, Count count)
{
    try {
        TextSource source(path);
        const long n = count(source);
        // The line number after the scan must match too.
        return std::to_string(n) + " at line " + std::to_string(source.line());
    } catch (const Failure& failure) {
        return failure.what();
    }
}

Counts count_both_ways(const std::string& content, const std::string& text = grid, std::size_t columns = 80)
{
    testing::ScratchDir dir;
    dir.write("CHGCAR", content);
    const std::string path = (dir.path() / "CHGCAR").string();
    return {outcome(path, [&](TextSource& source) { return source.count_records_holding(text, columns); }),
            outcome(path, [&](TextSource& source) {
                long n = 0;
                std::string_view record;
                while (source.next_record(record)) n += record.substr(0, columns).find(text) != std::string_view::npos;
                return n;
            })};
}

TEST(TextSourceScan, CountsAsRecordByRecord)
{
    const std::string values = " 0.12345678901E+01 0.12345678901E+01 0.12345678901E+01 0.12345678901E+01\n";
    std::string many_values;
    for (int i = 0; i < 40'000; ++i) many_values += values;  // about 3 MB: several buffers
    const std::string long_line(3 << 20, 'x');                // longer than the first buffer

    const struct {
        std::string name;
        std::string content;
        std::string expected;  // the count and the line after the scan
    } cases[] = {
        {"empty file", "", "0 at line 0"},
        {"one grid line", grid + "\n", "1 at line 1"},
        {"no line end at the end", "title\n" + grid, "1 at line 2"},
        {"CR LF", "title\r\n" + grid + "\r\nx\r\n", "1 at line 3"},
        {"twice on one line counts once", grid + grid + "\n", "1 at line 1"},
        {"ending in column 80", std::string(65, ' ') + grid + "\n", "1 at line 1"},
        {"ending in column 81", std::string(66, '.') + grid + "\n", "0 at line 1"},
        {"past 80, then within 80 on the next line", std::string(70, '.') + grid + "\nab" + grid + "\n", "1 at line 2"},
        {"a CR is no part of the record", std::string(65, '.') + grid + "\r\n", "1 at line 1"},
        {"other spacing", "  128 128  128\n 128  128  128\n", "0 at line 2"},
        {"blocks among values", "header\n" + grid + "\n" + many_values + "augmentation\n" + grid + "\n" + many_values,
         "2 at line 80004"},
        {"a grid line after a long line", long_line + "\n" + grid + "\n" + long_line, "1 at line 3"},
        {"a long line holding the text early", grid + long_line + "\n" + long_line + grid + "\n", "1 at line 2"},
    };
    for (const auto& c : cases) {
        const Counts counts = count_both_ways(c.content);
        EXPECT_EQ(counts.whole, c.expected) << c.name;
        EXPECT_EQ(counts.whole, counts.record_by_record) << c.name;
    }
}

TEST(TextSourceScan, GridTextAcrossBufferBoundaries)
{
    // The grid line at every offset around the end of the first 1 MiB buffer.
    const std::size_t buffer = std::size_t{1} << 20;
    for (std::size_t shift = 0; shift < 40; ++shift) {
        const std::string filler(buffer - 20 + shift, 'v');
        const Counts counts = count_both_ways(filler + "\n" + grid + "\nafter\n" + grid);
        EXPECT_EQ(counts.whole, "2 at line 4") << shift;
        EXPECT_EQ(counts.whole, counts.record_by_record) << shift;
    }
}

TEST(TextSourceScan, FailsOnATooLongLineAsRecordByRecord)
{
    const std::string too_long(TextSource::max_record_length + 1, 'x');
    const Counts counts = count_both_ways(grid + "\nvalues\n" + too_long + "\n" + grid + "\n");
    EXPECT_NE(counts.whole.find("line is longer than 16 MiB"), std::string::npos) << counts.whole;
    EXPECT_EQ(counts.whole, counts.record_by_record);
}

}  // namespace
}  // namespace voxmill
