// The density blocks of a CHGCAR-family file, each found by the grid line
// that stands before it, and what they mean by their number.
#pragma once

#include <optional>

#include "model.hpp"
#include "plane_sums.hpp"
#include "text/text_source.hpp"

namespace voxmill {

// The grids a caller keeps of a file.
enum class Keep { Charge, Spin, Both };

// What idata gives: the grids kept, and the sums of the report if asked for.
struct FileDensities {
    std::optional<DensityGrid> CHG;  // block 1
    std::optional<DensityGrid> SPN;  // the magnetisation, see idata
    DensitySums sums;
    std::optional<PlaneSums> planes;  // of block 1, for a profile, where its grid is not kept
};

// Reads the blocks of `source`, whose structure part up to the first grid
// line is in `header`, and counts their grid lines (see is_grid_line) on the
// way: sets `header.NBLOCKS` to that count before it returns or throws the
// failure of a block. What the spin holds follows from the count: zeros for
// one block, block 2 for two, and for any other count the length of the
// magnetisation vector, sqrt((m1 m1 + m2 m2) + m3 m3) of blocks 2 to 4. Every
// block that is read is checked, whether it is kept or not.
//
// A line equal to the title line after a block starts a further snapshot of
// the structure and its blocks, as a CHG of a molecular-dynamics run holds
// one for each step written: the last snapshot is read, with its own
// structure, into `header`, and `header.snapshots` counts them.
//
// A stream (see TextSource::can_look_ahead) is read in one pass: block 2 is
// kept as read, and folded with blocks 3 and 4 into the length of the
// magnetisation if they follow.
//
// A grid takes memory only as its values are read (see DensityGrid), so a
// header that claims more values than the file holds ends at the end of the
// file, not in an allocation.
FileDensities idata(TextSource& source, StructureHeader& header, Keep keep, bool with_sums);

}  // namespace voxmill
