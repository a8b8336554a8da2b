#include "input/header_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>

#include "output/blank_padding.hpp"
#include "output/console.hpp"
#include "output/failure.hpp"
#include "output/free_form_reader.hpp"
#include "output/text_source.hpp"

namespace voxmill {

namespace {

// Separators between the labels of a species line; the underscore and the
// slash are not among them, so Fe_pv stays one label.
constexpr std::string_view species_separators = " ,.!?:;-=+*~#%&()<>";

// Only the first 40 columns of the title and species lines are read.
constexpr std::size_t label_columns = 40;

void require_existence(const std::string& name)
{
    // Only a name that surely names nothing is refused here; any other trouble
    // (a loop of symbolic links, a search permission) is left to the opening,
    // which reports the system's reason.
    std::error_code error;
    if (std::filesystem::status(name, error).type() == std::filesystem::file_type::not_found)
        throw Refusal(name + " does not exist!");
}

std::string next_text_line(TextSource& source, std::string_view what)
{
    std::string_view record;
    if (!source.next_record(record)) {
        if (source.line() == 0) throw Failure(source.path() + ": the file is empty");
        fail_at(source.path(), source.line(), "unexpected end of file, expected " + std::string(what));
    }
    return read_text_field(record, label_columns, text_length);
}

// The new layout names its species on line 6; the old one has its atom counts
// there, and counts are digits.
bool has_species_line(TextSource& source)
{
    for (int line = 1; line <= 5; ++line) next_text_line(source, "the lines of the cell");
    const std::string line6 = next_text_line(source, "the species names or atom counts on line 6");
    return line6.find_first_of("0123456789") == std::string::npos;
}

void read_cell(TextSource& source, StructureHeader& header)
{
    header.SNAME = next_text_line(source, "the title line");
    FreeFormRead(source).real(header.SCALE, "the scaling factor");
    for (int i = 0; i < 3; ++i) {
        const std::string what = "lattice vector " + std::to_string(i + 1);
        FreeFormRead vector(source);
        for (double& component : header.A[i]) vector.real(component, what);
    }
}

void refuse_species_count(const std::string& name, long count)
{
    if (count > max_species)
        throw Refusal(name + " has " + std::to_string(count) + " species; at most " + std::to_string(max_species)
                      + " are supported");
}

// Species labels from the TITEL groups of POTCAR: groups of four free-form
// text items, of which a group beginning with TITEL gives its fourth as a label.
std::vector<std::string> specpot(const std::string& name)
{
    const std::string potcar_name = "POTCAR";
    require_existence(potcar_name);
    console::line("POTCAR existence: OK");

    TextSource potcar(potcar_name);
    std::vector<std::string> labels;
    long titel_groups = 0;
    for (;;) {
        std::string keyword, ignored, label;
        FreeFormRead group(potcar);
        if (!group.try_text(keyword, text_length) || !group.try_text(ignored, text_length)
            || !group.try_text(ignored, text_length) || !group.try_text(label, text_length))
            break;
        if (without_trailing_blanks(keyword) != "TITEL") continue;
        if (++titel_groups <= max_species) labels.emplace_back(without_trailing_blanks(label));
    }
    refuse_species_count(name, titel_groups);
    return labels;
}

void read_atom_counts(TextSource& source, const std::string& name, StructureHeader& header)
{
    header.NSATOMS.assign(header.SPECS.size(), 0);
    // A read of no counts still uses up the counts line.
    if (header.NSATOMS.empty()) next_text_line(source, "the atom counts");
    FreeFormRead counts(source);
    long long total = 0;
    for (std::size_t m = 0; m < header.NSATOMS.size(); ++m) {
        const std::string what = "the number of atoms of species " + std::to_string(m + 1);
        counts.integer(header.NSATOMS[m], what);
        if (header.NSATOMS[m] < 0)
            fail_at(source.path(), source.line(), "expected " + what + ", found " + std::to_string(header.NSATOMS[m]));
        total += header.NSATOMS[m];
    }
    if (total > max_atoms)
        throw Refusal(name + " has " + std::to_string(total) + " atoms; at most " + std::to_string(max_atoms)
                      + " are supported");
    header.NATOMS = static_cast<int>(total);
}

void read_positions(TextSource& source, StructureHeader& header)
{
    std::string coordinate_mode;
    if (!FreeFormRead(source).try_text(coordinate_mode, text_length))
        fail_at(source.path(), source.line(), "unexpected end of file, expected the coordinate mode");
    header.COORD.assign(static_cast<std::size_t>(header.NATOMS), Vector3{});
    for (std::size_t k = 0; k < header.COORD.size(); ++k) {
        const std::string what = "the position of atom " + std::to_string(k + 1);
        FreeFormRead position(source);
        for (double& coordinate : header.COORD[k]) position.real(coordinate, what);
    }
}

void read_grid_dimensions(TextSource& source, StructureHeader& header)
{
    next_text_line(source, "the line before the grid dimensions");
    FreeFormRead grid(source);
    for (int& extent : header.NGRID) grid.integer(extent, "the grid dimensions");
    for (const int extent : header.NGRID)
        if (extent < 1)
            fail_at(source.path(), source.line(),
                    "expected grid dimensions of at least 1, found " + std::to_string(header.NGRID[0]) + " "
                        + std::to_string(header.NGRID[1]) + " " + std::to_string(header.NGRID[2]));
}

// Why the file cannot hold the header's grid in `blocks` blocks; empty when it
// can. Every value takes at least two bytes, a digit and a separator, and the
// file holds a block for each grid line counted, at least one and at most the
// four that are read. A free-form repeat ("8000*0.0") could stand for many
// values in a few bytes, but VASP never writes one; such a file is refused as
// well, so that a few bytes can never claim gigabytes of memory.
std::string grid_beyond_file(const std::string& FNAME, const StructureHeader& header, int blocks)
{
    const auto [NGX, NGY, NGZ] = header.NGRID;
    const std::string grid = "grid " + std::to_string(NGX) + " x " + std::to_string(NGY) + " x " + std::to_string(NGZ);
    std::uint64_t points = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(NGX), static_cast<std::uint64_t>(NGY), &points)
        || __builtin_mul_overflow(points, static_cast<std::uint64_t>(NGZ), &points))
        return grid + " has more points than a 64-bit count can hold";

    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(FNAME, error);
    if (error) return {};  // the file was just opened as a regular file; its size is no less than its blocks
    const auto kept_blocks = static_cast<std::uint64_t>(std::clamp(blocks, 1, 4));
    if (points <= bytes / 2 / kept_blocks) return {};
    std::string values = std::to_string(points) + " values";
    if (kept_blocks > 1) values += " in each of " + std::to_string(kept_blocks) + " blocks";
    return grid + " needs " + values + ", more than the file's " + std::to_string(bytes) + " bytes can hold";
}

void print_calc_type(CalcType type)
{
    switch (type) {
    case CalcType::NonSpinPolarized: console::line("...Calculation type: non-spin polarized"); break;
    case CalcType::SpinPolarized: console::line("...Calculation type: spin polarized"); break;
    case CalcType::NonCollinear: console::line("...Calculation type: non-collinear"); break;
    case CalcType::Unrecognised: break;
    }
}

}  // namespace

std::vector<std::string> specchg(std::string_view species_line)
{
    species_line = species_line.substr(0, label_columns);
    std::vector<std::string> labels;
    std::size_t start = 0;
    while ((start = species_line.find_first_not_of(species_separators, start)) != std::string_view::npos) {
        const std::size_t end = std::min(species_line.find_first_of(species_separators, start), species_line.size());
        labels.emplace_back(species_line.substr(start, end - start));
        start = end;
    }
    return labels;
}

void iheader(const std::string& FNAME, StructureHeader& header)
{
    require_existence(FNAME);
    TextSource source(FNAME);
    console::line("Reading " + FNAME + ", please wait...");

    header.VERSION = has_species_line(source) ? 1 : 0;
    source.rewind();
    read_cell(source, header);
    if (header.VERSION == 1) {
        console::line("..." + FNAME + " version: NEW");
        header.SPECS = specchg(next_text_line(source, "the species names on line 6"));
    } else {
        console::line("..." + FNAME + " version: OLD");
        header.SPECS = specpot(FNAME);
    }
    header.NSPEC = static_cast<int>(header.SPECS.size());
    read_atom_counts(source, FNAME, header);
    read_positions(source, header);
    read_grid_dimensions(source, header);
    header.grid_line_number = source.line();
}

bool grid_fits_file(const std::string& FNAME, const StructureHeader& header, int blocks)
{
    return grid_beyond_file(FNAME, header, blocks).empty();
}

void take_block_count(const std::string& FNAME, StructureHeader& header, long count)
{
    header.NBLOCKS = static_cast<int>(std::min<long>(count, std::numeric_limits<int>::max()));
    if (const std::string refusal = grid_beyond_file(FNAME, header, header.NBLOCKS); !refusal.empty())
        fail_at(FNAME, header.grid_line_number, refusal);
    print_calc_type(calc_type(header.NBLOCKS));
}

}  // namespace voxmill
