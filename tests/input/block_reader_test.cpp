// The density block reader: blocks found by their grid line and combined into
// the charge and spin grids by the number of blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <vector>

#include "input/block_reader.hpp"
#include "support/failure_of.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

const GridExtents extents{2, 1, 1};
const std::string grid_line = "    2    1    1";

std::string values_of(const DensityGrid& grid)
{
    std::ostringstream values;
    values.precision(17);
    for (const double v : grid.values()) values << v << ' ';
    return values.str();
}

// Reads `content` as the file CHGCAR with `read`: what it returns, or the
// failure with the file named CHGCAR.
std::string outcome(const std::string& content, const std::function<std::string(const std::string& path)>& read)
{
    ScratchDir dir;
    dir.write("CHGCAR", content);
    const std::string path = (dir.path() / "CHGCAR").string();
    std::string values;
    const std::string failure = failure_of([&] { values = read(path); });
    return failure == "no failure" ? values : "CHGCAR" + failure.substr(path.size());
}

std::string values_of(const DensitySums& sums)
{
    std::ostringstream values;
    values.precision(17);
    values << sums.charge << ' ' << sums.spin << ' ' << sums.up << ' ' << sums.down << " of " << sums.points;
    return values.str();
}

// Reads the whole file, both grids: what `kept` makes of them and of the
// report's sums, or the failure.
using Kept = std::function<std::string(const DensityGrid& CHG, const DensityGrid& SPN, const DensitySums& sums)>;
std::string read_whole(const std::string& content, int NBLOCKS, const Kept& kept)
{
    return outcome(content, [&](const std::string& path) {
        DensityGrid CHG(extents), SPN(extents);
        const DensitySums sums = idata(path, extents, NBLOCKS, CHG, &SPN);
        return kept(CHG, SPN, sums);
    });
}

// Blocks cut short or holding text are among the malformed inputs (tests/driver).
TEST(BlockReader, FillsTheSpinGridByTheNumberOfBlocks)
{
    const std::string header = "structure lines are passed over\n 2 1 1\n";
    const std::string between = "augmentation occupancies 1 2\n 0.1 0.2\n 0.5 0.5\n";
    const std::string missing = ": unexpected end of file, expected the grid line \"" + grid_line + "\" of density block ";
    const struct {
        std::string name;
        std::string content;
        int NBLOCKS;
        std::string grids;  // the charge values, then the spin values, or the failure
    } cases[] = {
        // One, two and four blocks are the bundled examples, whose results the runs compare whole.
        {"one block and text after it", header + grid_line + "\n 1.5 2.5\n" + between + "not a number\n", 1, "1.5 2.5 | 0 0 "},
        {"five blocks", header + grid_line + "\n 9 9\n" + grid_line + "\n 3 0\n" + grid_line + "\n 4 0\n" + grid_line + "\n 0 -2\n" + grid_line + "\n x\n",
         5, "9 9 | 5 2 "},
        {"text after column 40 of a grid line", header + grid_line + std::string(25, ' ') + " 7 11\n 1 2\n", 1, "1 2 | 0 0 "},
        {"text before column 41 hides a grid line", header + grid_line + " x\n 7 7\n" + grid_line + "\n 1 2\n", 1, "1 2 | 0 0 "},
        {"no grid line", " 2 1 1\n 1 2\n", 0, "CHGCAR" + missing + "1"},
        {"second block missing", grid_line + "\n 1 2\n", 2, "CHGCAR" + missing + "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read_whole(c.content, c.NBLOCKS, [](const DensityGrid& CHG, const DensityGrid& SPN, const DensitySums&) {
                      return values_of(CHG) + "| " + values_of(SPN);
                  }),
                  c.grids)
            << c.name;
    }
}

TEST(BlockReader, KeepsTheGridsAskedForAndChecksTheBlocksItSkips)
{
    const std::string block = grid_line + "\n";
    const struct {
        std::string name;
        std::string content;
        int NBLOCKS;
    } cases[] = {
        {"one block", block + " 1 2\n", 1},
        {"two blocks", block + " 1 2\naugmentation\n" + block + " 3 4\n", 2},
        {"a slash in block 2", block + " 1 2\n" + block + " -3 /\n", 2},
        {"four blocks", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0 -2\n", 4},
        {"text in block 1", block + " 1 x\n" + block + " 3 4\n", 2},
        {"text in block 2", block + " 1 2\n" + block + " 3 x\n", 2},
        {"block 4 cut short", block + " 1 2\n" + block + " 3 0\n" + block + " 4 0\n" + block + " 0\n", 4},
        {"block 3 missing", block + " 1 2\n" + block + " 3 0\n", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const GridKind kind : {GridKind::Charge, GridKind::Spin}) {
            const std::string whole = read_whole(c.content, c.NBLOCKS, [&](const DensityGrid& CHG, const DensityGrid& SPN,
                                                                          const DensitySums&) {
                return values_of(kind == GridKind::Charge ? CHG : SPN);
            });
            const std::string one = outcome(c.content, [&](const std::string& path) {
                return values_of(read_one_grid(path, extents, c.NBLOCKS, kind));
            });
            EXPECT_EQ(one, whole) << (kind == GridKind::Charge ? "charge" : "spin");
        }
        // With no spin grid kept, the spin still goes into the sums.
        const std::string whole = read_whole(c.content, c.NBLOCKS, [](const DensityGrid& CHG, const DensityGrid&,
                                                                       const DensitySums& sums) {
            return values_of(CHG) + "| " + values_of(sums);
        });
        const std::string charge_only = outcome(c.content, [&](const std::string& path) {
            DensityGrid CHG(extents);
            const DensitySums sums = idata(path, extents, c.NBLOCKS, CHG, nullptr);
            return values_of(CHG) + "| " + values_of(sums);
        });
        EXPECT_EQ(charge_only, whole) << "no spin grid";
    }
}

TEST(BlockReader, ReadsBlocksOfManyPiecesAsWhole)
{
    // Blocks longer than the pieces that components and an unkept spin are
    // read and passed on in: every point must meet the values of its own place.
    const GridExtents long_extents{70000, 1, 1};
    const auto component = [](int block, long p) { return static_cast<double>((p * (2 * block + 1)) % 23 - 11); };
    for (const int NBLOCKS : {2, 4}) {
        std::string content;
        for (int block = 1; block <= NBLOCKS; ++block) {
            content += "70000    1    1\n";
            for (long p = 0; p < 70000; ++p) content += std::to_string(static_cast<int>(component(block, p))) + (p % 5 == 4 ? "\n" : " ");
        }
        const std::string spin = outcome(content, [&](const std::string& path) {
            DensityGrid CHG(long_extents), SPN(long_extents);
            const std::string sums = values_of(idata(path, long_extents, NBLOCKS, CHG, &SPN));
            DensityGrid CHG_only(long_extents);
            std::vector<double> passed_on(70000, -99);
            const auto pass_on = [&](std::size_t first, std::span<const double> spin) {
                std::copy(spin.begin(), spin.end(), passed_on.begin() + static_cast<long>(first));
            };
            EXPECT_EQ(values_of(idata(path, long_extents, NBLOCKS, CHG_only, nullptr, pass_on)), sums);
            long misplaced = 0;
            for (long p = 0; p < 70000; ++p) {
                const double m1 = component(2, p);
                const double expected = NBLOCKS == 2 ? m1 : std::sqrt(m1 * m1 + std::pow(component(3, p), 2) + std::pow(component(4, p), 2));
                const auto point = static_cast<std::size_t>(p);
                misplaced += SPN[point] != expected || passed_on[point] != expected || CHG_only[point] != component(1, p);
            }
            return std::to_string(misplaced) + " misplaced";
        });
        EXPECT_EQ(spin, "0 misplaced") << NBLOCKS << " blocks";
    }
}

}  // namespace
}  // namespace voxmill::testing
