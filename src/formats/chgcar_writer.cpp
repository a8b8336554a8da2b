#include "formats/chgcar_writer.hpp"

#include "formats/grid_values.hpp"
#include "text/blank_padding.hpp"
#include "text/fixed_fields.hpp"

namespace voxmill {

namespace {

std::string structure_records(const StructureHeader& header)
{
    std::string records;
    fields::text<40>(records, header.SNAME);  // (A40)
    records += "\n ";                         // (1X,F12.8)
    fields::fixed<12, 8>(records, header.SCALE);
    records += '\n';
    for (const Vector3& a : header.A) {  // (1X,3F12.6)
        records += ' ';
        for (const double component : a) fields::fixed<12, 6>(records, component);
        records += '\n';
    }
    for (const std::string& name : header.SPECS) fields::text<5>(records, without_blanks(name));
    records += '\n';
    for (const int count : header.NSATOMS) fields::integer<6>(records, count);
    records += "\nDirect\n";
    for (const Vector3& f : header.COORD) {  // (3F10.6)
        for (const double coordinate : f) fields::fixed<10, 6>(records, coordinate);
        records += '\n';
    }
    records += " \n";
    for (const int extent : header.NGRID) fields::integer<5>(records, extent);  // (3I5)
    records += '\n';
    return records;
}

}  // namespace

void ivaspview(OutputFile& file, const StructureHeader& header, const DensityGrid& grid)
{
    file.write(structure_records(header));
    write_grid_values(file, grid);
}

}  // namespace voxmill
