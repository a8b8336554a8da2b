// Reading an input file with the progress lines of the console between its
// steps.
#pragma once

#include <optional>
#include <string>

#include "formats/chgcar_blocks.hpp"
#include "formats/vasp_h5.hpp"

namespace voxmill {

// Reads the file `name`, a CHGCAR-family file or a Gaussian cube, told apart
// by their first lines: its structure part into `header`, and of its blocks
// the grids of `keep`, with the sums of the report if asked for; prints what
// it finds on the way. Species of the old layout come from the POTCAR beside
// the file, or else from the one in the current directory. A cube holds one
// grid, the charge: its values are a density per cubic bohr, held as VASP's
// rho*V, unless `choice` asks for a potential; they are then held as written.
// An HDF5 file of VASP 6, told by its signature, gives the dataset of
// `choice` as its blocks.
//
// With a `plane_axis`, the charge goes into the sums of its planes along
// that axis (see PlaneSums) instead of a grid: where the file is read in
// pieces, no grid of it is held at all.
FileDensities read_file(const std::string& name, const H5Choice& choice, StructureHeader& header, Keep keep,
                        bool with_sums, std::optional<int> plane_axis = std::nullopt);

}  // namespace voxmill
