// A result file replaces the file of its name only when it is committed.
#include "text/output_file.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

TEST(OutputFile, ReplacesTheFileOnlyOnCommitAndLeavesNothingElse)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "CHGDEN.xsf").string();
    dir.write("CHGDEN.xsf", "old\n");
    const mode_t mask = ::umask(027);
    for (const bool commit : {false, true}) {
        std::string written;
        {
            // more than the buffer holds: small writes, a large one and reserved room
            OutputFile file(path);
            for (int i = 0; i < 100'000; ++i) {
                const std::string record = "record " + std::to_string(i) + "\n";
                file.write(record);
                written += record;
            }
            written += std::string(3 << 20, 'x');
            file.write(std::string_view(written).substr(written.size() - (3 << 20)));
            char* room = file.reserve(5);
            file.advance(std::copy_n("tail\n", 5, room));
            written += "tail\n";
            EXPECT_EQ(dir.read("CHGDEN.xsf"), "old\n");
            if (commit) file.commit();
        }
        EXPECT_TRUE(dir.read("CHGDEN.xsf") == (commit ? written : "old\n")) << (commit ? "committed" : "not committed");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "a temporary file left";
    }
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));  // a new file's
    const std::string nowhere = (dir.path() / "missing" / "CHGDEN.xsf").string();
    EXPECT_EQ(failure_of([&] { OutputFile{nowhere}; }), "cannot write " + nowhere + ": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace voxmill::testing
