// The grid file writers and the information report on the examples their
// layouts are defined by: whole records compared byte for byte.
#include <gtest/gtest.h>

#include "output/chgcar_writer.hpp"
#include "output/report.hpp"
#include "output/xsf_writer.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

// Si bulk: scale 5.43, unit lattice vectors, 8 Si atoms, the first at the origin.
StructureHeader si_bulk(const GridExtents& grid)
{
    StructureHeader header;
    header.SNAME = "Si bulk" + std::string(73, ' ');
    header.SCALE = 5.43;
    header.A = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    header.NSPEC = 1;
    header.SPECS = {"Si"};
    header.NSATOMS = {8};
    header.NATOMS = 8;
    header.COORD = {{0, 0, 0}, {0.25, 0.25, 0.25}, {0.5, 0.5, 0}, {0.75, 0.75, 0.25},
                    {0.5, 0, 0.5}, {0.75, 0.25, 0.75}, {0, 0.5, 0.5}, {0.25, 0.75, 0.75}};
    header.NGRID = grid;
    return header;
}

TEST(XsfWriter, WritesTheSiBulkExample)
{
    ScratchDir dir;
    DensityGrid grid({60, 60, 60});
    ixcrysden((dir.path() / "CHGDEN").string(), si_bulk(grid.extents()), grid);
    const std::vector<std::string> lines = lines_of(dir.read("CHGDEN.xsf"));
    ASSERT_EQ(lines.size(), 18u + 8u + 60u * 60u * 60u / 3u + 2u);
    const std::vector<std::string> structure(lines.begin(), lines.begin() + 27);
    EXPECT_EQ(structure, (std::vector<std::string>{
                             "#Si bulk                                ",
                             " ",
                             "CRYSTAL",
                             "PRIMVEC",
                             "    5.430000    0.000000    0.000000",
                             "    0.000000    5.430000    0.000000",
                             "    0.000000    0.000000    5.430000",
                             "PRIMCOORD",
                             "  8 1",
                             "Si:     0.000000    0.000000    0.000000",
                             "Si:     1.357500    1.357500    1.357500",
                             "Si:     2.715000    2.715000    0.000000",
                             "Si:     4.072500    4.072500    1.357500",
                             "Si:     2.715000    0.000000    2.715000",
                             "Si:     4.072500    1.357500    4.072500",
                             "Si:     0.000000    2.715000    2.715000",
                             "Si:     1.357500    4.072500    4.072500",
                             " ",
                             "BEGIN_BLOCK_DATAGRID_3D",
                             "3D Density",
                             "BEGIN_DATAGRID_3D",
                             "   60   60   60",
                             "    0.000000    0.000000    0.000000",
                             "    5.430000    0.000000    0.000000",
                             "    0.000000    5.430000    0.000000",
                             "    0.000000    0.000000    5.430000",
                             "  0.000000000000000E+000  0.000000000000000E+000  0.000000000000000E+000",
                         }));
    EXPECT_EQ(lines[lines.size() - 2], "END_DATAGRID_3D");
    EXPECT_EQ(lines.back(), "END_BLOCK_DATAGRID_3D");
}

TEST(XsfWriter, DividesByTheCellVolumeInCubicBohr)
{
    ScratchDir dir;
    StructureHeader header = si_bulk({2, 1, 1});
    header.SPECS = {"O"};
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

TEST(ChgcarWriter, WritesTheSiBulkExample)
{
    ScratchDir dir;
    StructureHeader header = si_bulk({3, 1, 1});
    DensityGrid grid(header.NGRID);
    grid[0] = 1.0;
    grid[1] = 0.0123;
    grid[2] = -2.5e-7;
    ivaspview((dir.path() / "CHGDEN").string(), header, grid);
    EXPECT_EQ(dir.read("CHGDEN.vasp"),
              "Si bulk                                 \n"
              "   5.43000000\n"
              "     1.000000    0.000000    0.000000\n"
              "     0.000000    1.000000    0.000000\n"
              "     0.000000    0.000000    1.000000\n"
              "   Si\n"
              "     8\n"
              "Direct\n"
              "  0.000000  0.000000  0.000000\n"
              "  0.250000  0.250000  0.250000\n"
              "  0.500000  0.500000  0.000000\n"
              "  0.750000  0.750000  0.250000\n"
              "  0.500000  0.000000  0.500000\n"
              "  0.750000  0.250000  0.750000\n"
              "  0.000000  0.500000  0.500000\n"
              "  0.250000  0.750000  0.750000\n"
              " \n"
              "    3    1    1\n"
              "   1.00000000000000       1.230000000000000E-002 -2.500000000000000E-007\n");
}

// Species and counts of several species, in their A5 and I6 fields, are in the
// expected files of the runs (tests/ops/expected/nonspin and old-layout).

TEST(InformationReport, PrintsTheFeBccExample)
{
    StructureHeader header;
    header.SNAME = "Fe bcc" + std::string(74, ' ');
    header.SCALE = 2.86;
    header.A = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    header.NSPEC = 1;
    header.SPECS = {"Fe"};
    header.NSATOMS = {2};
    header.NATOMS = 2;
    header.NGRID = {40, 40, 40};
    DensityGrid CHG(header.NGRID), SPN(header.NGRID);
    for (std::size_t p = 0; p < CHG.size(); ++p) {
        CHG[p] = 16.0;
        SPN[p] = 4.4;
    }
    EXPECT_EQ(information_report(header, CHG, SPN),
              " \n"
              " System name     = Fe bcc\n"
              " Species         =    Fe\n"
              " Number species  =    1\n"
              " Number atoms    =    2\n"
              " Magnetization   =    4.400   magnetons\n"
              " Total charge    =   16.000   electrons\n"
              "        ...up    =   10.200   electrons\n"
              "      ...down    =    5.800   electrons\n"
              " Scale const.    =    2.860   angstroms\n"
              " Unitcell volume =   23.394 angstroms^3\n"
              "                    2.860  0.000  0.000\n"
              " Lattice vector  =  0.000  2.860  0.000\n"
              "                    0.000  0.000  2.860\n"
              " The FFT grid    =   40  x   40  x   40\n"
              " \n");
}

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
        DensityGrid grid(header.NGRID);
        const std::vector<std::string> lines = lines_of(information_report(header, grid, grid));
        const std::vector<std::string> species(lines.begin() + 2, lines.begin() + 2 + static_cast<long>(c.lines.size()));
        EXPECT_EQ(species, c.lines) << c.species << " species";
        EXPECT_EQ(lines[2 + c.lines.size()], " Number species  = " + std::string(c.species < 10 ? "   " : "  ") + std::to_string(c.species));
    }
}

}  // namespace
}  // namespace voxmill::testing
