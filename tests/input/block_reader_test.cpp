// The density block reader: blocks found by their grid line and combined into
// the charge and spin grids by the number of blocks.
#include <gtest/gtest.h>

#include <functional>

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

// The outcome of reading `content` whole or keeping one grid: the grid's values, or the failure.
std::string outcome(const std::function<std::vector<double>(const std::string& path)>& read, const std::string& content)
{
    ScratchDir dir;
    dir.write("CHGCAR", content);
    const std::string path = (dir.path() / "CHGCAR").string();
    std::string values;
    const std::string failure = failure_of([&] {
        for (const double v : read(path)) values += std::to_string(v) + " ";
    });
    return failure == "no failure" ? values : "CHGCAR" + failure.substr(path.size());
}

TEST(BlockReader, KeepsOneGridAndChecksTheBlocksItSkips)
{
    const std::string block = grid_line + "\n";
    const struct {
        std::string name;
        std::string content;
        int NBLOCKS;
    } cases[] = {
        {"one block", block + " 1 2\n", 1},
        {"two blocks", block + " 1 2\naugmentation\n" + block + " 3 4\n", 2},
        {"four blocks", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0 -2\n", 4},
        {"text in block 1", block + " 1 x\n" + block + " 3 4\n", 2},
        {"text in block 2", block + " 1 2\n" + block + " 3 x\n", 2},
        {"block 4 cut short", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0\n", 4},
        {"block 3 missing", block + " 1 2\n" + block + " 3 0\n", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const GridKind kind : {GridKind::Charge, GridKind::Spin}) {
            const std::string whole = outcome(
                [&](const std::string& path) {
                    DensityGrid CHG(two_by_one_by_one), SPN(two_by_one_by_one);
                    idata(path, two_by_one_by_one, c.NBLOCKS, CHG, SPN);
                    const DensityGrid& kept = kind == GridKind::Charge ? CHG : SPN;
                    return std::vector<double>(kept.values().begin(), kept.values().end());
                },
                c.content);
            const std::string one = outcome(
                [&](const std::string& path) {
                    const DensityGrid grid = read_one_grid(path, two_by_one_by_one, c.NBLOCKS, kind);
                    return std::vector<double>(grid.values().begin(), grid.values().end());
                },
                c.content);
            EXPECT_EQ(one, whole) << (kind == GridKind::Charge ? "charge" : "spin");
        }
    }
}

}  // namespace
}  // namespace voxmill::testing
