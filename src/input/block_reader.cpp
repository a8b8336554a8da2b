#include "input/block_reader.hpp"

#include <cmath>
#include <optional>
#include <vector>

#include "output/blank_padding.hpp"
#include "output/failure.hpp"
#include "output/free_form_reader.hpp"
#include "output/text_source.hpp"

namespace voxmill {

namespace {

// A block starts after a line whose first 40 columns are the grid line text
// followed by blanks only; whatever stands after column 40 does not matter.
void find_block(TextSource& source, const std::string& grid_line, int block)
{
    std::string_view record;
    while (source.next_record(record)) {
        if (without_trailing_blanks(record.substr(0, 40)) == grid_line) return;
    }
    throw Failure(source.path() + ": unexpected end of file, expected the grid line \"" + grid_line
                  + "\" of density block " + std::to_string(block));
}

std::string block_name(int block) { return "density block " + std::to_string(block); }

// Values are read in pieces of this many where they go through a buffer.
constexpr std::size_t piece_size = 1 << 16;

void read_block(TextSource& source, const std::string& grid_line, int block, std::span<double> values)
{
    find_block(source, grid_line, block);
    FreeFormRead(source).reals(values, block_name(block));
}

// Reads block `block` of `size` values piece by piece through a small buffer,
// handing each piece to use(first, piece), where `first` is the index of its
// first value in the block.
template <typename Use>
void read_in_pieces(TextSource& source, const std::string& grid_line, int block, std::size_t size, Use use)
{
    find_block(source, grid_line, block);
    FreeFormRead values(source);
    const std::string name = block_name(block);
    std::vector<double> buffer(std::min(piece_size, size));
    for (std::size_t first = 0; first < size; first += piece_size) {
        const std::span<double> piece(buffer.data(), std::min(piece_size, size - first));
        std::fill(piece.begin(), piece.end(), 0.0);  // values a slash leaves unread count as 0
        values.reals(piece, name, size);
        use(first, piece);
    }
}

// A block whose values no grid keeps: read and checked as any other.
void skip_block(TextSource& source, const std::string& grid_line, int block, std::size_t size)
{
    read_in_pieces(source, grid_line, block, size, [](std::size_t, std::span<const double>) {});
}

// Reads block `block` into `grid`, or skips it when there is no grid to keep it.
void take_block(TextSource& source, const std::string& grid_line, int block, DensityGrid* grid, std::size_t size)
{
    if (grid != nullptr)
        read_block(source, grid_line, block, grid->values());
    else
        skip_block(source, grid_line, block, size);
}

// Blocks 3 and 4 are read piece by piece and folded into the spin grid, which
// already holds block 2: it ends up with sqrt((m1 m1 + m2 m2) + m3 m3) at each
// point, evaluated in that order, without three grids for the components.
void fold_magnetisation(TextSource& source, const std::string& grid_line, DensityGrid& SPN)
{
    read_in_pieces(source, grid_line, 3, SPN.size(), [&](std::size_t first, std::span<const double> m2) {
        double* spin = SPN.data() + first;
        for (std::size_t p = 0; p < m2.size(); ++p) spin[p] = spin[p] * spin[p] + m2[p] * m2[p];
    });
    read_in_pieces(source, grid_line, 4, SPN.size(), [&](std::size_t first, std::span<const double> m3) {
        double* spin = SPN.data() + first;
        for (std::size_t p = 0; p < m3.size(); ++p) spin[p] = std::sqrt(spin[p] + m3[p] * m3[p]);
    });
}

// Reads every block of the file; a grid left out (nullptr) has its blocks
// read and checked all the same, but not kept.
void read_blocks(const std::string& FNAME, const GridExtents& NGRID, int NBLOCKS, DensityGrid* CHG, DensityGrid* SPN)
{
    TextSource source(FNAME);
    const std::string grid_line = grid_line_text(NGRID);
    const std::size_t size = point_count(NGRID);

    take_block(source, grid_line, 1, CHG, size);
    switch (calc_type(NBLOCKS)) {
    case CalcType::NonSpinPolarized: break;  // the spin grid keeps the zeros it was allocated with
    case CalcType::SpinPolarized: take_block(source, grid_line, 2, SPN, size); break;
    case CalcType::NonCollinear:
    case CalcType::Unrecognised:
        take_block(source, grid_line, 2, SPN, size);
        if (SPN != nullptr) {
            fold_magnetisation(source, grid_line, *SPN);
        } else {
            skip_block(source, grid_line, 3, size);
            skip_block(source, grid_line, 4, size);
        }
        break;
    }
}

}  // namespace

DensitySums idata(const std::string& FNAME, const GridExtents& NGRID, int NBLOCKS, DensityGrid& CHG, DensityGrid* SPN,
                  const SpinStretches& pass_on)
{
    DensitySums sums;
    if (SPN == nullptr && calc_type(NBLOCKS) == CalcType::SpinPolarized) {
        // Block 2 is the spin itself: summed piece by piece as it is read.
        TextSource source(FNAME);
        const std::string grid_line = grid_line_text(NGRID);
        read_block(source, grid_line, 1, CHG.values());
        read_in_pieces(source, grid_line, 2, CHG.size(), [&](std::size_t first, std::span<const double> spin) {
            sums.add(CHG.values().subspan(first, spin.size()), spin);
            if (pass_on) pass_on(first, spin);
        });
        return sums;
    }
    std::optional<DensityGrid> unkept;  // a spin formed whole for the sums and pass_on, then let go
    DensityGrid& spin = SPN != nullptr ? *SPN : unkept.emplace(NGRID);
    read_blocks(FNAME, NGRID, NBLOCKS, &CHG, &spin);
    sums.add(CHG.values(), spin.values());
    if (unkept && pass_on) pass_on(0, spin.values());
    return sums;
}

DensityGrid read_one_grid(const std::string& FNAME, const GridExtents& NGRID, int NBLOCKS, GridKind kind)
{
    DensityGrid grid(NGRID);
    if (kind == GridKind::Charge)
        read_blocks(FNAME, NGRID, NBLOCKS, &grid, nullptr);
    else
        read_blocks(FNAME, NGRID, NBLOCKS, nullptr, &grid);
    return grid;
}

}  // namespace voxmill
