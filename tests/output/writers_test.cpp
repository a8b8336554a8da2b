// What the runs on the examples (tests/ops) leave out: the XSF writer on a grid
// of several pieces, on a one-letter species and on values in the F form, and
// the information report on long species lists.
#include <gtest/gtest.h>

#include "output/report.hpp"
#include "output/xsf_writer.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

// A cube of 5.43 angstrom with one atom of `species` at the origin.
StructureHeader cube(const std::string& species, const GridExtents& grid)
{
    StructureHeader header;
    header.SNAME = std::string(80, ' ');
    header.SCALE = 5.43;
    header.A = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    header.NSPEC = 1;
    header.SPECS = {species};
    header.NSATOMS = {1};
    header.NATOMS = 1;
    header.COORD = {{0, 0, 0}};
    header.NGRID = grid;
    return header;
}

// The header records and the values of small grids are in the expected files
// of the runs (tests/ops/expected); a grid of 60^3 values goes out in several
// pieces, whose records must still be whole.
TEST(XsfWriter, WritesALargeGridInWholeRecords)
{
    ScratchDir dir;
    DensityGrid grid({60, 60, 60});
    ixcrysden((dir.path() / "CHGDEN").string(), cube("Si", grid.extents()), grid);
    const std::vector<std::string> lines = lines_of(dir.read("CHGDEN.xsf"));
    ASSERT_EQ(lines.size(), 18u + 1u + 60u * 60u * 60u / 3u + 2u);
    EXPECT_EQ(lines[19], "  0.000000000000000E+000  0.000000000000000E+000  0.000000000000000E+000");
    EXPECT_EQ(lines[lines.size() - 3], lines[19]);
    EXPECT_EQ(lines[lines.size() - 2], "END_DATAGRID_3D");
    EXPECT_EQ(lines.back(), "END_BLOCK_DATAGRID_3D");
}

TEST(XsfWriter, DividesByTheCellVolumeInCubicBohr)
{
    ScratchDir dir;
    const StructureHeader header = cube("O", {2, 1, 1});
    DensityGrid grid(header.NGRID);
    // The volume of the 5.43 angstrom cube in cubic bohr, with the single-precision factor.
    const double t = 1.8897260427474976 * 5.43;
    grid[0] = ((t * t) * t) * 2.5;
    grid[1] = -((t * t) * t);
    ixcrysden((dir.path() / "X").string(), header, grid);
    const std::vector<std::string> lines = lines_of(dir.read("X.xsf"));
    EXPECT_EQ(lines[9], " O:     0.000000    0.000000    0.000000");
    EXPECT_EQ(lines[lines.size() - 3], "   2.50000000000000       -1.00000000000000     ");
}

// The CHGCAR-layout files and the information report of every example are
// compared whole by the runs (tests/ops/expected), with one to two species and
// a zero and a non-zero magnetization.

TEST(InformationReport, PutsLongSpeciesListsOnLinesOfTheirOwn)
{
    const struct {
        int species;
        std::vector<std::string> lines;
    } cases[] = {
        {12, {" Species         =    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12"}},
        {13, {" Species         = ", "    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13"}},
        {17, {" Species         = ", "    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13  E14  E15",
              "   E16  E17"}},
        {0, {" Species         = "}},
    };
    for (const auto& c : cases) {
        StructureHeader header;
        header.NGRID = {1, 1, 1};
        header.NSPEC = c.species;
        for (int m = 1; m <= c.species; ++m) header.SPECS.push_back("E" + std::to_string(m));
        const std::vector<std::string> lines = lines_of(information_report(header, DensitySums{.points = 1}));
        const std::vector<std::string> species(lines.begin() + 2, lines.begin() + 2 + static_cast<long>(c.lines.size()));
        EXPECT_EQ(species, c.lines) << c.species << " species";
        EXPECT_EQ(lines[2 + c.lines.size()], " Number species  = " + std::string(c.species < 10 ? "   " : "  ") + std::to_string(c.species));
    }
}

}  // namespace
}  // namespace voxmill::testing
