// Gaussian cube files: two comment lines, the atom count and the origin, the
// voxel count and vector along each axis, one line per atom (atomic number,
// charge, position), then the values with x outermost and z innermost, six
// to a line in E13.5 and a new line after each run along z. Lengths are in
// bohr; densities in e/bohr^3.
#pragma once

#include <string_view>
#include <vector>

#include "model.hpp"
#include "text/output_file.hpp"
#include "text/text_source.hpp"

namespace voxmill {

// Angstrom per bohr, CODATA 2018, as pymatgen and ASE convert cube lengths
// (ASE's CODATA 2014 value differs by 4e-10 of its size), so that a cube
// passes through either and back with its lengths unchanged in all six
// decimals.
inline constexpr double angstrom_per_bohr = 0.529177210903;

// Writes `grid`, which holds `quantity`, with the structure of `header` to
// `file`: the origin at 0, the voxel vectors the lattice vectors over the
// grid counts; a density per cubic bohr, anything else as held. The second
// comment line names the quantity and its unit.
void write_cube(OutputFile& file, const StructureHeader& header, const DensityGrid& grid, const GridQuantity& quantity);

// Whether `head`, the text at the start of a file, begins as a cube: lines 3
// to 6 (the atom count and the origin, and the three voxel lines) each hold an
// integer and three reals, where a CHGCAR has a lattice vector of three reals.
bool looks_like_cube(std::string_view head);

// A cube as read: its values on the grid of its header.
struct CubeGrid {
    DensityGrid grid;
    std::vector<int> orbitals;  // those of an orbital cube, whose first is read; else empty
};

// Reads the cube of `source` into `header` and a grid in CHGCAR order (x
// fastest). The header takes the title from line 1 (80 characters of it, as a
// cube passed on keeps its title whole), the lattice vectors in
// angstrom with a scale factor of 1, the atoms as species of the element of
// their atomic numbers, one for each run of equal ones (X for 0), and their
// positions as fractional coordinates from the origin of the grid. A density
// is taken per cubic bohr and held as VASP's rho*V; anything else as written.
// Of an orbital cube (a negative atom count) or one of several values per
// point, the first of each point is read. Lengths are in bohr, or in angstrom
// where the voxel count along x is negative.
CubeGrid read_cube(TextSource& source, StructureHeader& header, bool density);

}  // namespace voxmill
