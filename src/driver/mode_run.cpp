#include "driver/mode_run.hpp"

#include <cmath>
#include <optional>

#include "driver/console_texts.hpp"
#include "driver/plane_maps.hpp"
#include "driver/profile_run.hpp"
#include "driver/reading.hpp"
#include "driver/results.hpp"
#include "formats/report.hpp"
#include "ops/difference.hpp"
#include "ops/spin_split.hpp"
#include "ops/sum.hpp"
#include "system/cpu_time.hpp"
#include "system/failure.hpp"
#include "text/console.hpp"
#include "text/formatted.hpp"

namespace voxmill {

namespace {

DensityGrid& grid_of(FileDensities& densities, Keep grid)
{
    return grid == Keep::Spin ? *densities.SPN : *densities.CHG;
}

// One input file of several: its name, its structure and the grid kept of it.
struct InputGrid {
    std::string name;
    StructureHeader header;
    DensityGrid grid;
};

InputGrid read_grid(const std::string& name, const H5Choice& choice, Keep keep)
{
    StructureHeader header;
    FileDensities densities = read_file(name, choice, header, keep, false);
    return {name, std::move(header), std::move(grid_of(densities, keep))};
}

std::string extents_text(const GridExtents& extents)
{
    return std::to_string(extents[0]) + " x " + std::to_string(extents[1]) + " x " + std::to_string(extents[2]);
}

// Refuses the file `name` of `header` unless it has the FFT grid and the
// lattice of the file `reference_name` of `reference`.
void require_same_cell(const std::string& reference_name, const StructureHeader& reference, const std::string& name,
                       const StructureHeader& header)
{
    if (header.NGRID != reference.NGRID)
        throw Failure(std::string(texts::grids_differ), Shown::in_frame,
                      "grids differ: " + reference_name + " has " + extents_text(reference.NGRID) + " points, " + name
                          + " " + extents_text(header.NGRID));
    if (const auto mismatch = lattice_mismatch(reference, header)) {
        const auto [vector, axis, difference] = *mismatch;
        const double value = reference.SCALE * reference.A[vector][axis];
        const std::string text =
            "lattices differ: component " + std::string(1, "xyz"[axis]) + " of lattice vector "
            + std::to_string(vector + 1) + " is " + formatted("%.6f", value) + " angstrom in " + reference_name
            + " and " + formatted("%.6f", value + difference) + " in " + name + ", "
            + formatted("%.2g", std::fabs(difference)) + " apart (at most "
            + formatted("%g", lattice_tolerance + reference.lattice_rounding + header.lattice_rounding) + " allowed)";
        throw Failure(std::string(texts::lattices_differ), Shown::in_frame, text);
    }
}

// Reads `names` in order, each checked against the first and added as it is
// read, so that one grid besides the sum is held at a time. The sum has the
// name and the structure of the first.
InputGrid read_partial_sum(std::span<const std::string> names, const H5Choice& choice)
{
    InputGrid sum = read_grid(names.front(), choice, Keep::Charge);
    for (const std::string& name : names.subspan(1)) {
        StructureHeader header;
        const FileDensities term = read_file(name, choice, header, Keep::Charge, false);
        require_same_cell(sum.name, sum.header, name, header);
        add_grid(sum.grid, *term.CHG);
    }
    return sum;
}

// Read, report, compute, write. The grids live inside this call, so they are
// released before the run's CPU time is taken.
void run_on_files(const Mode& mode, std::span<const std::string> files, const Settings& settings)
{
    Results results(settings);
    // What an HDF5 input gives: a potential for the potential profiles and
    // for a slice of a potential.
    H5Choice choice = settings.h5;
    choice.potential = mode.mode == RunMode::PlanePotential || settings.potential;
    // The fragments of a difference, or the other files of a sum, are read
    // first, the main file last.
    std::vector<InputGrid> fragments;
    std::optional<InputGrid> sum;
    if (mode.mode == RunMode::ChargeSum)
        sum = read_partial_sum(files.subspan(1), choice);
    else
        for (const std::string& fragment : files.subspan(1))
            fragments.push_back(read_grid(fragment, choice, mode.keep));
    StructureHeader header;
    const std::string& name = files.front();
    const bool profile = mode.mode == RunMode::PlaneDensity || mode.mode == RunMode::PlanePotential;
    FileDensities main =
        read_file(name, choice, header, mode.keep, true, profile ? std::optional(mode.profile.axis) : std::nullopt);
    // Densities per zero volume would be undefined.
    if (cell_volume(header) == 0.0) refuse(name + " has a cell of zero volume");
    for (const InputGrid& fragment : fragments) require_same_cell(name, header, fragment.name, fragment.header);
    if (sum) require_same_cell(sum->name, sum->header, name, header);

    console::write(iinfo(header, main.sums));

    switch (mode.mode) {
    case RunMode::PlaneDensity:
    case RunMode::PlanePotential: run_profile(mode, name, header, *main.planes, settings, results); break;
    case RunMode::Slice: write_slice(name, header, *main.CHG, settings, results); break;
    case RunMode::Stm: write_stm_image(name, header, *main.CHG, settings, results); break;
    case RunMode::ChargeSum: add_grid(*main.CHG, sum->grid); break;
    case RunMode::SpinSplit: split_spin(*main.CHG, *main.SPN); break;
    case RunMode::ChargeDifference:
    case RunMode::SpinDifference:
        subtract_fragments(grid_of(main, mode.keep), fragments[0].grid, fragments[1].grid);
        break;
    default: break;
    }
    for (const Result& result : mode.results)
        results.write_grid(result.base_name, header, grid_of(main, result.grid), result.quantity);
    results.commit();
}

}  // namespace

void run_mode(const Mode& mode, std::span<const std::string> files, const Settings& settings)
{
    const double start = process_cpu_seconds();
    console::line(mode.mode_line);
    run_on_files(mode, files, settings);
    console::write(texts::completion(process_cpu_seconds() - start));
}

}  // namespace voxmill
