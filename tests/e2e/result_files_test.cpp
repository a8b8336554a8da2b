// Result files when writing fails or the run is stopped: every earlier file of
// a result name stays untouched, even where the run completed that result
// before the failure, and no temporary file stays behind.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include "voxmill_run.hpp"

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

TEST(ResultFiles, AFileSizeLimitLeavesTheEarlierFileUntouched)
{
    ScratchDir dir;
    // Results of about 195 kB each; the run stops at the first.
    const Files before{{"CHGCAR", cube_chgcar(20)}, {"CHGDEN.xsf", "old xsf\n"}, {"CHGDEN.vasp", "old vasp\n"}};
    for (const auto& [name, content] : before) dir.write(name, content);
    const RunResult result = Voxmill({"-c", "CHGCAR"}, dir.path(), 100'000).wait();
    EXPECT_EQ(result.signal, 0) << "ended by SIGXFSZ";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "voxmill: cannot write CHGDEN.xsf: File too large\n");
    expect_files(dir.path(), before);
}

// Unmounts a file system when the test ends, however it ends.
struct Unmount {
    fs::path where;
    ~Unmount() { ::umount2(where.c_str(), MNT_DETACH); }
};

TEST(ResultFiles, AFailureAtTheSecondResultLeavesTheFirstAsItWas)
{
    ScratchDir dir;
    dir.write("CHGCAR", cube_chgcar(20));
    const std::string input = dir.path() / "CHGCAR";
    ASSERT_EQ(Voxmill({"-c", input}, dir.path()).wait().status, 0);
    const std::size_t xsf_size = dir.read("CHGDEN.xsf").size();

    // A directory in the way of CHGDEN.vasp.
    const Files earlier{{"CHGDEN.xsf", "old xsf\n"}};
    fs::create_directories(dir.path() / "blocked" / "CHGDEN.vasp");
    dir.write("blocked/CHGDEN.xsf", "old xsf\n");
    RunResult result = Voxmill({"-c", input}, dir.path() / "blocked").wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "voxmill: cannot write CHGDEN.vasp: Is a directory\n");
    expect_files(dir.path() / "blocked", {{"CHGDEN.xsf", "old xsf\n"}, {"CHGDEN.vasp", ""}});

    // Room for the new XSF file, not for the new ".vasp" file.
    const fs::path full = dir.path() / "full";
    fs::create_directory(full);
    const std::string size = "size=" + std::to_string(xsf_size + (64 << 10));
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, size.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const Unmount unmount{full};
    dir.write("full/CHGDEN.xsf", "old xsf\n");
    result = Voxmill({"-c", input}, full).wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "voxmill: cannot write CHGDEN.vasp: No space left on device\n");
    expect_files(full, earlier);
}

// Stops a run with a signal while it writes a result of about 25 MB. Each
// result name then holds the earlier file.
TEST(ResultFiles, ASignalDuringAWriteLeavesNoTemporaryFile)
{
    ScratchDir reference;
    reference.write("CHGCAR", cube_chgcar(100));
    ASSERT_EQ(Voxmill({"-c", "CHGCAR"}, reference.path()).wait().status, 0);
    const Files done = files_in(reference.path());

    // The result whose temporary file is there when the signal is sent.
    const std::pair<int, std::string> cases[] = {{SIGINT, "CHGDEN.xsf"}, {SIGTERM, "CHGDEN.vasp"}};
    for (const auto& [signal, writing] : cases) {
        SCOPED_TRACE(std::string(strsignal(signal)) + " while writing " + writing);
        ScratchDir dir;
        dir.write("CHGCAR", done.at("CHGCAR"));
        for (const char* name : {"CHGDEN.xsf", "CHGDEN.vasp"}) dir.write(name, "old\n");
        Voxmill run({"-c", "CHGCAR"}, dir.path());

        bool seen = false;  // for a minute at most
        for (int tries = 0; !seen && tries < 300'000; ++tries) {
            for (const auto& entry : fs::directory_iterator(dir.path()))
                seen = seen || entry.path().filename().string().starts_with("." + writing + ".");
            if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_TRUE(seen) << "no temporary file for " << writing;
        run.send(signal);
        EXPECT_EQ(run.wait().signal, signal);

        const Files left = files_in(dir.path());
        Files expected = done;
        for (const char* name : {"CHGDEN.xsf", "CHGDEN.vasp"})
            if (left.contains(name) && left.at(name) == "old\n") expected[name] = "old\n";
        expect_files(dir.path(), expected);
    }
}

}  // namespace
}  // namespace voxmill::testing
