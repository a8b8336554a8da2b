// The density block reader: blocks found by their grid line and combined into
// the charge and spin grids by the number of blocks.
#include <gtest/gtest.h>

#include "input/block_reader.hpp"
#include "support/failure_of.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

const GridExtents two_by_one_by_one{2, 1, 1};
const std::string grid_line = "    2    1    1";

struct Grids {
    std::vector<double> CHG;
    std::vector<double> SPN;
};

Grids read_blocks(const std::string& content, int NBLOCKS)
{
    ScratchDir dir;
    dir.write("CHGCAR", content);
    DensityGrid CHG(two_by_one_by_one), SPN(two_by_one_by_one);
    idata((dir.path() / "CHGCAR").string(), two_by_one_by_one, NBLOCKS, CHG, SPN);
    return {{CHG.values().begin(), CHG.values().end()}, {SPN.values().begin(), SPN.values().end()}};
}

TEST(BlockReader, FillsTheSpinGridByTheNumberOfBlocks)
{
    const std::string header = "structure lines are passed over\n 2 1 1\n";
    const std::string between = "augmentation occupancies 1 2\n 0.1 0.2\n 0.5 0.5\n";
    const struct {
        std::string name;
        std::string content;
        int NBLOCKS;
        std::vector<double> CHG, SPN;
    } cases[] = {
        // One, two and four blocks are the bundled examples, whose results the runs compare whole.
        {"one block and text after it", header + grid_line + "\n 1.5 2.5\n" + between + "not a number\n", 1, {1.5, 2.5}, {0.0, 0.0}},
        {"five blocks", header + grid_line + "\n 9 9\n" + grid_line + "\n 3 0\n" + grid_line + "\n 4 0\n" + grid_line + "\n 0 -2\n" + grid_line + "\n x\n",
         5, {9, 9}, {5, 2}},
        {"text after column 40 of a grid line", header + grid_line + std::string(25, ' ') + " 7 11\n 1 2\n", 1, {1, 2}, {0, 0}},
        {"text before column 41 hides a grid line", header + grid_line + " x\n 7 7\n" + grid_line + "\n 1 2\n", 1, {1, 2}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Grids grids = read_blocks(c.content, c.NBLOCKS);
        EXPECT_EQ(grids.CHG, c.CHG);
        EXPECT_EQ(grids.SPN, c.SPN);
    }
}

// Blocks cut short or holding text are among the malformed inputs (tests/driver).
TEST(BlockReader, ReportsMissingBlocks)
{
    const struct {
        std::string name;
        std::string content;
        int NBLOCKS;
        std::string message;
    } cases[] = {
        {"no grid line", " 2 1 1\n 1 2\n", 0, "expected the grid line \"    2    1    1\" of density block 1"},
        {"second block missing", grid_line + "\n 1 2\n", 2, "expected the grid line \"    2    1    1\" of density block 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = failure_of([&] { read_blocks(c.content, c.NBLOCKS); });
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace voxmill::testing
