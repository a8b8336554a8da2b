#include "formats/map_table.hpp"

#include "text/fixed_fields.hpp"
#include "text/real_form.hpp"

namespace voxmill {

void write_map_table(OutputFile& file, const PlaneMap& map)
{
    std::string records;
    std::size_t point = 0;
    for (int row = 0; row < map.rows; ++row) {
        if (row > 0) records += '\n';
        const double y = map.first.y + row * map.spacing;
        for (int column = 0; column < map.columns; ++column) {
            fields::fixed<12, 6>(records, map.first.x + column * map.spacing);
            fields::fixed<12, 6>(records, y);
            char value[real_field_width];
            records.append(value, put_real_field(value, map.values[point++]));
            records += '\n';
        }
        file.write(records);
        records.clear();
    }
}

}  // namespace voxmill
