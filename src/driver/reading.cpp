#include "driver/reading.hpp"

#include <filesystem>

#include "formats/chgcar_header.hpp"
#include "formats/potcar.hpp"
#include "system/failure.hpp"
#include "system/files.hpp"
#include "text/console.hpp"
#include "text/require_text.hpp"

namespace voxmill {

namespace {

void print_calc_type(int NBLOCKS)
{
    switch (calc_type(NBLOCKS)) {
    case CalcType::NonSpinPolarized: console::line("...Calculation type: non-spin polarized"); break;
    case CalcType::SpinPolarized: console::line("...Calculation type: spin polarized"); break;
    case CalcType::NonCollinear: console::line("...Calculation type: non-collinear"); break;
    case CalcType::Unrecognised: break;
    }
}

// The species labels of an input in the old layout, with `species` entries on
// its line of atom counts, from the POTCAR beside it, or else from the one in
// the current directory.
std::vector<std::string> read_potcar(const std::string& input, std::size_t species)
{
    const std::filesystem::path beside = std::filesystem::path(input).parent_path() / "POTCAR";
    std::error_code error;
    const std::string potcar = std::filesystem::exists(beside, error) ? beside.string() : "POTCAR";
    std::string places = std::filesystem::absolute("POTCAR", error).string();
    if (beside != "POTCAR") places = std::filesystem::absolute(beside, error).string() + " and " + places;
    require_existence(potcar, "no POTCAR for the species of " + input + " (old layout): looked for " + places);
    console::line("POTCAR existence: OK");
    std::vector<std::string> labels = specpot(potcar);
    if (labels.size() != species)
        refuse(potcar + " names " + std::to_string(labels.size()) + " species in TITEL lines, but " + input + " has "
               + std::to_string(species));
    return labels;
}

}  // namespace

FileDensities read_file(const std::string& name, StructureHeader& header, Keep keep, bool with_sums)
{
    require_existence(name);
    TextSource source(name);
    console::line("Reading " + name + ", please wait...");
    require_text(source);
    read_cell(source, header);
    header.VERSION = read_layout(source);
    console::line("..." + name + " version: " + (header.VERSION == 1 ? "NEW" : "OLD"));
    if (header.VERSION == 0) header.SPECS = read_potcar(name, count_species(source));
    read_atoms(source, header);
    // The count of the blocks is reported before a failure of one of them.
    try {
        FileDensities densities = idata(source, header, keep, with_sums);
        if (header.snapshots > 1)
            console::note(name + " holds " + std::to_string(header.snapshots) + " snapshots; the last one is read");
        print_calc_type(header.NBLOCKS);
        return densities;
    } catch (...) {
        print_calc_type(header.NBLOCKS);
        throw;
    }
}

}  // namespace voxmill
