#include "formats/chgcar_header.hpp"

#include <algorithm>
#include <cctype>
#include <limits>

#include "system/failure.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

// Only the first 40 columns of the title are read.
constexpr std::size_t title_columns = 40;

// Separators between the entries of the species, counts and grid lines.
constexpr std::string_view entry_separators = " \t,";

// The entries of a line, and how many of them, from the first, are integers.
struct Entries {
    std::size_t count = 0;
    std::size_t leading_integers = 0;
};

Entries entries_of(std::string_view record)
{
    Entries entries;
    for (std::size_t at = 0; (at = record.find_first_not_of(entry_separators, at)) != std::string_view::npos;) {
        const std::size_t end = std::min(record.find_first_of(entry_separators, at), record.size());
        std::string_view entry = record.substr(at, end - at);
        if (entry[0] == '+' || entry[0] == '-') entry.remove_prefix(1);
        const bool integer = !entry.empty() && std::ranges::all_of(entry, [](char c) { return c >= '0' && c <= '9'; });
        if (integer && entries.leading_integers == entries.count) ++entries.leading_integers;
        ++entries.count;
        at = end;
    }
    return entries;
}

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
        if (total > std::numeric_limits<int>::max())
            fail_at(name, source.line(), "the atom counts add up to more than a 32-bit count can hold");
    }
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

void read_positions(TextSource& source, StructureHeader& header)
{
    // A line "Selective dynamics" may stand before the coordinate mode; the
    // flags it adds after each position are not read.
    char mode = next_mode_letter(source, "the coordinate mode");
    if (mode == 's') mode = next_mode_letter(source, "the coordinate mode after selective dynamics");
    const bool cartesian = mode == 'c' || mode == 'k';
    // The positions take memory as they are read, not as the counts claim.
    header.COORD.clear();
    for (int k = 0; k < header.NATOMS; ++k) {
        const std::string what = "the position of atom " + std::to_string(k + 1);
        FreeFormRead position(source);
        Vector3& r = header.COORD.emplace_back();
        for (double& coordinate : r) position.real(coordinate, what);
        // Cartesian positions are in units of the scale factor, as the lattice vectors are.
        if (cartesian) r = fractional(r, header.A);
    }
}

void read_grid_dimensions(TextSource& source, StructureHeader& header)
{
    // A line stands between the positions and the grid line, empty as VASP
    // writes it, but not in every writer's files: a line of three integers
    // there is the grid line; any other is that line, whatever it holds.
    const auto is_grid = [](std::string_view record) {
        const Entries entries = entries_of(record);
        return entries.count == 3 && entries.leading_integers == 3;
    };
    std::string_view record;
    if (!source.next_record(record) || (!is_grid(record) && !source.next_record(record)))
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
    std::string_view counts;
    if (!source.next_record(counts)) return 0;  // left to the read of the counts to report
    source.step_back();
    return entries_of(counts).leading_integers;
}

void read_cell(TextSource& source, StructureHeader& header)
{
    header.SNAME = next_line(source, "the title line").substr(0, title_columns);
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
    if (header.VERSION == 1) {
        std::vector<std::string> names = specchg(next_line(source, "the species names on line 6"));
        const long names_line = source.line();
        // A counts line without integers is read for as many counts as there are names, and reported.
        std::size_t species = count_species(source);
        if (species == 0) species = names.size();
        if (names.size() < species)
            fail_at(source.path(), names_line,
                    "expected " + std::to_string(species) + " species names, one for each atom count on line "
                        + std::to_string(names_line + 1) + ", found " + std::to_string(names.size()));
        names.resize(species);
        header.SPECS = std::move(names);
    }
    read_atom_counts(source, header);
    read_positions(source, header);
    read_grid_dimensions(source, header);
}

std::vector<std::string> specchg(std::string_view species_line)
{
    std::vector<std::string> labels;
    for (std::size_t start = 0;
         (start = species_line.find_first_not_of(entry_separators, start)) != std::string_view::npos;) {
        const std::size_t end = std::min(species_line.find_first_of(entry_separators, start), species_line.size());
        std::string_view name = species_line.substr(start, end - start);
        // VASP 6.4.2 and later write the POTCAR's name and hash ("Mg_pv/f474ac0d")
        // where earlier versions wrote the element symbol, the letters it begins with.
        if (const std::size_t slash = name.find('/'); slash != std::string_view::npos) {
            name = name.substr(0, slash);
            const auto is_letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
            const std::size_t letters =
                static_cast<std::size_t>(std::ranges::find_if_not(name, is_letter) - name.begin());
            if (letters > 0) name = name.substr(0, letters);
        }
        labels.emplace_back(name);
        start = end;
    }
    return labels;
}

}  // namespace voxmill
