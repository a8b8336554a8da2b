// The structure part of a CHGCAR or PARCHG file: title, lattice, species,
// atom counts and positions, the FFT grid, and how many density blocks follow.
#pragma once

#include <string>

#include "input/model.hpp"

namespace voxmill {

// Reads the structure header of the file `FNAME` into `header`, printing the
// progress lines. Species come from line 6 when it holds no digit in its first
// 40 columns (the new layout) and otherwise from the TITEL lines of POTCAR in
// the current directory (the old layout). A missing file, a POTCAR missing for
// the old layout, and files beyond 100 species or 500 atoms are refused.
void iheader(const std::string& FNAME, StructureHeader& header);

// The species labels of a species line: the runs of characters between
// separators in its first 40 columns.
std::vector<std::string> specchg(std::string_view species_line);

}  // namespace voxmill
