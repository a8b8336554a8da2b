// Result files when writing fails or the run is stopped: the earlier file of
// the same name stays untouched, no temporary file stays behind, and results
// completed before the failure stay.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

namespace fs = std::filesystem;

// The nonspin example's structure with an n x n x n grid of values.
std::string cube_chgcar(int n)
{
    const std::vector<std::string> lines = lines_of(example("nonspin"));
    std::string text;
    for (int line = 0; line < 11; ++line) text += lines[line] + "\n";
    char grid_line[32];
    std::snprintf(grid_line, sizeof grid_line, "%5d%5d%5d\n", n, n, n);
    text += grid_line;
    for (long v = 0; v < static_cast<long>(n) * n * n; v += 5)
        text += " 0.44062142953E+01 0.20000000000E+01 0.30000000000E+01 0.45000000000E+01 -.50000000000E-01\n";
    return text;
}

// The names in `dir` that begin with a dot: temporary files left behind.
std::vector<std::string> hidden_files(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string()[0] == '.') names.push_back(entry.path().filename().string());
    return names;
}

TEST(ResultFiles, AFileSizeLimitLeavesTheEarlierFileUntouched)
{
    ScratchDir dir;
    dir.write("CHGCAR", cube_chgcar(20));  // results of about 195 kB each
    dir.write("CHGDEN.xsf", "old xsf\n");
    dir.write("CHGDEN.vasp", "old vasp\n");
    const RunResult result = run_voxmill({"-c", "CHGCAR"}, dir.path(), 100'000);
    EXPECT_EQ(result.signal, 0) << "ended by SIGXFSZ";
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "voxmill: cannot write CHGDEN.xsf: File too large\n");
    EXPECT_EQ(dir.read("CHGDEN.xsf"), "old xsf\n");
    EXPECT_EQ(dir.read("CHGDEN.vasp"), "old vasp\n");  // the run stopped before it
    EXPECT_EQ(hidden_files(dir.path()), std::vector<std::string>{});
}

// Unmounts a file system when the test ends, however it ends.
struct Unmount {
    fs::path where;
    ~Unmount() { ::umount2(where.c_str(), MNT_DETACH); }
};

TEST(ResultFiles, AFullDiskKeepsTheResultsWrittenBeforeIt)
{
    ScratchDir dir;
    dir.write("CHGCAR", cube_chgcar(20));
    const fs::path input = dir.path() / "CHGCAR";
    ASSERT_EQ(run_voxmill({"-c", input.string()}, dir.path()).status, 0);
    const std::string xsf = dir.read("CHGDEN.xsf");

    // Room for the XSF file and the old ".vasp" file, not for the new one.
    const fs::path full = dir.path() / "full";
    fs::create_directory(full);
    const std::string size = "size=" + std::to_string(xsf.size() + (64 << 10));
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, size.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const Unmount unmount{full};
    dir.write("full/CHGDEN.vasp", "old vasp\n");

    const RunResult result = run_voxmill({"-c", input.string()}, full);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "voxmill: cannot write CHGDEN.vasp: No space left on device\n");
    EXPECT_EQ(dir.read("full/CHGDEN.xsf"), xsf);
    EXPECT_EQ(dir.read("full/CHGDEN.vasp"), "old vasp\n");
    EXPECT_EQ(hidden_files(full), std::vector<std::string>{});
}

// Stops a run with a signal while it writes a result of about 25 MB. Each
// result name then holds the earlier file or the complete new one (a result
// the run finished before the signal came stays).
TEST(ResultFiles, ASignalDuringAWriteLeavesNoTemporaryFile)
{
    ScratchDir reference;
    reference.write("CHGCAR", cube_chgcar(100));
    ASSERT_EQ(run_voxmill({"-c", "CHGCAR"}, reference.path()).status, 0);
    const std::string results[] = {"CHGDEN.xsf", "CHGDEN.vasp"};

    const struct {
        int signal;
        std::string writing;  // the result whose temporary file is there when the signal is sent
    } cases[] = {{SIGINT, "CHGDEN.xsf"}, {SIGTERM, "CHGDEN.vasp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + " while writing " + c.writing);
        ScratchDir dir;
        fs::copy_file(reference.path() / "CHGCAR", dir.path() / "CHGCAR");
        for (const std::string& name : results) dir.write(name, "old\n");
        Voxmill run({"-c", "CHGCAR"}, dir.path());

        const std::string temporary = "." + c.writing + ".";
        bool seen = false;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!seen && std::chrono::steady_clock::now() < give_up) {
            for (const std::string& name : hidden_files(dir.path())) seen = seen || name.rfind(temporary, 0) == 0;
            if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_TRUE(seen) << "no temporary file for " << c.writing;
        run.send(c.signal);
        const RunResult result = run.wait();

        EXPECT_EQ(result.signal, c.signal);
        EXPECT_EQ(hidden_files(dir.path()), std::vector<std::string>{});
        for (const std::string& name : results) {
            const std::string content = dir.read(name);
            EXPECT_TRUE(content == "old\n" || content == reference.read(name)) << name << " is half written";
        }
        if (c.writing == "CHGDEN.vasp") {
            EXPECT_EQ(dir.read("CHGDEN.xsf"), reference.read("CHGDEN.xsf"));
        }
    }
}

}  // namespace
}  // namespace voxmill::testing
