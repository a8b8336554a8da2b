#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "formats/cube.hpp"
#include "formats/elements.hpp"
#include "system/failure.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The next blank-separated field of `rest`, which moves past it; empty at its end.
std::string_view next_field(std::string_view& rest)
{
    const auto first = std::ranges::find_if_not(rest, is_blank);
    const auto last = std::find_if(first, rest.end(), is_blank);
    const std::string_view field(first, last);
    rest = std::string_view(last, rest.end());
    return field;
}

// Leaves `value` as it was unless the whole field is an integer: from_chars
// would set the 0 of "0.5".
bool parse_integer(std::string_view field, long& value)
{
    const char* const end = field.data() + field.size();
    long parsed = 0;
    const auto [after, error] = std::from_chars(field.data() + (field.starts_with('+') ? 1 : 0), end, parsed);
    if (error != std::errc{} || after != end) return false;
    value = parsed;
    return true;
}

bool parse_real(std::string_view field, double& value)
{
    const char* const end = field.data() + field.size();
    const auto [after, error] = read_real(field.data(), end, value);
    return error == std::errc{} && after == end;
}

// A line of the header: an integer, then `reals` reals (up to four), then
// whatever else the line holds.
struct CountedLine {
    long count = 0;
    std::array<double, 4> reals{};
    std::string_view rest;
};

bool parse_counted(std::string_view record, int reals, CountedLine& line)
{
    line.rest = record;
    if (!parse_integer(next_field(line.rest), line.count)) return false;
    for (int i = 0; i < reals; ++i)
        if (!parse_real(next_field(line.rest), line.reals[i])) return false;
    return true;
}

std::string_view next_line(TextSource& source, std::string_view what)
{
    std::string_view record;
    if (!source.next_record(record))
        fail_at(source.path(), source.line(), "unexpected end of file, expected " + std::string(what));
    return record;
}

CountedLine read_counted(TextSource& source, int reals, const std::string& what)
{
    const std::string_view record = next_line(source, what);
    CountedLine line;
    if (!parse_counted(record, reals, line))
        fail_at(source.path(), source.line(),
                "expected " + what + ", found \"" + std::string(record.substr(0, 80)) + "\"");
    return line;
}

// Values gathered in the file's order before they go to the grid are held
// for at most this many x planes at a time, and in at most about 8 MiB.
constexpr std::size_t gathered_planes = 8;
constexpr std::size_t gathered_values = std::size_t{1} << 20;

// Reads the values that follow the header, `per_point` at each point of the
// grid, z fastest, and puts the first of each point, times `factor`, into
// `grid`, x fastest. The file must end after them.
void read_values(TextSource& source, DensityGrid& grid, std::size_t per_point, double factor)
{
    const auto [NGX, NGY, NGZ] = grid.extents();
    const std::size_t plane = static_cast<std::size_t>(NGY) * static_cast<std::size_t>(NGZ);
    const std::size_t total = grid.size() * per_point;
    if (total / per_point != grid.size())
        fail_at(source.path(), source.line(), "the grid holds more values than a 64-bit count can hold");
    const std::size_t planes = std::clamp<std::size_t>(gathered_values / plane, 1, gathered_planes);
    // A grid of its own takes memory only as the values come, as the grid they go to.
    DensityGrid gathered({static_cast<int>(planes), NGY, NGZ});
    const char* p = nullptr;
    const char* end = nullptr;
    std::size_t read = 0;
    std::size_t skipped = 0;  // of the values of the point being read, all but its first
    // The next field of the values, or an empty one at the end of the file.
    const auto next = [&]() -> std::string_view {
        for (;;) {
            while (p != end && is_blank(*p)) ++p;
            if (p != end) break;
            std::string_view record;
            if (!source.next_record(record)) return {};
            p = record.data();
            end = p + record.size();
        }
        const char* const first = p;
        while (p != end && !is_blank(*p)) ++p;
        return {first, static_cast<std::size_t>(p - first)};
    };
    for (std::size_t x0 = 0; x0 < static_cast<std::size_t>(NGX); x0 += planes) {
        const std::size_t count = std::min(planes, NGX - x0);
        double* out = gathered.data();
        for (const std::size_t last = (x0 + count) * plane * per_point; read < last; ++read) {
            const std::string_view field = next();
            double value = 0;
            if (field.empty())
                fail_at(source.path(), source.line(),
                        "unexpected end of file, expected " + std::to_string(total) + " values, found "
                            + std::to_string(read));
            if (!read_exponent_real(field, value) && !parse_real(field, value))
                fail_at(source.path(), source.line(),
                        "expected a real number (value " + std::to_string(read + 1) + " of " + std::to_string(total)
                            + "), found \"" + std::string(field.substr(0, 80)) + "\"");
            if (skipped == 0) {
                *out++ = value;
                skipped = per_point;
            }
            --skipped;
        }
        for (std::size_t z = 0; z < static_cast<std::size_t>(NGZ); ++z)
            for (std::size_t y = 0; y < static_cast<std::size_t>(NGY); ++y) {
                double* row = grid.data() + x0 + NGX * (y + NGY * z);
                for (std::size_t x = 0; x < count; ++x) row[x] = gathered[x * plane + y * NGZ + z] * factor;
            }
    }
    if (const std::string_view field = next(); !field.empty())
        fail_at(source.path(), source.line(),
                "expected " + std::to_string(total) + " values, found more: \"" + std::string(field.substr(0, 80))
                    + "\"");
}

constexpr std::string_view axes = "xyz";

}  // namespace

bool looks_like_cube(std::string_view head)
{
    for (int line = 1; line <= 6; ++line) {
        const std::size_t end = std::min(head.find('\n'), head.size());
        CountedLine counted;
        if (line >= 3 && !parse_counted(head.substr(0, end), 3, counted)) return false;
        if (end == head.size() && line < 6) return false;
        head.remove_prefix(std::min(end + 1, head.size()));
    }
    return true;
}

CubeGrid read_cube(TextSource& source, StructureHeader& header, bool density)
{
    const std::string& name = source.path();
    header.SNAME = next_line(source, "the title line").substr(0, text_length);
    header.SNAME.resize(text_length, ' ');
    next_line(source, "the second comment line");
    const CountedLine atoms = read_counted(source, 3, "the atom count and the origin: an integer and three reals");
    long values_per_point = 1;
    if (std::string_view rest = atoms.rest; parse_integer(next_field(rest), values_per_point) && values_per_point < 1)
        fail_at(name, source.line(), "expected at least 1 value per point, found " + std::to_string(values_per_point));

    // The lattice from the voxel vectors; lengths in angstrom when the count along x is negative.
    std::array<Vector3, 3> lattice_bohr;
    std::array<long, 3> counts{};
    double to_bohr = 1.0;
    for (int i = 0; i < 3; ++i) {
        const CountedLine voxel = read_counted(
            source, 3, std::string("the voxel count and vector along ") + axes[i] + ": an integer and three reals");
        if (voxel.count == 0 || std::labs(voxel.count) > std::numeric_limits<int>::max())
            fail_at(name, source.line(),
                    std::string("expected a voxel count along ") + axes[i] + ", found " + std::to_string(voxel.count));
        if (i == 0 && voxel.count < 0) to_bohr = 1.0 / angstrom_per_bohr;
        counts[i] = std::labs(voxel.count);
        for (int c = 0; c < 3; ++c) lattice_bohr[i][c] = voxel.reals[c] * to_bohr * counts[i];
        header.NGRID[i] = static_cast<int>(counts[i]);
        // Six decimals of each component, times the voxel count.
        header.lattice_rounding = std::max(header.lattice_rounding, 0.5e-6 * counts[i] * to_bohr * angstrom_per_bohr);
    }
    if (point_count(header.NGRID) == std::numeric_limits<std::size_t>::max())
        fail_at(name, source.line(), "the grid has more points than a 64-bit count can hold");
    header.SCALE = 1.0;
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 3; ++c) header.A[i][c] = lattice_bohr[i][c] * angstrom_per_bohr;

    const long natoms = std::labs(atoms.count);
    if (natoms > std::numeric_limits<int>::max())
        fail_at(name, 3, "expected an atom count, found " + std::to_string(atoms.count));
    header.NATOMS = static_cast<int>(natoms);
    header.SPECS.clear();
    header.NSATOMS.clear();
    header.COORD.clear();
    for (long k = 1; k <= natoms; ++k) {
        const std::string what = "atom " + std::to_string(k) + ": its atomic number, charge and position";
        const CountedLine atom = read_counted(source, 4, what);
        if (atom.count < 0)
            fail_at(name, source.line(), "expected " + what + ", found atomic number " + std::to_string(atom.count));
        const std::string symbol(element_symbol(static_cast<int>(atom.count)));
        if (header.SPECS.empty() || header.SPECS.back() != symbol) {
            header.SPECS.push_back(symbol);
            header.NSATOMS.push_back(0);
        }
        ++header.NSATOMS.back();
        Vector3 r;
        for (int c = 0; c < 3; ++c) r[c] = (atom.reals[c + 1] - atoms.reals[c]) * to_bohr * angstrom_per_bohr;
        header.COORD.push_back(fractional(r, header.A));
    }
    header.NSPEC = static_cast<int>(header.SPECS.size());
    header.VERSION = 1;
    header.NBLOCKS = 1;

    CubeGrid cube{DensityGrid(header.NGRID), {}};
    if (atoms.count < 0) {
        // The orbitals' count and numbers, ten to a line.
        FreeFormRead orbitals(source);
        int count = 0;
        orbitals.integer(count, "the number of orbitals");
        if (count < 1) fail_at(name, source.line(), "expected the number of orbitals, found " + std::to_string(count));
        // Held as read, so that a count the file does not hold costs no memory.
        for (int n = 0; n < count; ++n) orbitals.integer(cube.orbitals.emplace_back(), "the orbital numbers");
        values_per_point = count;
    }
    const double volume = std::fabs(triple_product(lattice_bohr));
    read_values(source, cube.grid, static_cast<std::size_t>(values_per_point), density ? volume : 1.0);
    return cube;
}

}  // namespace voxmill
