// The structure part of a CHGCAR or PARCHG file: title, lattice, species,
// atom counts and positions, the FFT grid, and how many density blocks follow.
#pragma once

#include <string>

#include "input/model.hpp"

namespace voxmill {

// Reads the structure header of the file `FNAME` into `header`, up to and
// including the grid dimensions, printing the progress lines. Species come
// from line 6 when it holds no digit in its first 40 columns (the new layout)
// and otherwise from the TITEL lines of POTCAR in the current directory (the
// old layout). A missing file, a POTCAR missing for the old layout, and files
// beyond 100 species or 500 atoms are refused. The blocks are counted as the
// block reader reads them, which then calls take_block_count().
void iheader(const std::string& FNAME, StructureHeader& header);

// Whether the file could hold the header's grid in `blocks` blocks, each value
// taking at least two bytes; a grid whose points overflow a 64-bit count never fits.
bool grid_fits_file(const std::string& FNAME, const StructureHeader& header, int blocks);

// Ends the header with `count`, the lines of the file that hold the grid line
// text within their first 80 columns, as NBLOCKS: refuses a grid the file
// cannot hold in that many blocks, then prints the calculation type line.
void take_block_count(const std::string& FNAME, StructureHeader& header, long count);

// The species labels of a species line: the runs of characters between
// separators in its first 40 columns.
std::vector<std::string> specchg(std::string_view species_line);

}  // namespace voxmill
