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

// Reads the title, the scaling factor and the lattice vectors.
void read_cell(TextSource& source, StructureHeader& header);

// The layout of the file, after read_cell, as `StructureHeader::VERSION`: 1
// (new) when the first character of line 6 that is no blank is a letter,
// since the line then names the species; 0 (old) when it holds the atom
// counts. Line 6 stays unread.
int read_layout(TextSource& source);

// The number of species of a file in the old layout, after read_cell: the
// entries of its line of atom counts, which stays unread.
std::size_t count_species(TextSource& source);

// Reads the species of line 6 in the new layout (the old one has them in
// `header.SPECS` from POTCAR), then the atom counts, the positions and the
// grid dimensions. Files beyond 100 species or 500 atoms are refused.
void read_atoms(TextSource& source, StructureHeader& header);

// The species labels of a species line: the runs of characters between
// separators in its first 40 columns; on a line of names with POTCAR hashes
// ("Mg_pv/f474ac0d  Si/79d9987ad87", or "Fe/"), the part of each name before
// its slash, over the whole line.
std::vector<std::string> specchg(std::string_view species_line);

}  // namespace voxmill
