// Result files when writing fails or the run is stopped: every earlier file of
// a result name stays untouched, even where the run completed that result
// before the failure, and no temporary file stays behind.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

// The nonspin example's structure with an n x n x n grid of values.
std::string cube_chgcar(int n)
{
    const std::string nonspin = example("nonspin");
    char grid_line[32];
    std::snprintf(grid_line, sizeof grid_line, "%5d%5d%5d\n", n, n, n);
    std::string text = nonspin.substr(0, nonspin.find("    3    2    2\n")) + grid_line;
    for (long v = 0; v < long{n} * n * n; v += 5)
        text += " 0.44062142953E+01 0.20000000000E+01 0.30000000000E+01 0.45000000000E+01 -.50000000000E-01\n";
    return text;
}

struct Unmount {  // a file system, when the test ends however it ends
    fs::path where;
    ~Unmount() { ::umount2(where.c_str(), MNT_DETACH); }
};

TEST(ResultFiles, AFailedWriteLeavesEveryEarlierFileUntouched)
{
    ScratchDir dir;
    dir.write("CHGCAR", cube_chgcar(20));  // results of about 195 kB each
    const std::string input = dir.path() / "CHGCAR";
    ASSERT_EQ(Voxmill({"-c", input}, dir.path()).wait().status, 0);
    const auto expect_kept = [&](const fs::path& where, rlim_t file_size_limit, const std::string& why) {
        const Files before = files_in(where);
        const RunResult result = Voxmill({"-c", input}, where, file_size_limit).wait();
        EXPECT_EQ(result.signal, 0) << "ended by a signal";
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "voxmill: cannot write " + why + "\n");
        expect_files(where, before);
    };
    // A file-size limit stops the run at the first result.
    dir.write("limited/CHGDEN.xsf", "old xsf\n");
    dir.write("limited/CHGDEN.vasp", "old vasp\n");
    expect_kept(dir.path() / "limited", 100'000, "CHGDEN.xsf: File too large");
    // A directory in the way of CHGDEN.vasp; room for the new XSF file, not for the new ".vasp" file.
    fs::create_directories(dir.path() / "blocked" / "CHGDEN.vasp");
    dir.write("blocked/CHGDEN.xsf", "old xsf\n");
    expect_kept(dir.path() / "blocked", 0, "CHGDEN.vasp: Is a directory");
    const fs::path full = dir.path() / "full";
    fs::create_directory(full);
    const std::string size = "size=" + std::to_string(dir.read("CHGDEN.xsf").size() + (64 << 10));
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, size.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const Unmount unmount{full};
    dir.write("full/CHGDEN.xsf", "old xsf\n");
    expect_kept(full, 0, "CHGDEN.vasp: No space left on device");
}

// Stops a run with a signal while the temporary file of a result of about 25 MB
// is there. Each result name then holds the earlier file or the whole result.
TEST(ResultFiles, ASignalDuringAWriteLeavesNoTemporaryFile)
{
    ScratchDir reference;
    reference.write("CHGCAR", cube_chgcar(100));
    ASSERT_EQ(Voxmill({"-c", "CHGCAR"}, reference.path()).wait().status, 0);
    const Files done = files_in(reference.path());
    for (const auto& [signal, writing] : {std::pair<int, std::string>{SIGINT, "CHGDEN.xsf"}, {SIGTERM, "CHGDEN.vasp"}}) {
        SCOPED_TRACE(std::string(strsignal(signal)) + " while writing " + writing);
        ScratchDir dir;
        Files expected = {{"CHGCAR", done.at("CHGCAR")}, {"CHGDEN.xsf", "old\n"}, {"CHGDEN.vasp", "old\n"}};
        for (const auto& [name, content] : expected) dir.write(name, content);
        Voxmill run({"-c", "CHGCAR"}, dir.path());
        const auto temporary = [&](const fs::directory_entry& entry) {
            return entry.path().filename().string().starts_with("." + writing + ".");
        };
        int tries = 0;  // for a minute at most
        while (!std::ranges::any_of(fs::directory_iterator(dir.path()), temporary) && ++tries < 300'000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_LT(tries, 300'000) << "no temporary file for " << writing;
        run.send(signal);
        EXPECT_EQ(run.wait().signal, signal);
        const Files left = files_in(dir.path());
        for (auto& [name, content] : expected)
            if (!left.contains(name) || left.at(name) != "old\n") content = done.at(name);
        expect_files(dir.path(), expected);
    }
}

}  // namespace
}  // namespace voxmill::testing
