#include "formats/grid_values.hpp"

#include <algorithm>

#include "text/free_form_writer.hpp"

namespace voxmill {

void write_grid_values(OutputFile& file, const DensityGrid& grid, double divisor)
{
    // Pieces of a multiple of three values keep the records of one statement.
    constexpr std::size_t piece = 3 * 4096;
    file.expect(real_records_size(grid.size()));
    for (std::size_t first = 0; first < grid.size(); first += piece) {
        const std::size_t count = std::min(piece, grid.size() - first);
        char* out = file.reserve(real_records_size(count));
        file.advance(put_real_records(out, grid.data() + first, count, divisor));
    }
}

}  // namespace voxmill
