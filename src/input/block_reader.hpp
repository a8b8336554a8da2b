// The density blocks of a CHGCAR or PARCHG file, each found by the grid line
// that stands before it.
#pragma once

#include <optional>
#include <string>

#include "input/model.hpp"

namespace voxmill {

// The grids a caller keeps of a file.
enum class Keep { Charge, Spin, Both };

// What idata gives: the grids kept, and the sums of the report if asked for.
struct FileDensities {
    std::optional<DensityGrid> CHG;  // block 1
    std::optional<DensityGrid> SPN;  // the magnetisation, see idata
    DensitySums sums;
};

// Reads the blocks of the file `FNAME`, whose header iheader() has just read
// into `header`, and counts them on the way: ends the header with
// take_block_count() before it returns or fails, so that the calculation type
// line stands before any failure of a block. What the spin holds follows from
// the number of blocks: zeros for one block, block 2 for two, and for any
// other count the length of the magnetisation vector (blocks 2 to 4). Every
// block that is read is checked, whether it is kept or not.
FileDensities idata(const std::string& FNAME, StructureHeader& header, Keep keep, bool with_sums);

}  // namespace voxmill
