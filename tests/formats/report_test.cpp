// The information report, line by line, with long species lists and fields
// too narrow for their values.
#include "formats/report.hpp"

#include <gtest/gtest.h>

namespace voxmill {
namespace {

StructureHeader with_species(int count)
{
    StructureHeader h;
    h.SNAME = "Fe3O4 on MgO(001)" + std::string(63, ' ');
    h.SCALE = 2.5;
    h.A = {{{2, 0, 0}, {0.5, 1.5, 0}, {0, 0, 40}}};
    h.NSPEC = count;
    for (int m = 1; m <= count; ++m) h.SPECS.push_back("E" + std::to_string(m));
    h.NATOMS = 10000;
    h.NGRID = {1000, 24, 2};
    return h;
}

TEST(Report, AllItsLines)
{
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
}  // namespace voxmill
