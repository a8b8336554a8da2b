// Failed runs. Malformed inputs, most made here from the bundled examples, and result files that cannot be written:
// each run must end with exit status 1 and its message (file, line, what was wrong) and leave the folder as it was:
// never a crash, a hang, a silent success, a changed earlier result (even one the run completed before the failure)
// or a temporary file. A run stopped by a signal leaves each result name with its earlier file or the whole result.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <sstream>
#include <thread>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

RunResult expect_failure(const fs::path& dir, const std::vector<std::string>& args, const std::string& err,
                         rlim_t file_size_limit = 0)
{
    const Files before = files_in(dir);
    const RunResult result = Voxmill(args, dir, file_size_limit).wait();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, err);
    expect_files(dir, before);
    return result;
}

std::string head(const std::string& text, int lines)  // its first `lines` lines
{
    std::size_t end = 0;
    while (lines-- > 0) end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

TEST(MalformedInput, NoReadableFile)
{
    ScratchDir dir;
    dir.write("empty", "");
    fs::create_directory(dir.path() / "directory");
    fs::create_symlink("loop", dir.path() / "loop");
    fs::create_symlink("nowhere", dir.path() / "dangling");
    for (const auto& [file, message] : Files{{"empty", "empty: the file is empty"},
                                             {"directory", "cannot read directory: Is a directory"},
                                             {"loop", "cannot read loop: Too many levels of symbolic links"}})
        expect_failure(dir.path(), {"-c", file}, "voxmill: " + message + "\n");
    EXPECT_EQ(expect_failure(dir.path(), {"-c", "dangling"}, "voxmill: dangling does not exist!\n").out,
              banner + " Get charge density\n ERROR: dangling does not exist!\n \n");
}

// Each case breaks one step of the reading in its own way, read for its charge and for
// its spin density; cases that would reach the same check with the same message are left out.
TEST(MalformedInput, EachEndsWithItsMessage)
{
    const std::string nonspin = example("nonspin"), eof = "unexpected end of file, expected ";
    const auto line = [&](int number, const std::string& text) { return with_line(nonspin, number, text + "\n"); };
    const std::string no_block = "no density block: expected a line of three grid dimensions after the atom positions";
    // A CHGCAR and the message after "voxmill: CHGCAR:", a POTCAR beside it for the old layout.
    std::vector<std::pair<std::string, std::string>> cases = {
        // Cut in the structure part, at each step that reads a line of its own.
        {head(nonspin, 1), "1: " + eof + "the scaling factor"}, {head(nonspin, 10), "10: " + no_block},
        {head(nonspin, 5), "5: " + eof + "the species names or atom counts on line 6"},
        {head(nonspin, 6), "6: " + eof + "the number of atoms of species 1"},
        {head(nonspin, 7), "7: " + eof + "the coordinate mode"}, {head(nonspin, 8), "8: " + eof + "the position of atom 1"},
        // The old layout has its counts on line 6 and its species from POTCAR.
        {head(example("old-layout"), 6), "6: " + eof + "the coordinate mode"},
        // No number where one belongs; NaN and infinity are no numbers either.
        {line(2, "   NaN"), "2: expected the scaling factor, found \"NaN\""},
        {line(4, " 0.0 Infinity 0.0"), "4: expected lattice vector 2, found \"Infinity\""},
        {line(10, "  0.5 -inf 0.5"), "10: expected the position of atom 2, found \"-inf\""},
        {line(12, "    3    x    2"), "12: expected the grid dimensions, found \"x\""},
        {line(13, " nan"), "13: expected a real number, found \"nan\""},
        {line(15, " 0.11000000000E+02 -.7600E"), "15: expected a real number, found \"-.7600E\""},
        // Bytes of no character are shown escaped.
        {line(14, " 0.625\xff\xfe\x80\x81" "E+01"), "14: expected a real number, found \"0.625\\xff\\xfe\\x80\\x81E+01\""},
        // Lines of several megabytes; the blocks are counted to the end of the
        // file before a broken block is reported.
        {std::string(17 << 20, 'x') + "\n" + nonspin, "1: line is longer than 16 MiB"},
        {line(13, " x") + std::string(17 << 20, 'x') + "\n", "20: line is longer than 16 MiB"},
        {line(2, std::string(5'000'000, '5')), "2: expected the scaling factor, found \"" + std::string(40, '5') + "...\" (out of range)"},
        // Atom counts and grid dimensions out of bounds.
        {line(7, "  1 99999999999"), "7: expected the number of atoms of species 2, found \"99999999999\" (out of range)"},
        {line(12, "    3    0    2"), "12: expected grid dimensions of at least 1, found 3 0 2"},
        {line(12, " 2100000000 2100000000 2100000000"),
         "12: grid 2100000000 x 2100000000 x 2100000000 has more points than a 64-bit count can hold"},
        // A grid claiming far more values than the file holds ends where they end.
        {line(12, " 1000 1000 1000"), "16: expected a real number, found \"augmentation\""},
    };
    // Each example cut inside each of its blocks of 3 x 2 x 2 values on three lines: after the grid
    // line, after each line of values but the last and in the middle of each line of values.
    for (const auto& [name, blocks] : {std::pair<std::string, int>{"nonspin", 1}, {"spin", 2}, {"noncollinear", 4}}) {
        const std::string text = example(name), grid = "\n    3    2    2\n";
        int block = 0;
        for (std::size_t g = text.find(grid); g != std::string::npos; g = text.find(grid, g + 1)) {
            const std::string what = ": unexpected end of file while reading density block " + std::to_string(++block);
            for (std::size_t end = g + grid.size(), line = 0; line < 3; ++line, end = text.find('\n', end) + 1)
                for (const std::size_t cut : {end, end + (text.find('\n', end) - end) / 2}) {
                    std::istringstream words(text.substr(g + grid.size(), cut - g - grid.size()));
                    const auto values = std::distance(std::istream_iterator<std::string>(words), {});
                    cases.emplace_back(text.substr(0, cut), std::to_string(std::count(text.begin(), text.begin() + cut, '\n') + (cut > end))
                                                                + what + " (" + std::to_string(values) + " of 12 values read)");
                }
        }
        EXPECT_EQ(block, blocks) << name;
    }
    for (const auto& [chgcar, message] : cases) {
        SCOPED_TRACE(std::to_string(chgcar.size()) + " bytes, " + message.substr(0, 100));
        ScratchDir dir;
        dir.write("CHGCAR", chgcar);
        dir.write("POTCAR", example("old-layout", "POTCAR"));
        for (const std::string option : {"-c", "-s"}) {
            SCOPED_TRACE(option);
            expect_failure(dir.path(), {option, "CHGCAR"}, "voxmill: CHGCAR:" + message + "\n");
        }
    }
}

// The nonspin example's structure with an n x n x n grid of values.
std::string cube_chgcar(int n)
{
    const std::string dimension = std::string(5 - std::to_string(n).size(), ' ') + std::to_string(n);
    std::string text = with_line(head(example("nonspin"), 12), 12, dimension + dimension + dimension + "\n");
    for (long v = 0; v < long{n} * n * n; v += 5)
        text += " 0.44062142953E+01 0.20000000000E+01 0.30000000000E+01 0.45000000000E+01 -.50000000000E-01\n";
    return text;
}

// Unmounts a file system when the test ends, however it ends.
struct Unmount { fs::path where; ~Unmount() { ::umount2(where.c_str(), MNT_DETACH); } };

TEST(ResultFiles, AFailedWriteLeavesEveryEarlierFileUntouched)
{
    ScratchDir dir;
    dir.write("CHGCAR", cube_chgcar(20));  // results of about 195 kB each
    const std::string input = dir.path() / "CHGCAR";
    ASSERT_EQ(Voxmill({"-c", input}, dir.path()).wait().status, 0);
    // A file-size limit stops the run at the first result.
    dir.write("limited/CHGDEN.xsf", "old xsf\n");
    dir.write("limited/CHGDEN.vasp", "old vasp\n");
    expect_failure(dir.path() / "limited", {"-c", input}, "voxmill: cannot write CHGDEN.xsf: File too large\n", 100'000);
    // A directory in the way of CHGDEN.vasp; room for the new XSF file, not for the new ".vasp" file.
    fs::create_directories(dir.path() / "blocked" / "CHGDEN.vasp");
    dir.write("blocked/CHGDEN.xsf", "old xsf\n");
    expect_failure(dir.path() / "blocked", {"-c", input}, "voxmill: cannot write CHGDEN.vasp: Is a directory\n");
    const fs::path full = dir.path() / "full";
    fs::create_directory(full);
    const std::string size = "size=" + std::to_string(dir.read("CHGDEN.xsf").size() + (64 << 10));
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, size.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const Unmount unmount{full};
    dir.write("full/CHGDEN.xsf", "old xsf\n");
    expect_failure(full, {"-c", input}, "voxmill: cannot write CHGDEN.vasp: No space left on device\n");
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
