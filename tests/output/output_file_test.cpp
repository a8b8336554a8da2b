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

std::size_t entries(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

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
    EXPECT_EQ(entries(dir.path()), 1u);  // no temporary file left
}

TEST(OutputFile, WithoutCommitNothingChanges)
{
    ScratchDir dir;
    dir.write("old.xsf", "old\n");
    {
        OutputFile file((dir.path() / "old.xsf").string());
        file.write("half written");
        OutputFile fresh((dir.path() / "new.xsf").string());
        fresh.write("half written");
    }
    EXPECT_EQ(dir.read("old.xsf"), "old\n");
    EXPECT_EQ(entries(dir.path()), 1u);
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
