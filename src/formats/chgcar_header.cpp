#include "formats/chgcar_header.hpp"

#include <algorithm>
#include <limits>

#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

// Separators between the labels of a species line; the underscore and the
// slash are not among them, so Fe_pv stays one label.
constexpr std::string_view species_separators = " ,.!?:;-=+*~#%&()<>";

// Only the first 40 columns of the title and species lines are read.
constexpr std::size_t label_columns = 40;

// The first 40 columns of the next line, blank-filled to a text of 80.
std::string next_text_line(TextSource& source, std::string_view what)
{
    std::string_view record;
    if (!source.next_record(record)) {
        if (source.line() == 0) fail_at(source.path(), 0, "the file is empty");
        fail_at(source.path(), source.line(), "unexpected end of file, expected " + std::string(what));
    }
    std::string text(record.substr(0, label_columns));
    text.resize(text_length, ' ');
    return text;
}

void read_atom_counts(TextSource& source, StructureHeader& header)
{
    const std::string& name = source.path();
    if (header.SPECS.size() > max_species)
        refuse(name + " has " + std::to_string(header.SPECS.size()) + " species; at most "
               + std::to_string(max_species) + " are supported");
    header.NSPEC = static_cast<int>(header.SPECS.size());
    header.NSATOMS.assign(header.SPECS.size(), 0);
    // A read of no counts still uses up the counts line.
    if (header.NSATOMS.empty()) next_text_line(source, "the atom counts");
    FreeFormRead counts(source);
    long long total = 0;
    for (std::size_t m = 0; m < header.NSATOMS.size(); ++m) {
        const std::string what = "the number of atoms of species " + std::to_string(m + 1);
        counts.integer(header.NSATOMS[m], what);
        if (header.NSATOMS[m] < 0)
            fail_at(name, source.line(), "expected " + what + ", found " + std::to_string(header.NSATOMS[m]));
        total += header.NSATOMS[m];
    }
    if (total > max_atoms)
        refuse(name + " has " + std::to_string(total) + " atoms; at most " + std::to_string(max_atoms)
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
    const auto [NGX, NGY, NGZ] = header.NGRID;
    if (std::ranges::any_of(header.NGRID, [](int extent) { return extent < 1; }))
        fail_at(source.path(), source.line(),
                "expected grid dimensions of at least 1, found " + std::to_string(NGX) + " " + std::to_string(NGY)
                    + " " + std::to_string(NGZ));
    if (point_count(header.NGRID) == std::numeric_limits<std::size_t>::max())
        fail_at(source.path(), source.line(),
                "grid " + std::to_string(NGX) + " x " + std::to_string(NGY) + " x " + std::to_string(NGZ)
                    + " has more points than a 64-bit count can hold");
}

}  // namespace

int read_layout(TextSource& source)
{
    for (int line = 1; line <= 5; ++line) next_text_line(source, "the lines of the cell");
    const std::string line6 = next_text_line(source, "the species names or atom counts on line 6");
    source.rewind();
    return line6.find_first_of("0123456789") == std::string::npos ? 1 : 0;
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

void read_atoms(TextSource& source, StructureHeader& header)
{
    if (header.VERSION == 1) header.SPECS = specchg(next_text_line(source, "the species names on line 6"));
    read_atom_counts(source, header);
    read_positions(source, header);
    read_grid_dimensions(source, header);
    header.grid_line_number = source.line();
}

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

}  // namespace voxmill
