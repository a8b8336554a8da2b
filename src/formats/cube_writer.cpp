#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "formats/cube.hpp"
#include "formats/elements.hpp"
#include "text/blank_padding.hpp"
#include "text/exponent_field.hpp"
#include "text/fixed_fields.hpp"

namespace voxmill {

namespace {

// An (I5,3F12.6) record, or (I5,4F12.6) with a charge before the vector.
void put_counted_vector(std::string& records, int count, const Vector3& v, const double* charge = nullptr)
{
    fields::integer<5>(records, count);
    if (charge != nullptr) fields::fixed<12, 6>(records, *charge);
    for (const double component : v) fields::fixed<12, 6>(records, component / angstrom_per_bohr);
    records += '\n';
}

std::string structure_records(const StructureHeader& header, const GridQuantity& quantity)
{
    std::string records(without_trailing_blanks(header.SNAME));
    records += '\n';
    records += quantity.name;
    records += quantity.density ? " in e/bohr^3\n" : " in eV, as stored\n";
    put_counted_vector(records, header.NATOMS, {0.0, 0.0, 0.0});
    for (int i = 0; i < 3; ++i) {
        const double step = header.SCALE / header.NGRID[i];
        put_counted_vector(records, header.NGRID[i],
                           {header.A[i][0] * step, header.A[i][1] * step, header.A[i][2] * step});
    }
    std::size_t k = 0;
    for (int m = 0; m < header.NSPEC; ++m) {
        const int Z = atomic_number(header.SPECS[m]);
        const double charge = Z;
        for (int n = 0; n < header.NSATOMS[m]; ++n, ++k)
            put_counted_vector(records, Z, cartesian(header.COORD[k], header), &charge);
    }
    return records;
}

// Values gathered from the grid in the cube's order are held for at most
// this many x planes at a time, and in at most about 8 MiB.
constexpr std::size_t gathered_planes = 8;
constexpr std::size_t gathered_values = std::size_t{1} << 20;

}  // namespace

void write_cube(OutputFile& file, const StructureHeader& header, const DensityGrid& grid, const GridQuantity& quantity)
{
    file.write(structure_records(header, quantity));
    const std::size_t NGX = header.NGRID[0], NGY = header.NGRID[1], NGZ = header.NGRID[2];
    const std::size_t plane = NGY * NGZ;
    const double a0 = angstrom_per_bohr;
    const double divisor = quantity.density ? std::fabs(cell_volume(header)) / ((a0 * a0) * a0) : 1.0;
    file.expect(NGX * NGY * exponent_records_size(NGZ));

    // The grid holds x fastest, the cube z: a few x planes at a time are
    // gathered into the cube's order, every value of the grid read once in
    // rows along x, eight planes along z at a time, so that the runs along z
    // they go to are written a cache line at a time; then they are written
    // run by run.
    const std::size_t planes =
        std::clamp<std::size_t>(gathered_values / std::max<std::size_t>(plane, 1), 1, gathered_planes);
    std::vector<double> gathered(planes * plane);
    for (std::size_t x0 = 0; x0 < NGX; x0 += planes) {
        const std::size_t count = std::min(planes, NGX - x0);
        for (std::size_t z0 = 0; z0 < NGZ; z0 += 8)
            for (std::size_t y = 0; y < NGY; ++y)
                for (std::size_t z = z0; z < std::min(z0 + 8, NGZ); ++z) {
                    const double* row = grid.data() + x0 + NGX * (y + NGY * z);
                    for (std::size_t x = 0; x < count; ++x) gathered[x * plane + y * NGZ + z] = row[x] / divisor;
                }
        for (std::size_t run = 0; run < count * NGY; ++run) {
            char* out = file.reserve(exponent_records_size(NGZ));
            file.advance(put_exponent_records(out, gathered.data() + run * NGZ, NGZ));
        }
    }
}

}  // namespace voxmill
