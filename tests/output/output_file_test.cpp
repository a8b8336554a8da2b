#include "output/output_file.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "output/failure.hpp"
#include "support/failure_of.hpp"
#include "support/run_binary.hpp"

namespace voxmill {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

// A result left uncommitted, as by a failed write, leaves the earlier file and
// no temporary one: ResultFiles.AFileSizeLimitLeavesTheEarlierFileUntouched.

TEST(OutputFile, WritesEverythingOnCommit)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "CHGDEN.xsf").string();
    // more than the buffer holds, in small writes, one large write and reserved room
    std::string expected;
    {
        OutputFile file(path);
        for (int i = 0; i < 100'000; ++i) {
            const std::string record = "record " + std::to_string(i) + "\n";
            file.write(record);
            expected += record;
        }
        const std::string large(3 << 20, 'x');
        file.write(large);
        expected += large;
        char* room = file.reserve(5);
        std::memcpy(room, "tail\n", 5);
        file.advance(room + 5);
        expected += "tail\n";
        file.commit();
    }
    EXPECT_EQ(dir.read("CHGDEN.xsf"), expected);
    // no temporary file left
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(OutputFile, GetsTheModeOfANewFile)
{
    ScratchDir dir;
    const mode_t old_mask = ::umask(027);
    {
        OutputFile file((dir.path() / "CHGPLANE").string());
        file.commit();
    }
    ::umask(old_mask);
    EXPECT_EQ(fs::status(dir.path() / "CHGPLANE").permissions(), fs::perms(0640));
}

TEST(OutputFile, FailureNamesTheFileAndTheReason)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "missing" / "CHGDEN.xsf").string();
    EXPECT_EQ(testing::failure_of([&] { OutputFile{path}; }), "cannot write " + path + ": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace voxmill
