// Reading an input file with the progress lines of the console between its
// steps.
#pragma once

#include <string>

#include "formats/chgcar_blocks.hpp"

namespace voxmill {

// Reads the file `name`, a CHGCAR-family file or a Gaussian cube, told apart
// by their first lines: its structure part into `header`, and of its blocks
// the grids of `keep`, with the sums of the report if asked for; prints what
// it finds on the way. Species of the old layout come from the POTCAR beside
// the file, or else from the one in the current directory. A cube holds one
// grid, the charge: its values are a density per cubic bohr, held as VASP's
// rho*V, when `density`; else they are held as written.
FileDensities read_file(const std::string& name, StructureHeader& header, Keep keep, bool with_sums, bool density);

}  // namespace voxmill
