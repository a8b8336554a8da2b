// The window of a stream: records of every length up to the limit, read from
// a FIFO and from a gzip file as from the whole text, again after a step back,
// with the text ahead that the window holds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <thread>

#include "support/scratch.hpp"
#include "text/text_source.hpp"

namespace voxmill::testing {
namespace {

TEST(TextStream, ReadsRecordsOfEveryLengthThroughItsWindow)
{
    std::string text;
    for (int n = 1; n <= 300; ++n) {
        const std::size_t length = n == 100 ? TextSource::max_record_length : n == 200 ? 9u << 20 : n * 7919 % 70001u;
        text += std::string(length, static_cast<char>('a' + n % 26)) + (n % 3 == 0 ? "\r\n" : "\n");
    }
    ScratchDir dir;
    dir.write("text", text);
    const std::string in = dir.path().string() + "/";
    ASSERT_EQ(std::system(("gzip -1 <" + in + "text >" + in + "text.gz").c_str()), 0);
    ASSERT_EQ(::mkfifo((in + "fifo").c_str(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);  // the writer ends when a failed test stops reading
    std::jthread writer([&] { std::ofstream(in + "fifo") << text; });
    for (const std::string name : {"fifo", "text.gz"}) {
        SCOPED_TRACE(name);
        TextSource stream(in + name), whole("text", text);
        EXPECT_FALSE(stream.can_look_ahead());
        std::string_view expected, record;
        while (whole.next_record(expected)) {
            // Every other record is read again after the window has moved on.
            for (int pass = 0; pass < 1 + whole.line() % 2; ++pass) {
                if (pass == 1) stream.step_back();
                ASSERT_TRUE(stream.next_record(record));
                ASSERT_EQ(stream.line(), whole.line());
                ASSERT_TRUE(record == expected);
                ASSERT_TRUE(stream.text_ahead(1 << 18) == whole.text_ahead(1 << 18)) << whole.line();
            }
        }
        EXPECT_FALSE(stream.next_record(record));
    }
    dir.write("long", "a\n" + std::string(TextSource::max_record_length + 1, 'x'));
    ASSERT_EQ(std::system(("gzip <" + in + "long >" + in + "long.gz").c_str()), 0);
    TextSource stream(in + "long.gz");
    std::string_view record;
    EXPECT_EQ(failure_of([&] { while (stream.next_record(record)) {} }), in + "long.gz:2: line is longer than 16 MiB");
}

}  // namespace
}  // namespace voxmill::testing
