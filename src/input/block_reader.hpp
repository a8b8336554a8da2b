// The density blocks of a CHGCAR or PARCHG file, each found by the grid line
// that stands before it.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "input/model.hpp"

namespace voxmill {

// Where the spin goes when no grid keeps it: stretch after stretch, in file
// order, with the index of the stretch's first point.
using SpinStretches = std::function<void(std::size_t first, std::span<const double> spin)>;

// Reads the blocks of the file `FNAME` into the charge grid `CHG` and the spin
// grid `SPN`, both allocated with the extents NGRID, and returns the sums of
// the report. What the spin holds follows from the number of blocks: zeros
// for one block, block 2 for two, and for any other count the length of the
// magnetisation vector (blocks 2 to 4). With no spin grid (nullptr) the spin
// goes only into the sums and, if given, to `pass_on`; block 2 of two blocks
// then needs no grid at all.
DensitySums idata(const std::string& FNAME, const GridExtents& NGRID, int NBLOCKS, DensityGrid& CHG, DensityGrid* SPN,
                  const SpinStretches& pass_on = {});

// Reads the blocks as idata does, every one of them checked, but keeps only
// the charge or the spin grid: what a fragment of a difference contributes.
DensityGrid read_one_grid(const std::string& FNAME, const GridExtents& NGRID, int NBLOCKS, GridKind kind);

}  // namespace voxmill
