// interpolate FILE < positions
//
// The tricubic value of block 1 of the CHGCAR-layout FILE (new layout) at
// each fractional position read from standard input, three numbers a line,
// printed one a line with 17 significant digits: the interpolation laid open
// to the interoperability check.
#include <cstdio>
#include <iostream>

#include "formats/chgcar_blocks.hpp"
#include "formats/chgcar_header.hpp"
#include "ops/interpolation.hpp"

int main(int argc, char** argv)
{
    using namespace voxmill;
    if (argc != 2) {
        std::fprintf(stderr, "usage: interpolate FILE < positions\n");
        return 2;
    }
    TextSource source(argv[1]);
    StructureHeader header;
    read_cell(source, header);
    header.VERSION = read_layout(source);
    read_atoms(source, header);
    const FileDensities densities = idata(source, header, Keep::Charge, false);
    Vector3 f;
    while (std::cin >> f[0] >> f[1] >> f[2]) std::printf("%.17g\n", tricubic_value(*densities.CHG, f));
}
