// The fuzzers' regression corpus, replayed through the same entry points: each
// input must end with an exit status of 0, 1 or 2 and keep every promise the
// targets check. The sanitizer build of this test catches the memory faults.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "support/scratch.hpp"
#include "targets.hpp"

namespace voxmill::testing {
namespace {

namespace fs = std::filesystem;

// Sends standard output and standard error to /dev/null while it lives: the
// whole runs print their console texts.
struct Silenced {
    int saved[2] = {::dup(1), ::dup(2)};
    Silenced()
    {
        std::fflush(nullptr);
        const int null = ::open("/dev/null", O_WRONLY);
        for (int fd : {1, 2}) ::dup2(null, fd);
        ::close(null);
    }
    ~Silenced()
    {
        std::fflush(nullptr);
        for (int fd : {1, 2}) {
            ::dup2(saved[fd - 1], fd);
            ::close(saved[fd - 1]);
        }
    }
};

TEST(FuzzCorpus, EveryInputEndsWithAnExitStatus)
{
    const struct {
        const char* name;
        int (*target)(fuzz::Input);
    } targets[] = {{"free_form", fuzz::free_form}, {"whole_run", fuzz::whole_run}};
    for (const auto& t : targets) {
        std::size_t replayed = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(VOXMILL_FUZZ_CORPUS) / t.name)) {
            SCOPED_TRACE(entry.path().string());
            const std::string content = read_file(entry.path());
            const std::vector<std::uint8_t> bytes(content.begin(), content.end());
            int status = -1;
            std::string broken;
            {
                Silenced silenced;
                try {
                    status = t.target(bytes);
                } catch (const fuzz::BrokenPromise& promise) {
                    broken = promise.what();
                }
            }
            EXPECT_EQ(broken, "");
            EXPECT_TRUE(status == 0 || status == 1 || status == 2) << status;
            ++replayed;
        }
        EXPECT_GT(replayed, 0u) << t.name;
    }
}

}  // namespace
}  // namespace voxmill::testing
