#include "driver/mode_run.hpp"

#include <optional>

#include "driver/console_texts.hpp"
#include "driver/reading.hpp"
#include "driver/results.hpp"
#include "formats/report.hpp"
#include "ops/difference.hpp"
#include "ops/plane.hpp"
#include "ops/spin_split.hpp"
#include "ops/sum.hpp"
#include "system/cpu_time.hpp"
#include "system/failure.hpp"
#include "text/console.hpp"

namespace voxmill {

namespace {

DensityGrid& grid_of(FileDensities& densities, Keep grid)
{
    return grid == Keep::Spin ? *densities.SPN : *densities.CHG;
}

// A fragment of a difference: of its file only the grid of `keep` is kept.
DensityGrid read_fragment(std::string_view argument, Keep keep)
{
    StructureHeader header;
    FileDensities fragment = read_file(std::string(argument), header, keep, false);
    return std::move(grid_of(fragment, keep));
}

// Refuses the file of `header`, whose block 1 is `grid`, unless it has the
// FFT grid and the lattice of the file of `reference`.
void require_same_cell(const StructureHeader& reference, const DensityGrid& reference_grid,
                       const StructureHeader& header, const DensityGrid& grid)
{
    if (grid.extents() != reference_grid.extents()) throw Failure(std::string(texts::grids_differ), Shown::in_frame);
    if (!same_lattice(reference, header)) throw Failure(std::string(texts::lattices_differ), Shown::in_frame);
}

// Block 1 of the files of a sum other than the main one, added up, and the
// structure of the first of them.
struct PartialSum {
    StructureHeader header;
    DensityGrid grid;
};

// Reads `names` in order, each checked against the first and added as it is
// read, so that one grid besides the sum is held at a time.
PartialSum read_partial_sum(std::span<const std::string> names)
{
    StructureHeader first;
    FileDensities sum = read_file(names.front(), first, Keep::Charge, false);
    for (const std::string& name : names.subspan(1)) {
        StructureHeader header;
        const FileDensities term = read_file(name, header, Keep::Charge, false);
        require_same_cell(first, *sum.CHG, header, *term.CHG);
        add_grid(*sum.CHG, *term.CHG);
    }
    return {std::move(first), std::move(*sum.CHG)};
}

// Read, report, compute, write. The grids live inside this call, so they are
// released before the run's CPU time is taken.
void run_on_files(const Mode& mode, std::span<const std::string> args)
{
    // The fragments of a difference, or the other files of a sum, are read
    // first, the main file last.
    std::vector<DensityGrid> fragments;
    std::optional<PartialSum> sum;
    if (mode.mode == RunMode::ChargeSum)
        sum = read_partial_sum(args.subspan(2));
    else
        for (std::size_t n = 2; n < args.size(); ++n) fragments.push_back(read_fragment(args[n], mode.keep));
    StructureHeader header;
    const std::string& name = args[1];
    FileDensities main = read_file(name, header, mode.keep, true);
    // Densities per zero volume would be undefined.
    if (cell_volume(header) == 0.0) refuse(name + " has a cell of zero volume");
    for (const DensityGrid& fragment : fragments)
        if (fragment.extents() != header.NGRID) throw Failure(std::string(texts::grids_differ), Shown::in_frame);
    if (sum) require_same_cell(sum->header, sum->grid, header, *main.CHG);

    console::write(iinfo(header, main.sums));

    Results results;
    const Profile& profile = mode.profile;
    switch (mode.mode) {
    case RunMode::PlaneDensity:
        results.write_profile(profile.file_name, plane_densities(header, *main.CHG, profile.axis));
        break;
    case RunMode::PlanePotential: {
        const std::vector<PlaneMean> means = plane_means(header, *main.CHG, profile.axis);
        console::write(vacuum_level_line(highest_plane(means)));
        results.write_profile(profile.file_name, means);
        break;
    }
    case RunMode::ChargeSum: add_grid(*main.CHG, sum->grid); break;
    case RunMode::SpinSplit: split_spin(*main.CHG, *main.SPN); break;
    case RunMode::ChargeDifference:
    case RunMode::SpinDifference: subtract_fragments(grid_of(main, mode.keep), fragments[0], fragments[1]); break;
    default: break;
    }
    for (const Result& result : mode.results) results.write_grid(result.base_name, header, grid_of(main, result.grid));
    results.commit();
}

}  // namespace

void run_mode(const Mode& mode, std::span<const std::string> args)
{
    const double start = process_cpu_seconds();
    console::line(mode.mode_line);
    run_on_files(mode, args);
    console::write(texts::completion(process_cpu_seconds() - start));
}

}  // namespace voxmill
