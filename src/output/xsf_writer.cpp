#include "output/xsf_writer.hpp"

#include "output/console.hpp"
#include "output/fixed_fields.hpp"
#include "output/format_list.hpp"
#include "output/free_form_writer.hpp"
#include "output/grid_values.hpp"
#include "output/output_file.hpp"

namespace voxmill {

namespace {

double volume_in_cubic_bohr(const StructureHeader& header)
{
    const double t = bohr_per_angstrom * header.SCALE;
    return ((t * t) * t) * triple_product(header.A);
}

// Fractional position f as Cartesian coordinates in angstrom.
Vector3 cartesian(const Vector3& f, const StructureHeader& header)
{
    Vector3 r;
    for (int c = 0; c < 3; ++c) r[c] = ((f[0] * header.A[0][c] + f[1] * header.A[1][c]) + f[2] * header.A[2][c]) * header.SCALE;
    return r;
}

// The atom label: the species name and a colon in 3 columns (" O:", "Fe:", "Mn_").
std::string atom_label(std::string_view species)
{
    std::string label;
    fields::text(label, std::string(species) + ":", 3);
    return label;
}

std::string lattice_records(const StructureHeader& header)
{
    const FormatList vector_record("(3F12.6)");
    std::string records;
    for (const Vector3& a : header.A) {
        const FormatItem items[] = {header.SCALE * a[0], header.SCALE * a[1], header.SCALE * a[2]};
        records += vector_record.write(items);
    }
    return records;
}

std::string structure_records(const StructureHeader& header)
{
    std::string records = format_record("(A40)", {"#" + header.SNAME});
    records += free_form_line();
    records += "CRYSTAL\nPRIMVEC\n";
    records += lattice_records(header);
    records += "PRIMCOORD\n";
    records += format_record("(I3,1X,A1)", {header.NATOMS, "1"});

    const FormatList atom_record("(A3,1X,3F12.6)");
    std::size_t k = 0;
    for (int m = 0; m < header.NSPEC; ++m) {
        const std::string label = atom_label(header.SPECS[m]);
        for (int n = 0; n < header.NSATOMS[m]; ++n, ++k) {
            const Vector3 r = cartesian(header.COORD[k], header);
            const FormatItem items[] = {label, r[0], r[1], r[2]};
            records += atom_record.write(items);
        }
    }
    records += free_form_line();
    records += "BEGIN_BLOCK_DATAGRID_3D\n3D Density\nBEGIN_DATAGRID_3D\n";
    records += format_record("(3I5)", {header.NGRID[0], header.NGRID[1], header.NGRID[2]});
    records += format_record("(3F12.6)", {0.0, 0.0, 0.0});
    records += lattice_records(header);
    return records;
}

}  // namespace

void ixcrysden(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid)
{
    const double volume = volume_in_cubic_bohr(header);
    console::line("Writing to XCrySDen file, please wait...");
    OutputFile file(std::string(base_name) + ".xsf");
    file.write(structure_records(header));
    write_grid_values(file, grid, volume);
    file.write("END_DATAGRID_3D\nEND_BLOCK_DATAGRID_3D\n");
    file.commit();
}

}  // namespace voxmill
