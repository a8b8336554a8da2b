#include "formats/chgcar_blocks.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

// The blocks that are read for a calculation type: any count but 1 and 2 is
// read as four.
int blocks_read(CalcType type)
{
    return type == CalcType::NonSpinPolarized ? 1 : type == CalcType::SpinPolarized ? 2 : 4;
}

// A block starts after a line whose first 40 columns are the grid line text
// followed by blanks only; whatever stands after column 40 does not matter.
// False at the end of the file.
bool find_grid_line(TextSource& source, const std::string& grid_line)
{
    std::string_view record;
    while (source.next_record(record))
        if (without_trailing_blanks(record.substr(0, 40)) == grid_line) return true;
    return false;
}

std::string block_name(int block) { return "density block " + std::to_string(block); }

// Values are read in pieces of this many where they go through a buffer.
constexpr std::size_t piece_size = 1 << 16;

// The sums of a charge whose spin is 0 everywhere, point by point as any other.
void add_without_spin(DensitySums& sums, std::span<const double> CHG)
{
    const std::vector<double> zeros(std::min(piece_size, CHG.size()));
    for (std::size_t first = 0; first < CHG.size(); first += piece_size) {
        const std::size_t count = std::min(piece_size, CHG.size() - first);
        sums.add(CHG.subspan(first, count), {zeros.data(), count});
    }
}

// One reading of the blocks of a file, front to back.
class BlockReading {
public:
    BlockReading(TextSource& source, const GridExtents& NGRID, Keep keep, bool with_sums)
        : source_(source), grid_line_(grid_line_text(NGRID)), NGRID_(NGRID), size_(point_count(NGRID)), keep_(keep),
          with_sums_(with_sums)
    {
    }

    // The calculation type the blocks were read as, once it was chosen.
    const std::optional<CalcType>& type() const { return type_; }

    // Reads the blocks as `known`, taken from a count of the whole file.
    // Without it, the source counts the grid lines as they pass, and the type
    // is chosen at block 2 by a guess that the count at the end must bear out.
    FileDensities read(std::optional<CalcType> known)
    {
        // The records of five VASP values that FreeFormRead takes straight
        // from the source pass the count unlooked at: none can hold a grid
        // line text, since every blank in them stands before '0' or '-' and no
        // run of digits is longer than 11, whereas a grid line text holds a
        // blank before a nonzero digit, or 15 digits or asterisks in a row.
        if (!known) source_.watch(grid_line_, text_length);
        find_block(1);
        const std::size_t before = source_.bytes_left();
        if (keep_ != Keep::Spin || with_sums_)
            read_block(1, densities_.CHG.emplace(NGRID_));
        else
            skip_block(1);
        const std::size_t block_bytes = before - source_.bytes_left();

        if (known) {
            type_ = known;
            if (blocks_read(*known) > 1) find_block(2);
        } else if (find_grid_line(source_, grid_line_)) {
            type_ = guess_after_block_2(block_bytes);
        } else {
            type_ = calc_type(source_.watched_to_end());
            if (blocks_read(*type_) > 1) find_block(2);  // fails: there is none
        }
        switch (blocks_read(*type_)) {
        case 1: take_no_spin(); break;
        case 2: take_spin_block(); break;
        default: take_magnetisation(); break;
        }
        return std::move(densities_);
    }

private:
    void find_block(int block)
    {
        if (!find_grid_line(source_, grid_line_))
            fail_at(source_.path(), 0,
                    "unexpected end of file, expected the grid line \"" + grid_line_ + "\" of " + block_name(block));
    }

    void read_block(int block, DensityGrid& grid) { FreeFormRead(source_).reals(grid.values(), block_name(block)); }

    // Reads block `block`, whose grid line was just found, piece by piece
    // through a small buffer, handing each piece to use(first, piece), where
    // `first` is the index of its first value in the block.
    template <typename Use>
    void read_in_pieces(int block, Use use)
    {
        FreeFormRead values(source_);
        const std::string name = block_name(block);
        std::vector<double> buffer(std::min(piece_size, size_));
        for (std::size_t first = 0; first < size_; first += piece_size) {
            const std::span<double> piece(buffer.data(), std::min(piece_size, size_ - first));
            std::fill(piece.begin(), piece.end(), 0.0);  // values a slash leaves unread count as 0
            values.reals(piece, name, size_);
            use(first, piece);
        }
    }

    // A block whose values no grid keeps: read and checked as any other.
    void skip_block(int block)
    {
        read_in_pieces(block, [](std::size_t, std::span<const double>) {});
    }

    // Whether blocks 3 and 4 follow block 2, whose grid line was just found.
    // Block 2 takes as many bytes as block 1 in any file written as VASP
    // writes it, so a grid line text beyond that many bytes from here stands
    // before block 3. Should the count prove the guess wrong, the blocks are
    // read again (see idata).
    CalcType guess_after_block_2(std::size_t block_bytes) const
    {
        const std::string_view ahead = source_.text_ahead(std::numeric_limits<std::size_t>::max());
        if (block_bytes >= ahead.size()) return CalcType::SpinPolarized;
        const void* grid_line =
            ::memmem(ahead.data() + block_bytes, ahead.size() - block_bytes, grid_line_.data(), grid_line_.size());
        return grid_line != nullptr ? CalcType::NonCollinear : CalcType::SpinPolarized;
    }

    // One block: the spin is 0 everywhere.
    void take_no_spin()
    {
        if (with_sums_) add_without_spin(densities_.sums, densities_.CHG->values());
        if (keep_ == Keep::Charge) return;
        densities_.SPN.emplace(NGRID_);
        if (keep_ == Keep::Spin) densities_.CHG.reset();
    }

    // Two blocks: block 2 is the spin. Kept as read, or, where only the sums
    // need it, summed piece by piece against the charge; a spin kept alone
    // then takes the charge's place, so that no grid of its own is needed.
    void take_spin_block()
    {
        if (keep_ == Keep::Charge && !with_sums_) return skip_block(2);
        if (keep_ == Keep::Both || !with_sums_) {
            read_block(2, densities_.SPN.emplace(NGRID_));
            if (with_sums_) densities_.sums.add(densities_.CHG->values(), densities_.SPN->values());
            return;
        }
        DensityGrid& charge = *densities_.CHG;
        read_in_pieces(2, [&](std::size_t first, std::span<const double> spin) {
            densities_.sums.add(charge.values().subspan(first, spin.size()), spin);
            if (keep_ == Keep::Spin) std::copy(spin.begin(), spin.end(), charge.data() + first);
        });
        if (keep_ == Keep::Spin) {
            densities_.SPN = std::move(densities_.CHG);
            densities_.CHG.reset();
        }
    }

    // Four blocks: the spin is the length of the magnetisation vector, blocks
    // 2 to 4. Block 2 is read into the spin grid and blocks 3 and 4 folded
    // into it piece by piece: it ends up with sqrt((m1 m1 + m2 m2) + m3 m3)
    // at each point, evaluated in that order, without grids for the components.
    void take_magnetisation()
    {
        if (keep_ == Keep::Charge && !with_sums_) {
            skip_block(2);
            for (const int block : {3, 4}) {
                find_block(block);
                skip_block(block);
            }
            return;
        }
        DensityGrid spin(NGRID_);
        read_block(2, spin);
        find_block(3);
        read_in_pieces(3, [&](std::size_t first, std::span<const double> m2) {
            double* m = spin.data() + first;
            for (std::size_t p = 0; p < m2.size(); ++p) m[p] = m[p] * m[p] + m2[p] * m2[p];
        });
        find_block(4);
        read_in_pieces(4, [&](std::size_t first, std::span<const double> m3) {
            double* m = spin.data() + first;
            for (std::size_t p = 0; p < m3.size(); ++p) m[p] = std::sqrt(m[p] + m3[p] * m3[p]);
        });
        if (with_sums_) densities_.sums.add(densities_.CHG->values(), spin.values());
        if (keep_ != Keep::Charge) densities_.SPN.emplace(std::move(spin));
        if (keep_ == Keep::Spin) densities_.CHG.reset();
    }

    TextSource& source_;
    const std::string grid_line_;
    const GridExtents NGRID_;
    const std::size_t size_;
    const Keep keep_;
    const bool with_sums_;
    std::optional<CalcType> type_;
    FileDensities densities_;
};

int block_count(long count) { return static_cast<int>(std::min<long>(count, std::numeric_limits<int>::max())); }

// The sure way: the whole file counted first, and the blocks read after as
// the count says.
FileDensities read_counted_first(TextSource& source, StructureHeader& header, Keep keep, bool with_sums)
{
    source.rewind();
    source.watch(grid_line_text(header.NGRID), text_length);
    header.NBLOCKS = block_count(source.watched_to_end());
    source.rewind();
    return BlockReading(source, header.NGRID, keep, with_sums).read(calc_type(header.NBLOCKS));
}

}  // namespace

FileDensities idata(TextSource& source, StructureHeader& header, Keep keep, bool with_sums)
{
    source.rewind();
    BlockReading reading(source, header.NGRID, keep, with_sums);
    std::optional<FileDensities> densities;
    std::exception_ptr failure;
    try {
        densities = reading.read(std::nullopt);
    } catch (...) {
        failure = std::current_exception();
    }
    // The rest of the file is counted before a failure of the blocks is
    // reported, as the count comes first: a line too long fails here again.
    const long count = source.watched_to_end();
    if (reading.type() && blocks_read(*reading.type()) != blocks_read(calc_type(count))) {
        densities.reset();
        return read_counted_first(source, header, keep, with_sums);
    }
    header.NBLOCKS = block_count(count);
    if (failure) std::rethrow_exception(failure);
    return std::move(*densities);
}

}  // namespace voxmill
