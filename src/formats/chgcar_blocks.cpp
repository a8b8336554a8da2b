#include "formats/chgcar_blocks.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/chgcar_header.hpp"
#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

std::string block_name(int block) { return "density block " + std::to_string(block); }

// Values are read in pieces of this many where they go through a buffer.
constexpr std::size_t piece_size = 1 << 16;

// What follows the values of a block, once the lines between (augmentation
// occupancies and the like) are passed.
enum class After { grid_line, snapshot, end_of_file };

// The blocks of one snapshot, read front to back from just after the grid
// line of block 1. Block 1 is the charge. What block 2 is depends on whether
// a third grid line follows it: the spin if not, the first component of the
// magnetisation vector if so, whose length over blocks 2 to 4 is the spin.
// Blocks beyond the fourth are counted, not read.
class BlockReading {
public:
    BlockReading(TextSource& source, const StructureHeader& header, Keep keep, bool with_sums)
        : source_(source), header_(header), title_(without_trailing_blanks(header.SNAME)),
          size_(point_count(header.NGRID)), keep_(keep), with_sums_(with_sums)
    {
    }

    // Reads the blocks. Whether block 2 is the spin is guessed, unless
    // `magnetisation` says that it may not be; false when the guess proved
    // wrong: the blocks must then be read again.
    bool read(bool magnetisation)
    {
        const std::size_t start = source_.mark().offset;
        if (keep_ != Keep::Spin || with_sums_)
            read_block(1, densities_.CHG.emplace(header_.NGRID));
        else
            skip_block(1);
        const std::size_t block_bytes = source_.mark().offset - start;
        if (next_block() != After::grid_line) {
            take_no_spin();
            return true;
        }
        if (!magnetisation && !magnetisation_follows(block_bytes)) {
            take_spin_block();
            return next_block() != After::grid_line;
        }
        std::optional<DensityGrid> block_2 = keep_first_component();
        if (next_block() != After::grid_line) {
            take_as_spin(std::move(block_2));
            return true;
        }
        take_magnetisation(std::move(block_2));
        while (next_block() == After::grid_line) {
        }
        return true;
    }

    FileDensities& densities() { return densities_; }
    long blocks() const { return blocks_; }
    bool snapshot_follows() const { return after_ == After::snapshot; }

private:
    // Whether `line` is the title line of a further snapshot.
    bool starts_snapshot(std::string_view line) const
    {
        return !title_.empty() && without_trailing_blanks(line.substr(0, 40)) == title_;
    }

    // Passes the lines after a block up to the next grid line, counting it,
    // or up to the title line of a further snapshot, which stays unread.
    After next_block()
    {
        std::string_view record;
        while (source_.next_record(record)) {
            if (is_grid_line(record, header_.NGRID)) {
                ++blocks_;
                return after_ = After::grid_line;
            }
            if (starts_snapshot(record)) {
                source_.step_back();
                return after_ = After::snapshot;
            }
        }
        return after_ = After::end_of_file;
    }

    void expect_block(int block)
    {
        if (next_block() != After::grid_line)
            fail_at(source_.path(), 0,
                    "unexpected end of file, expected the grid line \"" + grid_line_text(header_.NGRID) + "\" of "
                        + block_name(block));
    }

    void read_block(int block, DensityGrid& grid) { FreeFormRead(source_).reals(grid.values(), block_name(block)); }

    // Block 2 into a grid of its own, which block 1, read whole, has proved the file to fill.
    void read_block_2(DensityGrid& grid)
    {
        const FaultedAhead pages(grid);
        read_block(2, grid);
    }

    // Reads block `block`, whose grid line was just passed, piece by piece
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

    // Whether a third grid line follows block 2, whose grid line was just
    // passed, guessed from the text ahead. Block 2 takes as many bytes as
    // block 1 in any file written as VASP writes it, so the first grid line
    // beyond that many bytes stands before block 3, unless the title of a
    // further snapshot or the end of the file comes first.
    bool magnetisation_follows(std::size_t block_bytes)
    {
        const TextSource::Mark here = source_.mark();
        source_.return_to({here.offset + block_bytes, here.line});
        bool follows = false;
        try {
            std::string_view record;
            source_.next_record(record);  // a line begun before
            while (!follows && source_.next_record(record) && !starts_snapshot(record))
                follows = is_grid_line(record, header_.NGRID);
        } catch (const Failure&) {
            // A line too long for a record: the reading itself meets it, and tells where.
        }
        source_.return_to(here);
        return follows;
    }

    // One block: the spin is 0 everywhere.
    void take_no_spin()
    {
        if (with_sums_) densities_.sums.add_without_spin(densities_.CHG->values());
        if (keep_ == Keep::Charge) return;
        densities_.SPN.emplace(header_.NGRID);
        if (keep_ == Keep::Spin) densities_.CHG.reset();
    }

    // Two blocks: block 2 is the spin. Kept as read, or, where only the sums
    // need it, summed piece by piece against the charge; a spin kept alone
    // then takes the charge's place, so that no grid of its own is needed.
    void take_spin_block()
    {
        if (keep_ == Keep::Charge && !with_sums_) return skip_block(2);
        if (keep_ == Keep::Both || !with_sums_) {
            read_block_2(densities_.SPN.emplace(header_.NGRID));
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

    // Block 2 as read, where anything needs the spin: the spin itself, or the
    // first component of the magnetisation.
    std::optional<DensityGrid> keep_first_component()
    {
        if (keep_ == Keep::Charge && !with_sums_) {
            skip_block(2);
            return std::nullopt;
        }
        std::optional<DensityGrid> block_2(std::in_place, header_.NGRID);
        read_block_2(*block_2);
        return block_2;
    }

    // Block 2 as the spin of a file of two blocks.
    void take_as_spin(std::optional<DensityGrid> spin)
    {
        if (!spin) return;
        if (with_sums_) densities_.sums.add(densities_.CHG->values(), spin->values());
        if (keep_ != Keep::Charge) densities_.SPN = std::move(spin);
        if (keep_ == Keep::Spin) densities_.CHG.reset();
    }

    // Blocks 3 and 4 folded into block 2, piece by piece: the spin ends up
    // with sqrt((m1 m1 + m2 m2) + m3 m3) at each point, evaluated in that
    // order, without grids for the components.
    void take_magnetisation(std::optional<DensityGrid> spin)
    {
        if (!spin) {
            skip_block(3);
            expect_block(4);
            skip_block(4);
            return;
        }
        read_in_pieces(3, [&](std::size_t first, std::span<const double> m2) {
            add_second_component(spin->values().subspan(first, m2.size()), m2);
        });
        expect_block(4);
        read_in_pieces(4, [&](std::size_t first, std::span<const double> m3) {
            add_third_component(spin->values().subspan(first, m3.size()), m3);
        });
        take_as_spin(std::move(spin));
    }

    TextSource& source_;
    const StructureHeader& header_;
    const std::string_view title_;  // starts a further snapshot; a blank title cannot
    const std::size_t size_;
    const Keep keep_;
    const bool with_sums_;
    long blocks_ = 1;  // grid lines passed, that of block 1 included
    After after_ = After::grid_line;
    FileDensities densities_;
};

// The grid lines from here to the end of the file.
long count_grid_lines(TextSource& source, const GridExtents& NGRID)
{
    long count = 0;
    std::string_view record;
    while (source.next_record(record)) count += is_grid_line(record, NGRID);
    return count;
}

int block_count(long count) { return static_cast<int>(std::min<long>(count, std::numeric_limits<int>::max())); }

}  // namespace

FileDensities idata(TextSource& source, StructureHeader& header, Keep keep, bool with_sums)
{
    // A stream cannot be read twice: its block 2 is taken as the first
    // component of the magnetisation until no third grid line follows.
    const bool guess = source.can_look_ahead();
    for (;;) {
        const TextSource::Mark block_1 = source.mark();
        std::optional<BlockReading> reading(std::in_place, source, header, keep, with_sums);
        try {
            if (!reading->read(!guess)) {
                source.return_to(block_1);
                reading.emplace(source, header, keep, with_sums).read(true);
            }
        } catch (...) {
            // The count stands before the failure: the blocks met so far and
            // the grid lines to the end of the file.
            header.NBLOCKS = block_count(reading->blocks() + count_grid_lines(source, header.NGRID));
            throw;
        }
        if (!reading->snapshot_follows()) {
            header.NBLOCKS = block_count(reading->blocks());
            return std::move(reading->densities());
        }
        // A further snapshot of the structure and its blocks: the last one is read.
        ++header.snapshots;
        read_cell(source, header);
        read_atoms(source, header);
    }
}

}  // namespace voxmill
