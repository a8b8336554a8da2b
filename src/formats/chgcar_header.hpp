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

// The number of species of a file, after the species line of the new layout
// or after read_cell in the old one: the integers its line of atom counts
// begins with. That line stays unread.
std::size_t count_species(TextSource& source);

// Reads the species of line 6 in the new layout, one name for each atom count
// on line 7 (the old layout has them in `header.SPECS` from POTCAR), then the
// atom counts, the positions and the grid dimensions.
void read_atoms(TextSource& source, StructureHeader& header);

// The species labels of a species line: its names, between blanks, tabs or
// commas; a name with a POTCAR hash cut to its element symbol
// ("Mg_pv/f474ac0d" gives "Mg").
std::vector<std::string> specchg(std::string_view species_line);

}  // namespace voxmill
