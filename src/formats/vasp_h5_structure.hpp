// The structure of a VASP 6 HDF5 file: from a group `positions` (results/ of
// vaspout.h5, structure/ of a vaspwave.h5 that carries one), or from the last
// step of intermediate/ion_dynamics with the species beside it.
#pragma once

#include <string>

#include "formats/hdf5_file.hpp"
#include "model.hpp"

namespace voxmill {

// Reads the structure below the group `base` of `file` into `header`: the
// title (first 40 characters), scale, lattice, species, their atom counts and
// the positions, made fractional. Leaves NGRID, NBLOCKS alone; VERSION is 1.
void read_h5_structure(const h5::File& file, const std::string& base, StructureHeader& header);

}  // namespace voxmill
