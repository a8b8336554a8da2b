#include "formats/chgplane_writer.hpp"

#include "text/fixed_fields.hpp"

namespace voxmill {

void write_chgplane(OutputFile& file, std::span<const PlaneMean> profile)
{
    std::string records;
    for (const PlaneMean& plane : profile) {
        fields::fixed<12, 6>(records, plane.height);
        fields::fixed<12, 6>(records, plane.mean);
        records += '\n';
    }
    file.write(records);
}

}  // namespace voxmill
