#include "output/text_source.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "output/failure.hpp"
#include "output/interrupts.hpp"
#include "support/run_binary.hpp"
#include "support/failure_of.hpp"

namespace voxmill {
namespace {

using testing::failure_of;

// Every record of a file, each behind its line number.
std::vector<std::string> records_of(TextSource& source)
{
    std::vector<std::string> records;
    std::string_view record;
    while (source.next_record(record)) records.push_back(std::to_string(source.line()) + ":" + std::string(record));
    return records;
}

TEST(TextSource, SplitsRecordsAtLineEnds)
{
    const struct {
        std::string content;
        std::vector<std::string> records;
    } cases[] = {
        {"", {}},
        {"a\nlast", {"1:a", "2:last"}},
        {"\n\r\n \n", {"1:", "2:", "3: "}},
        {"a\rb\n", {"1:a\rb"}},
    };
    testing::ScratchDir dir;
    for (const auto& c : cases) {
        dir.write("in", c.content);
        TextSource source((dir.path() / "in").string());
        EXPECT_EQ(records_of(source), c.records) << c.content;
    }
}

TEST(TextSource, ReadsRecordsAgainAfterARewind)
{
    // Lines of many lengths and one of 3 MiB: more than the pages let go of on the
    // way; LF and CR LF line ends.
    std::string content;
    std::vector<std::string> expected;
    for (int n = 1; n <= 2000; ++n) {
        const std::string line(n == 1000 ? 3u << 20 : n * 7 % 3001u, static_cast<char>('a' + n % 26));
        content += line + (n % 3 == 0 ? "\r\n" : "\n");
        expected.push_back(std::to_string(n) + ":" + line);
    }
    testing::ScratchDir dir;
    dir.write("in", content);
    TextSource source((dir.path() / "in").string());
    EXPECT_EQ(records_of(source), expected);
    source.rewind();
    EXPECT_EQ(records_of(source), expected);
}

TEST(TextSource, ReadsTextFields)
{
    const std::string hundred = std::string(60, 'h') + std::string(40, 't');
    const struct {
        std::string_view record;
        std::size_t width, length;
        std::string field;
    } cases[] = {
        {hundred, 0, 80, hundred.substr(0, 80)},                     // A: the first 80 of a longer record
        {"0123456789", 0, 80, "0123456789" + std::string(70, ' ')},  // A: a shorter one, blank-filled
        {"abcdefg", 5, 3, "cde"},                                    // Aw wider than the variable: its last L
        {"abcdefg", 3, 5, "abc  "},                                  // Aw narrower: blanks follow
        {"ab", 10, 4, "    "},                                       // missing characters are blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_text_field(c.record, c.width, c.length), c.field) << c.record << " w=" << c.width;
}

const std::string grid = "  128  128  128";

// Counts the records of `content` that hold the grid line within 80 columns,
// searching the buffer as a whole: the count and the line after the scan, or
// the failure, with the file named CHGCAR.
std::string count_grid_lines(const std::string& content)
{
    testing::ScratchDir dir;
    dir.write("CHGCAR", content);
    const std::string path = (dir.path() / "CHGCAR").string();
    std::string result;
    const std::string failure = failure_of([&] {
        TextSource source(path);
        source.watch(grid, 80);
        const long n = source.watched_to_end();
        result = std::to_string(n) + " at line " + std::to_string(source.line());
    });
    return failure == "no failure" ? result : "CHGCAR" + failure.substr(path.size());
}

// Short files, where the search meets every place of a record, are in the
// random comparison below; these are files of several buffers, long lines and
// the failure.
TEST(TextSourceScan, CountsTheRecordsHoldingAText)
{
    const std::string values = " 0.12345678901E+01 0.12345678901E+01 0.12345678901E+01 0.12345678901E+01\n";
    std::string many_values;
    for (int i = 0; i < 40'000; ++i) many_values += values;  // about 3 MB: several buffers
    const std::string long_line(3 << 20, 'x');                // longer than the first buffer
    const std::size_t limit = TextSource::max_record_length;

    const struct {
        std::string name;
        std::string content;
        std::string expected;  // the count and the line after the scan, or the failure
    } cases[] = {
        {"empty file", "", "0 at line 0"},
        {"blocks among values", "header\n" + grid + "\n" + many_values + "augmentation\n" + grid + "\n" + many_values,
         "2 at line 80004"},
        {"a grid line after a long line", long_line + "\n" + grid + "\n" + long_line, "1 at line 3"},
        {"a long line holding the text early", grid + long_line + "\n" + long_line + grid + "\n", "1 at line 2"},
        {"a line of 16 MiB and a CR, then one over 16 MiB",
         grid + "\n" + std::string(limit, 'a') + "\r\n" + std::string(limit + 1, 'b') + "\n" + grid + "\n",
         "CHGCAR:3: line is longer than 16 MiB"},
    };
    for (const auto& c : cases) EXPECT_EQ(count_grid_lines(c.content), c.expected) << c.name;
}

TEST(TextSourceScan, ALineTooLongFailsAgainWhenReadOn)
{
    // A reader that meets the line, then the count of the rest: the same failure.
    testing::ScratchDir dir;
    dir.write("CHGCAR", "a\n" + std::string(TextSource::max_record_length + 1, 'b') + "\n" + grid + "\n");
    const std::string path = (dir.path() / "CHGCAR").string();
    TextSource source(path);
    source.watch(grid, 80);
    std::string_view record;
    ASSERT_TRUE(source.next_record(record));
    const std::string expected = path + ":2: line is longer than 16 MiB";
    EXPECT_EQ(failure_of([&] { source.next_record(record); }), expected);
    EXPECT_EQ(failure_of([&] { source.watched_to_end(); }), expected);
}

TEST(TextSourceScan, CountsAsARecordByRecordSearchDoesOnRandomText)
{
    // Few characters, so that the text and its first and last characters turn
    // up often, at every place of the sixteen searched at once, the short text
    // often twice in a record.
    std::mt19937 random(5);
    testing::ScratchDir dir;
    const std::string path = (dir.path() / "in").string();
    for (int round = 0; round < 400; ++round) {
        const std::string text = round % 2 == 0 ? "1 1" : "  12  8";
        std::string content(random() % 400, ' ');
        for (char& c : content) c = " 128\n\r"[random() % 6];
        const std::size_t columns = std::size_t{4} << (round % 5);
        dir.write("in", content);

        TextSource by_record(path);
        by_record.watch(text, columns);
        long expected = 0;
        std::string_view record;
        while (by_record.next_record(record)) expected += record.substr(0, columns).find(text) != std::string_view::npos;
        EXPECT_EQ(by_record.watched_to_end(), expected) << content;

        // Counted whole, and counted on from a record part of the way in.
        for (const long records_first : {0L, static_cast<long>(random() % 8)}) {
            TextSource whole(path);
            whole.watch(text, columns);
            for (long n = 0; n < records_first; ++n) whole.next_record(record);
            EXPECT_EQ(whole.watched_to_end(), expected) << content;
            EXPECT_EQ(whole.line(), by_record.line()) << content;
        }
    }
}

TEST(TextSourceScan, GridTextAcrossTheStretchesSearchedAtOnce)
{
    // The search goes a stretch of whole records at a time, each no longer than
    // the longest record allowed: the grid line around the end of the first.
    const std::size_t stretch = TextSource::max_record_length;
    for (std::size_t shift = 0; shift < 40; shift += 3) {
        const std::string filler(stretch - 45 + shift, 'v');
        EXPECT_EQ(count_grid_lines("v\n" + filler + "\n" + grid + "\nafter\n" + grid), "2 at line 5") << shift;
    }
}

TEST(TextSourceDeathTest, AFileCutShortWhileItIsReadEndsTheRunNamingIt)
{
    testing::ScratchDir dir;
    const std::string path = (dir.path() / "CHGCAR").string();
    dir.write("CHGCAR", std::string(100'000, 'x') + "\n");
    EXPECT_EXIT(
        {
            interrupts::install();
            TextSource source(path);
            std::filesystem::resize_file(path, 0);
            std::string_view record;
            source.next_record(record);
        },
        ::testing::ExitedWithCode(1), "^voxmill: cannot read " + path + ": the file was cut short while it was read\n$");
}

}  // namespace
}  // namespace voxmill
