#include "driver/modes.hpp"

#include <algorithm>

#include "driver/console_texts.hpp"
#include "text/blank_padding.hpp"

namespace voxmill {

namespace {

constexpr std::string_view plane_density = "Get charge density on a plane";
constexpr std::string_view plane_potential = "Get potential on a plane";

// One row a mode.
// clang-format off
const std::vector<Mode> modes{
    {RunMode::Help, "-h", 1, false, "", Keep::Charge, {}},
    {RunMode::PlaneDensity, "-i", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 2}},
    {RunMode::PlaneDensity, "-ia", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 0}},
    {RunMode::PlaneDensity, "-ib", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 1}},
    {RunMode::PlaneDensity, "-ic", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 2}},
    {RunMode::PlanePotential, "-p", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 2}},
    {RunMode::PlanePotential, "-pa", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 0}},
    {RunMode::PlanePotential, "-pb", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 1}},
    {RunMode::PlanePotential, "-pc", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 2}},
    {RunMode::SpinSplit, "-x", 2, false, "Split charge density", Keep::Both,
     {{"CHGUP", Keep::Charge}, {"CHGDN", Keep::Spin}}},
    {RunMode::ChargeDensity, "-c", 2, false, "Get charge density", Keep::Charge, {{"CHGDEN", Keep::Charge}}},
    {RunMode::SpinDensity, "-s", 2, false, "Get spin density", Keep::Spin, {{"SPNDEN", Keep::Spin}}},
    {RunMode::ChargeDifference, "-dc", 4, false, "Get charge density difference", Keep::Charge,
     {{"CHGDIFF", Keep::Charge}}},
    {RunMode::SpinDifference, "-ds", 4, false, "Get spin density difference", Keep::Spin, {{"SPNDIFF", Keep::Spin}}},
    // The main file and at least one more.
    {RunMode::ChargeSum, "-a", 3, true, "Add charge densities", Keep::Charge, {{"CHGSUM", Keep::Charge}}},
};
// clang-format on

// The first argument as a 20-character text compares with its trailing blanks removed.
std::string_view option_text(std::string_view argument) { return without_trailing_blanks(argument.substr(0, 20)); }

}  // namespace

CommandLine analyse_arguments(std::span<const std::string> args)
{
    if (args.empty()) return {nullptr, texts::no_arguments};

    const auto mode = std::ranges::find(modes, option_text(args.front()), &Mode::option);
    if (mode == modes.end()) return {nullptr, texts::unsupported_argument};

    const auto count = static_cast<int>(args.size());
    if (count > mode->arguments && !mode->more_files) return {nullptr, texts::too_many_arguments};
    // Help takes no files, so too few arguments cannot happen there.
    if (count < mode->arguments) return {nullptr, texts::no_input_files};
    return {&*mode, {}};
}

}  // namespace voxmill
