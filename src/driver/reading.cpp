#include "driver/reading.hpp"

#include <filesystem>

#include "formats/chgcar_header.hpp"
#include "formats/cube.hpp"
#include "formats/potcar.hpp"
#include "formats/vasp_h5.hpp"
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

// The formats an input may have.
enum class InputFormat { chgcar, cube };

// The format of the file of `source`, told by the text at its start, which
// stays unread: a cube by its header lines, anything else read as the
// CHGCAR family, whose reader says where it departs from that.
InputFormat input_format(TextSource& source)
{
    constexpr std::size_t head_bytes = 64 << 10;  // the six lines that tell a cube, with long comments
    return looks_like_cube(source.text_ahead(head_bytes)) ? InputFormat::cube : InputFormat::chgcar;
}

// A cube: one grid, taken as a density per cubic bohr or as written.
FileDensities read_cube_file(TextSource& source, StructureHeader& header, Keep keep, bool with_sums, bool density)
{
    const std::string& name = source.path();
    console::line("..." + name + " version: CUBE");
    if (keep != Keep::Charge)
        refuse(name
               + " is a Gaussian cube, which holds one grid and no spin density; -s, -x and -ds need a CHGCAR "
                 "of a spin-polarised run");
    console::line(density ? "...Values: e/bohr^3, taken times the cell volume" : "...Values: taken as written");
    CubeGrid cube = read_cube(source, header, density);
    if (!cube.orbitals.empty())
        console::note(name + " holds " + std::to_string(cube.orbitals.size()) + " orbitals; the first, "
                      + std::to_string(cube.orbitals.front()) + ", is read");
    FileDensities densities;
    if (with_sums) densities.sums.add_without_spin(cube.grid.values());
    densities.CHG = std::move(cube.grid);
    return densities;
}

FileDensities read_chgcar(TextSource& source, StructureHeader& header, Keep keep, bool with_sums)
{
    const std::string& name = source.path();
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

// VASP 6's HDF5 output, told by its signature, whatever its name.
FileDensities read_h5_file(const std::string& name, const H5Choice& choice, StructureHeader& header, Keep keep,
                           bool with_sums, std::optional<int> plane_axis)
{
#ifdef VOXMILL_HDF5
    console::line("Reading " + name + ", please wait...");
    console::line("..." + name + " version: HDF5");
    VaspH5Reading reading(name, choice, header);
    try {
        FileDensities densities = reading.read_values(keep, with_sums, plane_axis);
        print_calc_type(header.NBLOCKS);
        return densities;
    } catch (...) {
        print_calc_type(header.NBLOCKS);
        throw;
    }
#else
    (void)choice, (void)header, (void)keep, (void)with_sums, (void)plane_axis;
    fail_at(name, 0, "an HDF5 file, which this build of voxmill cannot read: it was built without libhdf5");
#endif
}

// The text formats, read into grids.
FileDensities read_text_file(const std::string& name, const H5Choice& choice, StructureHeader& header, Keep keep,
                             bool with_sums)
{
    // A choice that only an HDF5 file offers would otherwise pass unnoticed.
    if (!choice.dataset.empty() || choice.band != 0 || choice.kpoint != 0)
        fail_at(name, 0, "--dataset, --band and --kpoint choose what a VASP HDF5 file gives, and this is none");
    TextSource source(name);
    console::line("Reading " + name + ", please wait...");
    require_text(source);
    switch (input_format(source)) {
    case InputFormat::cube: return read_cube_file(source, header, keep, with_sums, !choice.potential);
    case InputFormat::chgcar: break;
    }
    return read_chgcar(source, header, keep, with_sums);
}

}  // namespace

FileDensities read_file(const std::string& name, const H5Choice& choice, StructureHeader& header, Keep keep,
                        bool with_sums, std::optional<int> plane_axis)
{
    require_existence(name);
    if (file_starts_with(name, hdf5_signature)) return read_h5_file(name, choice, header, keep, with_sums, plane_axis);
    FileDensities densities = read_text_file(name, choice, header, keep, with_sums);
    if (plane_axis) {
        densities.planes.emplace(header.NGRID, *plane_axis);
        densities.planes->add(densities.CHG->values());
        densities.CHG.reset();
    }
    return densities;
}

}  // namespace voxmill
