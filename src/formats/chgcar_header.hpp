// The structure part of a CHGCAR-family file: title, lattice, species, atom
// counts and positions, and the FFT grid. It is read in steps, so that the
// run can say between them what it found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model.hpp"
#include "text/text_source.hpp"

namespace voxmill {

// The layout of the file, as `StructureHeader::VERSION`: 1 (new) when line 6
// holds no digit in its first 40 columns, since it then names the species; 0
// (old) when it holds the atom counts. Leaves the source at its start.
int read_layout(TextSource& source);

// Reads the title, the scaling factor and the lattice vectors.
void read_cell(TextSource& source, StructureHeader& header);

// Reads the species of line 6 in the new layout (the old one has them in
// `header.SPECS` from POTCAR), then the atom counts, the positions and the
// grid dimensions. Files beyond 100 species or 500 atoms are refused.
void read_atoms(TextSource& source, StructureHeader& header);

// The species labels of a species line: the runs of characters between
// separators in its first 40 columns.
std::vector<std::string> specchg(std::string_view species_line);

}  // namespace voxmill
