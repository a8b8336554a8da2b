// The density block reader: blocks found by their grid line, counted as they
// are read, and combined into the charge and spin grids by their number.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "input/block_reader.hpp"
#include "support/failure_of.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

const std::string grid_line = "    2    1    1";
// The grid line text beyond column 40: counted, but no block stands after it.
const std::string hidden_grid_line = std::string(45, 'x') + grid_line + "\n";

std::string text_of(double value)
{
    std::ostringstream text;
    text.precision(17);
    text << value;
    return text.str();
}

std::string values_of(const DensityGrid& grid)
{
    std::string values;
    for (const double v : grid.values()) values += text_of(v) + ' ';
    return values;
}

// What a reading of a file gives, each part as text; empty where there is none.
struct Outcome {
    std::string console;  // the calculation type line, if printed
    std::string CHG, SPN, sums;
    std::string failure;  // with the file named CHGCAR

    std::string shown() const
    {
        return console + (failure.empty() ? CHG + "| " + SPN + "| " + sums : failure);
    }
};

// Reads `content` as the file CHGCAR, on `extents`, keeping `keep`.
Outcome read(const std::string& content, Keep keep, bool with_sums, const GridExtents& extents = {2, 1, 1})
{
    ScratchDir dir;
    dir.write("CHGCAR", content);
    const std::string path = (dir.path() / "CHGCAR").string();
    StructureHeader header;
    header.NGRID = extents;
    header.grid_line_number = 1;
    Outcome outcome;
    ::testing::internal::CaptureStdout();
    const std::string failure = failure_of([&] {
        const FileDensities densities = idata(path, header, keep, with_sums);
        if (densities.CHG) outcome.CHG = values_of(*densities.CHG);
        if (densities.SPN) outcome.SPN = values_of(*densities.SPN);
        const DensitySums& s = densities.sums;
        if (with_sums)
            outcome.sums = text_of(s.charge) + ' ' + text_of(s.spin) + ' ' + text_of(s.up) + ' ' + text_of(s.down) + " of "
                           + std::to_string(s.points);
    });
    outcome.console = ::testing::internal::GetCapturedStdout();
    if (failure != "no failure") outcome.failure = "CHGCAR" + failure.substr(path.size());
    return outcome;
}

const std::string spin_polarized = " ...Calculation type: spin polarized\n";
const std::string non_collinear = " ...Calculation type: non-collinear\n";
const std::string non_spin = " ...Calculation type: non-spin polarized\n";

// Blocks cut short or holding text are among the malformed inputs (tests/driver).
TEST(BlockReader, FillsTheSpinGridByTheNumberOfBlocks)
{
    const std::string header = "structure lines are passed over\n 2 1 1\n";
    const std::string between = "augmentation occupancies 1 2\n 0.1 0.2\n 0.5 0.5\n";
    const std::string missing = "CHGCAR: unexpected end of file, expected the grid line \"" + grid_line + "\" of density block ";
    const std::string block = grid_line + "\n";
    const struct {
        std::string name;
        std::string content;
        std::string outcome;  // the console, then the charge, the spin and the sums, or the failure
    } cases[] = {
        // One, two and four blocks are the bundled examples, whose results the runs compare whole.
        {"one block and text after it", header + block + " 1.5 2.5\n" + between + "not a number\n",
         non_spin + "1.5 2.5 | 0 0 | 4 0 4 4 of 2"},
        {"five blocks", header + block + " 9 9\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0 -2\n" + block + " x\n",
         "9 9 | 5 2 | 18 7 25 11 of 2"},
        {"text after column 40 of a grid line", header + grid_line + std::string(25, ' ') + " 7 11\n 1 2\n",
         non_spin + "1 2 | 0 0 | 3 0 3 3 of 2"},
        {"text before column 41 hides a grid line, but counts", header + grid_line + " x\n 7 7\n" + block + " 1 2\n",
         spin_polarized + missing + "2"},
        {"no grid line", " 2 1 1\n 1 2\n", missing + "1"},
        {"second block missing", block + " 1 2\n" + hidden_grid_line, spin_polarized + missing + "2"},
        {"third block missing", block + " 1 2\n" + block + " 3 4\n" + hidden_grid_line, missing + "3"},
        {"the grid line text ending in column 80 counts, in column 81 not",
         block + " 1 2\n" + std::string(65, 'x') + grid_line + "\n" + std::string(66, 'x') + grid_line + "\n",
         spin_polarized + missing + "2"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.content, Keep::Both, true).shown(), c.outcome) << c.name;

    // Values repeated, so that the file has room for one block of the grid but
    // not for two: refused once the blocks are counted, though read whole.
    const std::string twenty = "   20    1    1\n";
    EXPECT_EQ(read(twenty + " 20*1.5\n" + twenty + " 20*0.5\n", Keep::Both, true, {20, 1, 1}).shown(),
              "CHGCAR:1: grid 20 x 1 x 1 needs 20 values in each of 2 blocks, more than the file's 48 bytes can hold");
}

TEST(BlockReader, KeepsTheGridsAskedForAndChecksTheBlocksItSkips)
{
    const std::string block = grid_line + "\n";
    const struct {
        std::string name;
        std::string content;
    } cases[] = {
        {"one block", block + " 1 2\n"},
        {"two blocks", block + " 1 2\naugmentation\n" + block + " 3 4\n"},
        {"a slash in block 2", block + " 1 2\n" + block + " -3 /\n"},
        {"four blocks", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0 -2\n"},
        {"text in block 1", block + " 1 x\n" + block + " 3 4\n"},
        {"text in block 2", block + " 1 2\n" + block + " 3 x\n"},
        {"block 4 cut short", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0\n"},
        {"block 3 missing", block + " 1 2\n" + block + " 3 0\n" + hidden_grid_line},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome both = read(c.content, Keep::Both, true);
        for (const Keep keep : {Keep::Charge, Keep::Spin}) {
            for (const bool with_sums : {false, true}) {
                Outcome expected = both;
                if (keep == Keep::Spin) expected.CHG.clear();
                if (keep == Keep::Charge) expected.SPN.clear();
                if (!with_sums) expected.sums.clear();
                EXPECT_EQ(read(c.content, keep, with_sums).shown(), expected.shown())
                    << (keep == Keep::Charge ? "charge" : "spin") << (with_sums ? " with sums" : "");
            }
        }
    }
}

// The number of blocks is known only at the end of the file; where the guess
// taken at block 2 (blocks as long as block 1) is wrong, the count sets it right.
TEST(BlockReader, ReadsByTheCountWhereTheGuessAtBlock2Fails)
{
    const std::string block = grid_line + "\n";
    const std::string long_block_1 = block + " 1.000000000000000000000000000000000 2.00000000000000000000000000000000\n";
    const struct {
        std::string name;
        std::string content;
        std::string outcome;
    } cases[] = {
        {"blocks 2 to 4 shorter than block 1", long_block_1 + block + " 3 0\n" + block + " 4 0\n" + block + " 0 -2\n",
         non_collinear + "1 2 | 5 2 | 3 7 10 -4 of 2"},
        {"the grid line text beyond column 80 after block 2",
         block + " 1 2\n" + block + " 3 4\n" + std::string(81, 'x') + grid_line + "\n", spin_polarized + "1 2 | 3 4 | 3 7 10 -4 of 2"},
        {"a line of block 2 holding the grid line text", block + " 1 2\n" + block + grid_line + "\n",
         "CHGCAR: unexpected end of file, expected the grid line \"" + grid_line + "\" of density block 3"},
    };
    for (const auto& c : cases) {
        const Outcome both = read(c.content, Keep::Both, true);
        EXPECT_EQ(both.shown(), c.outcome) << c.name;
        for (const Keep keep : {Keep::Charge, Keep::Spin}) {
            const Outcome one = read(c.content, keep, true);
            EXPECT_EQ(one.console + one.sums + one.failure, both.console + both.sums + both.failure) << c.name;
            EXPECT_EQ(keep == Keep::Spin ? one.SPN : one.CHG, keep == Keep::Spin ? both.SPN : both.CHG) << c.name;
        }
    }
}

TEST(BlockReader, ReadsBlocksOfManyPiecesAsWhole)
{
    // Blocks longer than the pieces that components and an unkept spin are
    // read in: every point must meet the values of its own place.
    const GridExtents extents{70000, 1, 1};
    const auto component = [](int block, long p) { return static_cast<double>((p * (2 * block + 1)) % 23 - 11); };
    for (const int blocks : {2, 4}) {
        std::string content;
        for (int block = 1; block <= blocks; ++block) {
            content += "70000    1    1\n";
            for (long p = 0; p < 70000; ++p) content += std::to_string(static_cast<int>(component(block, p))) + (p % 5 == 4 ? "\n" : " ");
        }
        std::string charge, spin;
        for (long p = 0; p < 70000; ++p) {
            const double m1 = component(2, p);
            charge += text_of(component(1, p)) + ' ';
            spin += text_of(blocks == 2 ? m1 : std::sqrt(m1 * m1 + std::pow(component(3, p), 2) + std::pow(component(4, p), 2))) + ' ';
        }
        const Outcome both = read(content, Keep::Both, true, extents);
        EXPECT_TRUE(both.CHG == charge && both.SPN == spin) << blocks << " blocks";
        EXPECT_EQ(read(content, Keep::Spin, true, extents).SPN, spin) << blocks << " blocks";
        EXPECT_EQ(read(content, Keep::Charge, true, extents).sums, both.sums) << blocks << " blocks";
    }
}

}  // namespace
}  // namespace voxmill::testing
