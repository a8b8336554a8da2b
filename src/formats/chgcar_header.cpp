#include "formats/chgcar_header.hpp"

#include <algorithm>
#include <cctype>
#include <limits>

#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

// Separators between the labels of a species line; the underscore is not
// among them, so Fe_pv stays one label, nor the slash, which only ends a name
// on a line of names with POTCAR hashes.
constexpr std::string_view species_separators = " ,.!?:;-=+*~#%&()<>";

// Only the first 40 columns of the title and species lines are read.
constexpr std::size_t label_columns = 40;

// The next line, valid until the source moves on.
std::string_view next_line(TextSource& source, std::string_view what)
{
    std::string_view record;
    if (!source.next_record(record)) {
        if (source.line() == 0) fail_at(source.path(), 0, "the file is empty");
        fail_at(source.path(), source.line(), "unexpected end of file, expected " + std::string(what));
    }
    return record;
}

void read_atom_counts(TextSource& source, StructureHeader& header)
{
    const std::string& name = source.path();
    if (header.SPECS.size() > max_species)
        refuse(name + " has " + std::to_string(header.SPECS.size()) + " species; at most " + std::to_string(max_species)
               + " are supported");
    header.NSPEC = static_cast<int>(header.SPECS.size());
    header.NSATOMS.assign(header.SPECS.size(), 0);
    // A read of no counts still uses up the counts line.
    if (header.NSATOMS.empty()) next_line(source, "the atom counts");
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

// The first item of the next statement, which names a mode by its first letter.
char next_mode_letter(TextSource& source, std::string_view what)
{
    std::string mode;
    if (!FreeFormRead(source).try_text(mode, text_length))
        fail_at(source.path(), source.line(), "unexpected end of file, expected " + std::string(what));
    return static_cast<char>(std::tolower(static_cast<unsigned char>(mode[0])));
}

// Fractional coordinates of a Cartesian position r, in units of the scale
// factor as the lattice vectors are: the f with r = f1 a1 + f2 a2 + f3 a3.
Vector3 fractional(const Vector3& r, const std::array<Vector3, 3>& A)
{
    const auto cross = [](const Vector3& u, const Vector3& v) {
        return Vector3{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    };
    const auto dot = [](const Vector3& u, const Vector3& v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; };
    const double D = triple_product(A);
    return {dot(r, cross(A[1], A[2])) / D, dot(r, cross(A[2], A[0])) / D, dot(r, cross(A[0], A[1])) / D};
}

void read_positions(TextSource& source, StructureHeader& header)
{
    // A line "Selective dynamics" may stand before the coordinate mode; the
    // flags it adds after each position are not read.
    char mode = next_mode_letter(source, "the coordinate mode");
    if (mode == 's') mode = next_mode_letter(source, "the coordinate mode after selective dynamics");
    const bool cartesian = mode == 'c' || mode == 'k';
    header.COORD.assign(static_cast<std::size_t>(header.NATOMS), Vector3{});
    for (std::size_t k = 0; k < header.COORD.size(); ++k) {
        const std::string what = "the position of atom " + std::to_string(k + 1);
        FreeFormRead position(source);
        for (double& coordinate : header.COORD[k]) position.real(coordinate, what);
        if (cartesian) header.COORD[k] = fractional(header.COORD[k], header.A);
    }
}

bool is_blank_line(std::string_view record) { return record.find_first_not_of(" \t") == std::string_view::npos; }

void read_grid_dimensions(TextSource& source, StructureHeader& header)
{
    // An empty line stands between the positions and the grid line, but not
    // in every writer's files.
    std::string_view record;
    if (!source.next_record(record) || (is_blank_line(record) && !source.next_record(record)))
        fail_at(source.path(), source.line(),
                "no density block: expected a line of three grid dimensions after the atom positions");
    source.step_back();
    FreeFormRead grid(source);
    for (int& extent : header.NGRID) grid.integer(extent, "the grid dimensions");
    const auto [NGX, NGY, NGZ] = header.NGRID;
    if (std::ranges::any_of(header.NGRID, [](int extent) { return extent < 1; }))
        fail_at(source.path(), source.line(),
                "expected grid dimensions of at least 1, found " + std::to_string(NGX) + " " + std::to_string(NGY) + " "
                    + std::to_string(NGZ));
    if (point_count(header.NGRID) == std::numeric_limits<std::size_t>::max())
        fail_at(source.path(), source.line(),
                "grid " + std::to_string(NGX) + " x " + std::to_string(NGY) + " x " + std::to_string(NGZ)
                    + " has more points than a 64-bit count can hold");
}

}  // namespace

int read_layout(TextSource& source)
{
    const std::string_view line6 = next_line(source, "the species names or atom counts on line 6");
    source.step_back();
    const std::size_t first = line6.find_first_not_of(" \t");
    return first != std::string_view::npos && std::isalpha(static_cast<unsigned char>(line6[first])) ? 1 : 0;
}

std::size_t count_species(TextSource& source)
{
    const std::string_view counts = next_line(source, "the atom counts on line 6");
    source.step_back();
    std::size_t entries = 0;
    for (std::size_t at = 0; (at = counts.find_first_not_of(" \t,", at)) != std::string_view::npos; ++entries)
        at = counts.find_first_of(" \t,", at);
    return entries;
}

void read_cell(TextSource& source, StructureHeader& header)
{
    header.SNAME = next_line(source, "the title line").substr(0, label_columns);
    header.SNAME.resize(text_length, ' ');
    FreeFormRead(source).real(header.SCALE, "the scaling factor");
    for (int i = 0; i < 3; ++i) {
        const std::string what = "lattice vector " + std::to_string(i + 1);
        FreeFormRead vector(source);
        for (double& component : header.A[i]) vector.real(component, what);
    }
}

void read_atoms(TextSource& source, StructureHeader& header)
{
    if (header.VERSION == 1) header.SPECS = specchg(next_line(source, "the species names on line 6"));
    read_atom_counts(source, header);
    read_positions(source, header);
    read_grid_dimensions(source, header);
}

std::vector<std::string> specchg(std::string_view species_line)
{
    // Newer VASP writes each name with the hash of its POTCAR after a slash
    // ("Mg_pv/f474ac0d"), often past column 40: such a line is read whole,
    // and a label is what stands before the slash.
    const bool hashed = species_line.find('/') != std::string_view::npos;
    if (!hashed) species_line = species_line.substr(0, label_columns);
    std::vector<std::string> labels;
    std::size_t start = 0;
    while ((start = species_line.find_first_not_of(species_separators, start)) != std::string_view::npos) {
        const std::size_t end = std::min(species_line.find_first_of(species_separators, start), species_line.size());
        const std::string_view name = species_line.substr(start, end - start);
        labels.emplace_back(hashed ? name.substr(0, name.find('/')) : name);
        start = end;
    }
    return labels;
}

}  // namespace voxmill
