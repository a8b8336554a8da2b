// The fuzzers' regression corpus, replayed through the same entry points: each
// input must end with an exit status of 0, 1 or 2 and keep every promise the
// targets check. The sanitizer build of this test catches the memory faults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdio>

#include "support/scratch.hpp"
#include "targets.hpp"

namespace voxmill::testing {
namespace {

// Standard output and error to /dev/null while it lives: the whole runs print their console texts.
struct Silenced {
    int saved[2] = {::dup(1), ::dup(2)};
    Silenced() { std::fflush(nullptr); const int null = ::open("/dev/null", O_WRONLY); ::dup2(null, 1), ::dup2(null, 2), ::close(null); }
    ~Silenced() { std::fflush(nullptr), ::dup2(saved[0], 1), ::dup2(saved[1], 2), ::close(saved[0]), ::close(saved[1]); }
};

TEST(FuzzCorpus, EveryInputEndsWithAnExitStatus)
{
    const std::pair<const char*, int (*)(fuzz::Input)> targets[] = {{"free_form", fuzz::free_form},
                                                                    {"whole_run", fuzz::whole_run},
                                                                    {"stream", fuzz::stream},
                                                                    {"vasp_h5", fuzz::vasp_h5}};
    for (const auto& [name, target] : targets) {
        std::size_t replayed = 0;
        for (const auto& entry : fs::directory_iterator(fs::path(VOXMILL_FUZZ_CORPUS) / name)) {
            const std::string content = read_file(entry.path());
            int status = -1;
            std::string broken;
            try {
                const Silenced silenced;
                status = target(std::vector<std::uint8_t>(content.begin(), content.end()));
            } catch (const fuzz::BrokenPromise& promise) {
                broken = promise.what();
            }
            EXPECT_TRUE(broken.empty() && status >= 0 && status <= 2) << entry.path() << ": status " << status << ", " << broken;
            ++replayed;
        }
        EXPECT_GT(replayed, 0u) << name;
    }
}

}  // namespace
}  // namespace voxmill::testing
