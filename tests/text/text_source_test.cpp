// Records and their line numbers, and the count of the records that hold a
// text, taken record by record or over the whole text at once.
#include "text/text_source.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/failure_of.hpp"
#include "support/run_binary.hpp"
#include "system/interrupts.hpp"

namespace voxmill::testing {
namespace {

TEST(TextSource, SplitsRecordsAtLineEndsAndReadsThemAgainAfterARewind)
{
    // Lines of many lengths and one of 3 MiB: more pages than a mapped file lets go of on the way.
    std::string long_text, long_records;
    for (int n = 1; n <= 2000; ++n) {
        const std::string line(n == 1000 ? 3u << 20 : n * 7 % 3001u, static_cast<char>('a' + n % 26));
        long_text += line + (n % 3 == 0 ? "\r\n" : "\n");
        long_records += std::to_string(n) + ":" + line + "|";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"a\nlast", "1:a|2:last|"}, {"\n\r\n \n", "1:|2:|3: |"}, {"a\rb\n", "1:a\rb|"}, {long_text, long_records}};
    ScratchDir dir;
    for (const auto& [text, records] : cases) {
        dir.write("in", text);
        TextSource file((dir.path() / "in").string()), given("in", text);
        for (TextSource* source : {&file, &given})
            for (int pass = 0; pass < 2; ++pass, source->rewind()) {
                std::string read;
                for (std::string_view record; source->next_record(record);)
                    read += std::to_string(source->line()) + ":" + std::string(record) + "|";
                EXPECT_TRUE(read == records) << text.substr(0, 20) << (source == &file ? " from a file" : "");
            }
    }
}

const std::string grid = "  128  128  128";

// The count of the records holding `watched` in their first `columns`
// characters, taken over the whole text after `read` records, and the line
// after it; or the failure.
std::string count(const std::string& text, long read = 0, const std::string& watched = grid, std::size_t columns = 80)
{
    TextSource source("CHGCAR", text);
    source.watch(watched, columns);
    std::string count;
    const std::string failure = failure_of([&] {
        for (std::string_view record; read-- > 0;) source.next_record(record);
        count = std::to_string(source.watched_to_end());
        count += " at line " + std::to_string(source.line());
    });
    return failure == "no failure" ? count : failure;
}

TEST(TextSourceScan, CountsTheRecordsHoldingAText)
{
    // Records of 16 bytes, a line feed in the same byte lane of every 16 the
    // scan takes at once: more than 255 of them, the most a lane counts.
    std::string values;
    for (int i = 0; i < 40'000; ++i) values += " 0.12345678E+01\n";
    const std::string long_line(3 << 20, 'x');
    const std::size_t limit = TextSource::max_record_length;
    const std::string too_long = "a\n" + std::string(limit + 1, 'b') + "\n" + grid + "\n";
    const std::tuple<std::string, int, std::string> cases[] = {  // text, records read first, outcome
        {"", 0, "0 at line 0"},
        {"header\n" + grid + "\n" + values + "augmentation\n" + grid + "\n" + values, 0, "2 at line 80004"},
        {long_line + "\n" + grid + "\n" + long_line, 0, "1 at line 3"},
        {grid + long_line + "\n" + long_line + grid + "\n", 0, "1 at line 2"},
        {grid + "\n" + std::string(limit, 'a') + "\r\n" + std::string(limit + 1, 'b') + "\n" + grid + "\n", 0,
         "CHGCAR:3: line is longer than 16 MiB"},
        // met by a reader first, then by the count: the same failure
        {too_long, 1, "CHGCAR:2: line is longer than 16 MiB"}, {too_long, 2, "CHGCAR:2: line is longer than 16 MiB"},
    };
    for (const auto& [text, read, outcome] : cases) EXPECT_EQ(count(text, read), outcome) << text.substr(0, 40);
    // Whole records are searched a stretch of at most the longest record at a
    // time: the grid text around the end of the first.
    for (std::size_t shift = 0; shift < 40; shift += 3)
        EXPECT_EQ(count("v\n" + std::string(limit - 45 + shift, 'v') + "\n" + grid + "\nafter\n" + grid), "2 at line 5");
}

TEST(TextSourceScan, CountsAsARecordByRecordSearchDoesOnRandomText)
{
    // Few characters, so that the text and its first and last characters turn
    // up often, at each of the sixteen places searched at once.
    std::mt19937 random(5);
    for (int round = 0; round < 400; ++round) {
        const std::string watched = round % 2 == 0 ? "1 1" : "  12  8";
        std::string text(random() % 400, ' ');
        for (char& c : text) c = " 128\n\r"[random() % 6];
        const std::size_t columns = std::size_t{4} << (round % 5);
        TextSource source("in", text);
        long records = 0, holding = 0;
        for (std::string_view record; source.next_record(record); ++records)
            holding += record.substr(0, columns).find(watched) != std::string_view::npos;
        // counted whole, from a record part of the way in, and record by record
        for (const long read : {0L, static_cast<long>(random() % 8), records})
            EXPECT_EQ(count(text, read, watched, columns), std::to_string(holding) + " at line " + std::to_string(records)) << text;
    }
}

TEST(TextSourceDeathTest, AFileCutShortWhileItIsReadEndsTheRunNamingIt)
{
    ScratchDir dir;
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
}  // namespace voxmill::testing
