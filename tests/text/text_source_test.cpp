// Records and their line numbers, read from a file or a string, again after
// a rewind, a return to a mark or a step back.
#include "text/text_source.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch.hpp"
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

TEST(TextSource, ReadsAgainFromAMarkOrAStepBackAndStopsAtALineTooLong)
{
    const std::size_t limit = TextSource::max_record_length;
    TextSource source("CHGCAR", "a\nb\n" + std::string(limit + 1, 'c') + "\nd\n");
    std::string_view record;
    source.next_record(record);
    const TextSource::Mark after_a = source.mark();
    source.next_record(record);
    source.step_back();
    ASSERT_TRUE(source.next_record(record));
    EXPECT_EQ(record, "b");
    EXPECT_EQ(source.line(), 2);
    // The line too long stays unread: reading on meets it again.
    for (int tries = 0; tries < 2; ++tries)
        EXPECT_EQ(failure_of([&] { source.next_record(record); }), "CHGCAR:3: line is longer than 16 MiB");
    source.return_to(after_a);
    ASSERT_TRUE(source.next_record(record));
    EXPECT_EQ(std::string(record) + " at line " + std::to_string(source.line()), "b at line 2");
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
