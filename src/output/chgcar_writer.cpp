#include "output/chgcar_writer.hpp"

#include "output/blank_padding.hpp"
#include "output/console.hpp"
#include "output/fixed_fields.hpp"
#include "output/format_list.hpp"
#include "output/free_form_writer.hpp"
#include "output/grid_values.hpp"
#include "output/output_file.hpp"

namespace voxmill {

namespace {

std::string structure_records(const StructureHeader& header)
{
    std::string records = format_record("(A40)", {header.SNAME});
    records += format_record("(1X,F12.8)", {header.SCALE});
    const FormatList vector_record("(1X,3F12.6)");
    for (const Vector3& a : header.A) {
        const FormatItem items[] = {a[0], a[1], a[2]};
        records += vector_record.write(items);
    }
    for (const std::string& name : header.SPECS) fields::text(records, without_blanks(name), 5);
    records += '\n';
    for (const int count : header.NSATOMS) fields::integer(records, count, 6);
    records += "\nDirect\n";
    const FormatList position_record("(3F10.6)");
    for (const Vector3& f : header.COORD) {
        const FormatItem items[] = {f[0], f[1], f[2]};
        records += position_record.write(items);
    }
    records += free_form_line();
    records += format_record("(3I5)", {header.NGRID[0], header.NGRID[1], header.NGRID[2]});
    return records;
}

}  // namespace

void ivaspview(std::string_view base_name, const StructureHeader& header, const DensityGrid& grid)
{
    console::line("Writing to VASPVIEW file, please wait...");
    OutputFile file(std::string(base_name) + ".vasp");
    file.write(structure_records(header));
    write_grid_values(file, grid);
    file.commit();
}

}  // namespace voxmill
