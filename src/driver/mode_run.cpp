#include "driver/mode_run.hpp"

#include <optional>

#include "driver/console_texts.hpp"
#include "driver/cpu_time.hpp"
#include "input/block_reader.hpp"
#include "input/header_reader.hpp"
#include "input/model.hpp"
#include "ops/density.hpp"
#include "ops/difference.hpp"
#include "ops/plane.hpp"
#include "ops/spin_split.hpp"
#include "output/blank_padding.hpp"
#include "output/console.hpp"
#include "output/failure.hpp"
#include "output/report.hpp"

namespace voxmill {

namespace {

// A file argument as an 80-character name whose trailing blanks are no part of it.
std::string file_name(std::string_view argument)
{
    return std::string(without_trailing_blanks(argument.substr(0, text_length)));
}

// What the mode takes of the main input file: the charge grid, the spin grid
// if it uses one, and the sums of the report.
struct MainFile {
    DensityGrid CHG;
    std::optional<DensityGrid> SPN;
    DensitySums sums;
};

// Reads a fragment file of a difference: its header into `header`, and of its
// blocks the grid of `kind`.
DensityGrid read_fragment_file(const std::string& name, GridKind kind, StructureHeader& header)
{
    iheader(name, header);
    return read_one_grid(name, header.NGRID, header.NBLOCKS, kind);
}

// Reads the main input file, which is always read last: its header into
// `header`, its blocks into a charge grid and, if `keep_spin`, a spin grid;
// else the spin goes to `pass_on`, if given. Refuses a cell whose volume is
// zero: its densities per volume would be undefined.
MainFile read_main_file(const std::string& name, StructureHeader& header, bool keep_spin,
                        const SpinStretches& pass_on = {})
{
    iheader(name, header);
    MainFile file{DensityGrid(header.NGRID), std::nullopt, {}};
    if (keep_spin) file.SPN.emplace(header.NGRID);
    file.sums = idata(name, header.NGRID, header.NBLOCKS, file.CHG, file.SPN ? &*file.SPN : nullptr, pass_on);
    if (cell_volume(header) == 0.0) throw Refusal(name + " has a cell of zero volume");
    return file;
}

bool is_difference(RunMode mode) { return mode == RunMode::ChargeDifference || mode == RunMode::SpinDifference; }

void run_difference(RunMode mode, std::span<const std::string> args)
{
    const GridKind kind = mode == RunMode::ChargeDifference ? GridKind::Charge : GridKind::Spin;
    StructureHeader header;
    DensityGrid fragment1 = read_fragment_file(file_name(args[2]), kind, header);
    const DensityGrid fragment2 = read_fragment_file(file_name(args[3]), kind, header);
    const Fragments fragments{fragment1, fragment2};
    const auto on_full_grid = [&] { return fragment1.extents() == header.NGRID && fragment2.extents() == header.NGRID; };

    // The spin difference takes the place of the first fragment stretch by
    // stretch as the full system's spin is read, so that no grid holds that
    // spin; fragments on another grid are refused once the file is read.
    SpinStretches spin_difference;
    if (kind == GridKind::Spin)
        spin_difference = [&](std::size_t first, std::span<const double> spin) {
            if (on_full_grid()) subtract_fragments(spin, first, fragments, fragment1.data());
        };
    MainFile full = read_main_file(file_name(args[1]), header, false, spin_difference);
    if (!on_full_grid()) throw FramedRefusal(std::string(texts::grids_differ));

    iinfo(header, full.sums);
    if (kind == GridKind::Charge) {
        subtract_fragments(full.CHG.values(), 0, fragments, full.CHG.data());
        write_difference(kind, header, full.CHG);
    } else {
        write_difference(kind, header, fragment1);
    }
}

void run_single_file(RunMode mode, std::span<const std::string> args)
{
    StructureHeader header;
    const bool uses_spin = mode == RunMode::SpinDensity || mode == RunMode::SpinSplit;
    MainFile file = read_main_file(file_name(args[1]), header, uses_spin);
    iinfo(header, file.sums);

    switch (mode) {
    case RunMode::ChargeDensity: write_density("CHGDEN", header, file.CHG); break;
    case RunMode::SpinDensity: write_density("SPNDEN", header, *file.SPN); break;
    case RunMode::SpinSplit: split_spin(header, file.CHG, *file.SPN); break;
    case RunMode::PlaneDensity: plane_density(header, file.CHG); break;
    default: break;
    }
}

}  // namespace

void run_mode(RunMode mode, std::span<const std::string> args)
{
    const double start = process_cpu_seconds();
    console::line(mode_line(mode));
    // The grids live inside these calls, so they are released before the end time is read.
    if (is_difference(mode))
        run_difference(mode, args);
    else
        run_single_file(mode, args);
    console::write(texts::completion(process_cpu_seconds() - start));
}

}  // namespace voxmill
