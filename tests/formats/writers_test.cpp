// Result files in the CHGCAR layout and XSF, whole, byte for byte.
#include <gtest/gtest.h>

#include "formats/chgcar_writer.hpp"
#include "formats/xsf_writer.hpp"
#include "support/scratch.hpp"
#include "text/real_form.hpp"

namespace voxmill::testing {
namespace {

// Three atoms of two species in a skewed cell.
StructureHeader structure(const GridExtents& NGRID)
{
    StructureHeader h;
    h.SNAME = "Fe3O4 on MgO(001)" + std::string(63, ' ');
    h.SCALE = 2.5;
    h.A = {{{2, 0, 0}, {0.5, 1.5, 0}, {0, 0, 3}}};
    h.NSPEC = 2;
    h.SPECS = {"Fe_pv", "O"};
    h.NSATOMS = {1, 2};
    h.NATOMS = 3;
    h.COORD = {{0, 0, 0}, {0.5, 0.5, 0.5}, {0.25, -0.125, 1}};
    h.NGRID = NGRID;
    return h;
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

}  // namespace
}  // namespace voxmill::testing
