// Result files in the CHGCAR layout and XSF, and the information report, whole,
// byte for byte, with long species lists and fields too narrow for their values.
#include <gtest/gtest.h>

#include "formats/chgcar_writer.hpp"
#include "formats/report.hpp"
#include "formats/xsf_writer.hpp"
#include "support/scratch.hpp"
#include "text/real_form.hpp"

namespace voxmill::testing {
namespace {

// Three atoms of two species in a skewed cell.
StructureHeader structure(const GridExtents& NGRID)
{
    return {.SNAME = "Fe3O4 on MgO(001)" + std::string(63, ' '), .SCALE = 2.5, .A = {{{2, 0, 0}, {0.5, 1.5, 0}, {0, 0, 3}}},
            .NSPEC = 2, .SPECS = {"Fe_pv", "O"}, .NSATOMS = {1, 2}, .NATOMS = 3,
            .COORD = {{0, 0, 0}, {0.5, 0.5, 0.5}, {0.25, -0.125, 1}}, .NGRID = NGRID};
}

TEST(Writers, ChgcarLayoutAndXsf)
{
    // The grid of the CHGCAR layout goes out in several pieces, whose records must stay whole.
    ScratchDir dir;
    DensityGrid large({30, 20, 25});
    std::string values;
    for (std::size_t p = 0; p < large.size(); ++p) {
        large[p] = static_cast<double>(p % 1000) * 0.37 - 100;
        char field[real_field_width];
        values.append(field, put_real_field_exact(field, large[p])) += p % 3 == 2 ? "\n" : "";
    }
    OutputFile chgcar((dir.path() / "CHGDEN.vasp").string());
    ivaspview(chgcar, structure(large.extents()), large);
    chgcar.commit();
    EXPECT_TRUE(dir.read("CHGDEN.vasp") ==
                "Fe3O4 on MgO(001)                       \n   2.50000000\n     2.000000    0.000000    0.000000\n"
                "     0.500000    1.500000    0.000000\n     0.000000    0.000000    3.000000\nFe_pv    O\n     1     2\nDirect\n"
                "  0.000000  0.000000  0.000000\n  0.500000  0.500000  0.500000\n  0.250000 -0.125000  1.000000\n \n"
                "   30   20   25\n" + values);
    // The values of XSF per cubic bohr, the cell's volume times the cube of 1.889726 as a float.
    DensityGrid small({2, 1, 2});
    const double t = 1.8897260427474976 * 2.5, volume = ((t * t) * t) * 9;
    std::copy_n(std::array{2 * volume, -volume, volume / 2, 0.0}.begin(), 4, small.data());
    OutputFile xsf((dir.path() / "CHGDEN.xsf").string());
    ixcrysden(xsf, structure(small.extents()), small);
    xsf.commit();
    const std::string lattice = "    5.000000    0.000000    0.000000\n    1.250000    3.750000    0.000000\n"
                                "    0.000000    0.000000    7.500000\n";
    EXPECT_EQ(dir.read("CHGDEN.xsf"),
              "#Fe3O4 on MgO(001)                      \n \nCRYSTAL\nPRIMVEC\n" + lattice + "PRIMCOORD\n  3 1\n"
              "Fe_     0.000000    0.000000    0.000000\n O:     3.125000    1.875000    3.750000\n"
              " O:     1.093750   -0.468750    7.500000\n \nBEGIN_BLOCK_DATAGRID_3D\n3D Density\nBEGIN_DATAGRID_3D\n"
              "    2    1    2\n    0.000000    0.000000    0.000000\n" + lattice +
              "   2.00000000000000       -1.00000000000000       0.500000000000000     \n"
              "  0.000000000000000E+000\nEND_DATAGRID_3D\nEND_BLOCK_DATAGRID_3D\n");
}

TEST(Report, AllItsLines)
{
    // A cell 40 high, `count` species, more atoms and grid points than the fields hold.
    const auto with_species = [](int count) {
        StructureHeader h = structure({1000, 24, 2});
        h.A[2][2] = 40, h.NSPEC = count, h.NATOMS = 10000, h.SPECS.clear();
        for (int m = 1; m <= count; ++m) h.SPECS.push_back("E" + std::to_string(m));
        return h;
    };
    EXPECT_EQ(iinfo(with_species(17), {.charge = 34, .spin = 400000, .up = 28, .down = 40, .points = 4}),
              " \n System name     = Fe3O4 on MgO(001)\n Species         = \n"
              "    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13  E14  E15\n   E16  E17\n"
              " Number species  =   17\n Number atoms    = ****\n Magnetization   = ********   magnetons\n"
              " Total charge    =    8.500   electrons\n        ...up    =    3.500   electrons\n"
              "      ...down    =    5.000   electrons\n Scale const.    =    2.500   angstroms\n"
              " Unitcell volume = 1875.000 angstroms^3\n                    5.000  0.000  0.000\n"
              " Lattice vector  =  1.250  3.750  0.000\n                    0.000  0.000 ******\n"
              " The FFT grid    =  ***  x   24  x    2\n \n");
    // The species names stay on the line of their label while they fit it.
    const std::pair<int, std::string> lists[] = {
        {0, " Species         = \n"}, {12, " Species         =    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12\n"},
        {13, " Species         = \n    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13\n"}};
    for (const auto& [count, lines] : lists) {
        const std::string report = iinfo(with_species(count), {.points = 1});
        const std::size_t first = report.find(" Species");
        EXPECT_EQ(report.substr(first, report.find(" Number species") - first), lines);
    }
}

}  // namespace
}  // namespace voxmill::testing
