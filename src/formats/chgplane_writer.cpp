#include "formats/chgplane_writer.hpp"

#include "text/fixed_fields.hpp"

namespace voxmill {

void write_chgplane(OutputFile& file, std::span<const PlaneMean> profile, std::span<const double> macroscopic)
{
    std::string records;
    for (std::size_t n = 0; n < profile.size(); ++n) {
        fields::fixed<12, 6>(records, profile[n].height);
        fields::fixed<12, 6>(records, profile[n].mean);
        if (!macroscopic.empty()) fields::fixed<12, 6>(records, macroscopic[n]);
        records += '\n';
    }
    file.write(records);
}

}  // namespace voxmill
