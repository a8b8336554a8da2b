// Malformed input files, made here from the bundled examples and run through
// the built binary, grouped by what they break. Every one must end with its
// message (file, line, what was wrong) and exit status 1, and leave no result
// file behind: never a crash, a hang or a silent success.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

namespace fs = std::filesystem;

// The first `count` lines of `lines`, each with its line end.
std::string first_lines(const std::vector<std::string>& lines, std::size_t count)
{
    std::string text;
    for (std::size_t n = 0; n < count; ++n) text += lines[n] + "\n";
    return text;
}

std::string nonspin() { return example("nonspin"); }

// The nonspin example with line `number` (from 1) replaced by `text`.
std::string nonspin_with_line(std::size_t number, const std::string& text)
{
    std::vector<std::string> lines = lines_of(nonspin());
    lines.at(number - 1) = text;
    return first_lines(lines, lines.size());
}

struct Failing {
    std::string name;
    std::string chgcar;
    std::string message;  // the stderr line after "voxmill: ", or the stdout line after " ERROR: "
    bool refusal = false;
    std::string potcar = {};
};

// Runs `voxmill -c CHGCAR` on the case and checks its message, its exit
// status and that the directory holds nothing but the inputs afterwards.
void expect_failure(const Failing& c)
{
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.write("CHGCAR", c.chgcar);
    if (!c.potcar.empty()) dir.write("POTCAR", c.potcar);
    const RunResult result = run_voxmill({"-c", "CHGCAR"}, dir.path());
    EXPECT_EQ(result.status, 1);
    if (c.refusal) {
        EXPECT_NE(result.out.find(" ERROR: " + c.message + "\n \n"), std::string::npos) << result.out;
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_EQ(result.err, "voxmill: " + c.message + "\n");
    }
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "CHGCAR" || name == "POTCAR") << name << " left behind";
    }
}

TEST(MalformedInput, InputThatIsNoReadableFile)
{
    ScratchDir dir;
    dir.write("empty", "");
    fs::create_directory(dir.path() / "directory");
    fs::create_symlink("loop", dir.path() / "loop");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    const struct {
        std::string file;
        std::string err;
    } cases[] = {
        {"empty", "voxmill: empty: the file is empty\n"},
        {"directory", "voxmill: cannot read directory: Is a directory\n"},
        {"loop", "voxmill: cannot read loop: Too many levels of symbolic links\n"},
        {"fifo", "voxmill: cannot read fifo: not a regular file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const RunResult result = run_voxmill({"-c", c.file}, dir.path());
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.err);
    }
    fs::create_symlink("nowhere", dir.path() / "dangling");
    const RunResult dangling = run_voxmill({"-c", "dangling"}, dir.path());
    EXPECT_EQ(dangling.status, 1);
    EXPECT_EQ(dangling.out, banner + " Get charge density\n ERROR: dangling does not exist!\n \n");
}

// Cuts each example inside each of its blocks: after the grid line, after each
// line of values but the last, and in the middle of each line of values.
TEST(MalformedInput, FileCutInsideABlock)
{
    for (const std::string name : {"nonspin", "spin", "noncollinear"}) {
        const std::vector<std::string> lines = lines_of(example(name));
        const std::string grid_line = lines.at(11);
        int block = 0;
        for (std::size_t g = 11; g < lines.size(); ++g) {
            if (lines[g] != grid_line) continue;
            const std::string what = "while reading density block " + std::to_string(++block) + " (";
            std::size_t last = g + 1;  // one past the last line of values
            while (last < lines.size() && lines[last].find("augmentation") == std::string::npos && lines[last] != grid_line)
                ++last;
            for (std::size_t cut = g + 1; cut < last; ++cut) {
                const std::string whole_lines = first_lines(lines, cut);
                for (const std::string& content : {whole_lines, whole_lines + lines[cut].substr(0, lines[cut].size() / 2)}) {
                    SCOPED_TRACE(name + " cut in line " + std::to_string(cut + 1) + ", " + std::to_string(content.size()) + " bytes");
                    ScratchDir dir;
                    dir.write("CHGCAR", content);
                    const RunResult result = run_voxmill({"-s", "CHGCAR"}, dir.path());
                    EXPECT_EQ(result.status, 1);
                    EXPECT_EQ(result.err.rfind("voxmill: CHGCAR:", 0), 0u) << result.err;
                    EXPECT_NE(result.err.find(": unexpected end of file " + what), std::string::npos) << result.err;
                    EXPECT_FALSE(fs::exists(dir.path() / "SPNDEN.xsf"));
                }
            }
        }
        EXPECT_EQ(block, name == "nonspin" ? 1 : name == "spin" ? 2 : 4) << name;
    }
}

// Each case breaks one step of the reading in its own way; cases that would
// reach the same check with the same message are left out.
TEST(MalformedInput, EachEndsWithItsMessage)
{
    const std::vector<std::string> lines = lines_of(nonspin());
    const std::string eof = "unexpected end of file, expected ";
    std::mt19937 random(6);  // the standard fixes its output, so the garbage is the same everywhere
    std::string garbage(4096, '\0');
    for (char& byte : garbage) byte = static_cast<char>(random() & 0xff);
    std::string potcar;
    for (int m = 0; m < 101; ++m) potcar += "   TITEL  = PAW_PBE X 01Jan2000\n";
    const std::string old_layout = example("old-layout");
    const std::string far = nonspin_with_line(12, " 4000 4000 4000");
    // Each block of a spin-polarised file needs room of its own.
    std::string spin = example("spin");
    for (std::size_t at; (at = spin.find("    3    2    2\n")) != std::string::npos;) spin.replace(at, 15, "  100  100   10");
    const Failing cases[] = {
        // Cut in the structure part, at each step that reads a line of its own.
        {"1 line", first_lines(lines, 1), "CHGCAR:1: " + eof + "the lines of the cell"},
        {"5 lines", first_lines(lines, 5), "CHGCAR:5: " + eof + "the species names or atom counts on line 6"},
        {"6 lines", first_lines(lines, 6), "CHGCAR:6: " + eof + "the number of atoms of species 1"},
        {"7 lines", first_lines(lines, 7), "CHGCAR:7: " + eof + "the coordinate mode"},
        {"8 lines", first_lines(lines, 8), "CHGCAR:8: " + eof + "the position of atom 1"},
        {"10 lines", first_lines(lines, 10), "CHGCAR:10: " + eof + "the line before the grid dimensions"},
        {"11 lines", first_lines(lines, 11), "CHGCAR:11: " + eof + "the grid dimensions"},
        {"12 lines", first_lines(lines, 12), "CHGCAR:12: unexpected end of file while reading density block 1 (0 of 12 values read)"},
        // The old layout has its counts on line 6 and its species from POTCAR.
        {"old layout, 6 lines", first_lines(lines_of(old_layout), 6), "CHGCAR:6: " + eof + "the coordinate mode", false,
         example("old-layout", "POTCAR")},
        // No number where one belongs; NaN and infinity are no numbers either.
        {"NaN scaling factor", nonspin_with_line(2, "   NaN"), "CHGCAR:2: expected the scaling factor, found \"NaN\""},
        {"Infinity in a lattice vector", nonspin_with_line(4, " 0.0 Infinity 0.0"), "CHGCAR:4: expected lattice vector 2, found \"Infinity\""},
        {"inf in a position", nonspin_with_line(10, "  0.5 -inf 0.5"), "CHGCAR:10: expected the position of atom 2, found \"-inf\""},
        {"grid", nonspin_with_line(12, "    3    x    2"), "CHGCAR:12: expected the grid dimensions, found \"x\""},
        {"nan in a block", nonspin_with_line(13, " nan"), "CHGCAR:13: expected a real number, found \"nan\""},
        {"half a number", nonspin_with_line(15, " 0.11000000000E+02 -.7600E"), "CHGCAR:15: expected a real number, found \"-.7600E\""},
        {"overflow in a block", nonspin_with_line(13, " 0.1E+999"), "CHGCAR:13: expected a real number, found \"0.1E+999\" (out of range)"},
        // Bytes of no text are shown escaped.
        {"NUL bytes in a value", nonspin_with_line(14, std::string(" 0.625\0\0\0\0E+01", 14)),
         "CHGCAR:14: expected a real number, found \"0.625\\x00\\x00\\x00\\x00E+01\""},
        {"bytes of no text for a block", first_lines(lines, 12) + "\xff\xfe\x80\n", "CHGCAR:13: expected a real number, found \"\\xff\\xfe\\x80\""},
        // The title takes any bytes; the scaling factor is the first value read.
        {"4096 random bytes", garbage,
         "CHGCAR:2: expected the scaling factor, found "
         "\"CU\\x8b\\x81R\\xa3\\x96){i\\x18\\xb0*\\xc3\\x87$K\\xb8!\\xccrD\\xa1\\x0f\\xc5\""},
        // Lines of several megabytes.
        {"17 MiB title", std::string(17 << 20, 'x') + "\n" + nonspin(), "CHGCAR:1: line is longer than 16 MiB"},
        // The blocks are counted to the end of the file before a broken block is reported.
        {"text in a block, then a 17 MiB line", nonspin_with_line(13, " x") + std::string(17 << 20, 'x') + "\n",
         "CHGCAR:" + std::to_string(lines.size() + 1) + ": line is longer than 16 MiB"},
        {"5 MB scaling factor", nonspin_with_line(2, std::string(5'000'000, '5')),
         "CHGCAR:2: expected the scaling factor, found \"" + std::string(40, '5') + "...\" (out of range)"},
        // Beyond the limits of the structure.
        {"101 species through POTCAR", old_layout, "CHGCAR has 101 species; at most 100 are supported", true, potcar},
        {"501 atoms", nonspin_with_line(7, "   250   251"), "CHGCAR has 501 atoms; at most 500 are supported", true},
        {"atom count beyond 32 bits", nonspin_with_line(7, "  1 99999999999"),
         "CHGCAR:7: expected the number of atoms of species 2, found \"99999999999\" (out of range)"},
        {"fewer counts than species", nonspin_with_line(7, "     2"), "CHGCAR:8: expected the number of atoms of species 2, found \"Direct\""},
        {"POTCAR missing", old_layout, "POTCAR does not exist!", true},
        // Grid dimensions.
        {"zero", nonspin_with_line(12, "    3    0    2"), "CHGCAR:12: expected grid dimensions of at least 1, found 3 0 2"},
        {"negative", nonspin_with_line(12, "   -3    2    2"), "CHGCAR:12: expected grid dimensions of at least 1, found -3 2 2"},
        {"product beyond 64 bits", nonspin_with_line(12, " 2100000000 2100000000 2100000000"),
         "CHGCAR:12: grid 2100000000 x 2100000000 x 2100000000 has more points than a 64-bit count can hold"},
        {"far larger than the file", far,
         "CHGCAR:12: grid 4000 x 4000 x 4000 needs 64000000000 values, more than the file's " + std::to_string(far.size())
             + " bytes can hold"},
        {"two blocks larger than the file", spin,
         "CHGCAR:12: grid 100 x 100 x 10 needs 100000 values in each of 2 blocks, more than the file's "
             + std::to_string(spin.size()) + " bytes can hold"},
    };
    for (const Failing& c : cases) expect_failure(c);
}

}  // namespace
}  // namespace voxmill::testing
