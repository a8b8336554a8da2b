#include "formats/xsf_writer.hpp"

#include "formats/grid_values.hpp"
#include "text/fixed_fields.hpp"

namespace voxmill {

namespace {

double volume_in_cubic_bohr(const StructureHeader& header)
{
    const double t = bohr_per_angstrom * header.SCALE;
    return ((t * t) * t) * triple_product(header.A);
}

// A (3F12.6) record.
void put_vector(std::string& records, const Vector3& v)
{
    for (const double component : v) fields::fixed<12, 6>(records, component);
    records += '\n';
}

void put_lattice(std::string& records, const StructureHeader& header)
{
    const double s = header.SCALE;
    for (const Vector3& a : header.A) put_vector(records, {s * a[0], s * a[1], s * a[2]});
}

std::string structure_records(const StructureHeader& header)
{
    std::string records;
    fields::text<40>(records, "#" + header.SNAME);  // (A40)
    records += "\n \nCRYSTAL\nPRIMVEC\n";
    put_lattice(records, header);
    records += "PRIMCOORD\n";
    // (I3,1X,A1), a count of more than three digits in full: XSF readers take the number, not its columns.
    fields::integer<3, fields::Overflow::widen>(records, header.NATOMS);
    records += " 1\n";

    std::size_t k = 0;
    for (int m = 0; m < header.NSPEC; ++m) {
        // The species name and a colon in 3 columns (" O:", "Fe:", "Mn_").
        std::string label;
        fields::text<3>(label, header.SPECS[m] + ":");
        for (int n = 0; n < header.NSATOMS[m]; ++n, ++k) {  // (A3,1X,3F12.6)
            records += label + ' ';
            put_vector(records, cartesian(header.COORD[k], header));
        }
    }
    records += " \nBEGIN_BLOCK_DATAGRID_3D\n3D Density\nBEGIN_DATAGRID_3D\n";
    for (const int extent : header.NGRID) fields::integer<5>(records, extent);  // (3I5)
    records += '\n';
    put_vector(records, {0.0, 0.0, 0.0});
    put_lattice(records, header);
    return records;
}

}  // namespace

void ixcrysden(OutputFile& file, const StructureHeader& header, const DensityGrid& grid)
{
    file.write(structure_records(header));
    write_grid_values(file, grid, volume_in_cubic_bohr(header));
    file.write("END_DATAGRID_3D\nEND_BLOCK_DATAGRID_3D\n");
}

}  // namespace voxmill
