#include "output/text_source.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "output/failure.hpp"
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
        {"a\nbc\n", {"1:a", "2:bc"}},
        {"a\r\nbc\r\n", {"1:a", "2:bc"}},
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

TEST(TextSource, ReadsRecordsAcrossBufferRefillsAndRewinds)
{
    // Lines of many lengths, and one of 3 MiB that makes the buffer grow.
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

TEST(TextSource, RefusesARecordLongerThanTheLimit)
{
    const std::size_t limit = TextSource::max_record_length;
    testing::ScratchDir dir;
    dir.write("in", "x\n" + std::string(limit, 'a') + "\r\n" + std::string(limit + 1, 'b') + "\n");
    const std::string path = (dir.path() / "in").string();
    TextSource source(path);
    std::string_view record;
    ASSERT_TRUE(source.next_record(record));
    ASSERT_TRUE(source.next_record(record));
    EXPECT_EQ(record.size(), limit);
    EXPECT_EQ(failure_of([&] { source.next_record(record); }), path + ":3: line is longer than 16 MiB");
}

TEST(TextSource, NamesTheFileItCannotRead)
{
    testing::ScratchDir dir;
    const std::string missing = (dir.path() / "CHGCAR").string();
    EXPECT_EQ(failure_of([&] { TextSource{missing}; }), "cannot read " + missing + ": No such file or directory");
    EXPECT_EQ(failure_of([&] { TextSource{dir.path().string()}; }), "cannot read " + dir.path().string() + ": Is a directory");
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

}  // namespace
}  // namespace voxmill
