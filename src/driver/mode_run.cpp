#include "driver/mode_run.hpp"

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

Keep grid_of(GridKind kind) { return kind == GridKind::Charge ? Keep::Charge : Keep::Spin; }

// Reads a fragment file of a difference: its header into `header`, and of its
// blocks the grid of `kind`.
DensityGrid read_fragment_file(const std::string& name, GridKind kind, StructureHeader& header)
{
    iheader(name, header);
    FileDensities fragment = idata(name, header, grid_of(kind), false);
    return std::move(kind == GridKind::Charge ? *fragment.CHG : *fragment.SPN);
}

// Reads the main input file, which is always read last: its header into
// `header`, its blocks into the grids of `keep` and the sums of the report.
// Refuses a cell whose volume is zero: its densities per volume would be undefined.
FileDensities read_main_file(const std::string& name, StructureHeader& header, Keep keep)
{
    iheader(name, header);
    FileDensities file = idata(name, header, keep, true);
    if (cell_volume(header) == 0.0) throw Refusal(name + " has a cell of zero volume");
    return file;
}

bool is_difference(RunMode mode) { return mode == RunMode::ChargeDifference || mode == RunMode::SpinDifference; }

void run_difference(RunMode mode, std::span<const std::string> args)
{
    const GridKind kind = mode == RunMode::ChargeDifference ? GridKind::Charge : GridKind::Spin;
    StructureHeader header;
    const DensityGrid fragment1 = read_fragment_file(file_name(args[2]), kind, header);
    const DensityGrid fragment2 = read_fragment_file(file_name(args[3]), kind, header);
    FileDensities full = read_main_file(file_name(args[1]), header, grid_of(kind));
    if (fragment1.extents() != header.NGRID || fragment2.extents() != header.NGRID)
        throw FramedRefusal(std::string(texts::grids_differ));

    iinfo(header, full.sums);
    DensityGrid& difference = kind == GridKind::Charge ? *full.CHG : *full.SPN;
    subtract_fragments(difference, Fragments{fragment1, fragment2});
    write_difference(kind, header, difference);
}

void run_single_file(RunMode mode, std::span<const std::string> args)
{
    StructureHeader header;
    const Keep keep = mode == RunMode::SpinDensity ? Keep::Spin : mode == RunMode::SpinSplit ? Keep::Both : Keep::Charge;
    FileDensities file = read_main_file(file_name(args[1]), header, keep);
    iinfo(header, file.sums);

    switch (mode) {
    case RunMode::ChargeDensity: write_density("CHGDEN", header, *file.CHG); break;
    case RunMode::SpinDensity: write_density("SPNDEN", header, *file.SPN); break;
    case RunMode::SpinSplit: split_spin(header, *file.CHG, *file.SPN); break;
    case RunMode::PlaneDensity: plane_density(header, *file.CHG); break;
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
