#include "driver/modes.hpp"

#include <algorithm>

#include "driver/console_texts.hpp"
#include "driver/long_options.hpp"
#include "text/blank_padding.hpp"

namespace voxmill {

namespace {

constexpr std::string_view plane_density = "Get charge density on a plane";
constexpr std::string_view plane_potential = "Get potential on a plane";

// One row a mode.
// clang-format off
const std::vector<Mode> modes{
    {RunMode::Help, "-h", 1, false, "", Keep::Charge, {}},
    {RunMode::Help, "--help", 1, false, "", Keep::Charge, {}},
    {RunMode::Version, "--version", 1, false, "", Keep::Charge, {}},
    {RunMode::PlaneDensity, "-i", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 2}},
    {RunMode::PlaneDensity, "-ia", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 0}},
    {RunMode::PlaneDensity, "-ib", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 1}},
    {RunMode::PlaneDensity, "-ic", 2, false, plane_density, Keep::Charge, {}, {"CHGPLANE", 2}},
    {RunMode::PlanePotential, "-p", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 2}},
    {RunMode::PlanePotential, "-pa", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 0}},
    {RunMode::PlanePotential, "-pb", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 1}},
    {RunMode::PlanePotential, "-pc", 2, false, plane_potential, Keep::Charge, {}, {"POTPLANE", 2}},
    {RunMode::SpinSplit, "-x", 2, false, "Split charge density", Keep::Both,
     {{"CHGUP", Keep::Charge, {"Spin-up density"}}, {"CHGDN", Keep::Spin, {"Spin-down density"}}}},
    {RunMode::ChargeDensity, "-c", 2, false, "Get charge density", Keep::Charge,
     {{"CHGDEN", Keep::Charge, {"Charge density"}}}},
    {RunMode::SpinDensity, "-s", 2, false, "Get spin density", Keep::Spin, {{"SPNDEN", Keep::Spin, {"Spin density"}}}},
    {RunMode::ChargeDifference, "-dc", 4, false, "Get charge density difference", Keep::Charge,
     {{"CHGDIFF", Keep::Charge, {"Charge density difference"}}}},
    {RunMode::SpinDifference, "-ds", 4, false, "Get spin density difference", Keep::Spin,
     {{"SPNDIFF", Keep::Spin, {"Spin density difference"}}}},
    // The main file and at least one more.
    {RunMode::ChargeSum, "-a", 3, true, "Add charge densities", Keep::Charge,
     {{"CHGSUM", Keep::Charge, {"Sum of charge densities"}}}},
    {RunMode::Slice, "-slice", 2, false, "Get a slice through the cell", Keep::Charge, {}},
    {RunMode::Stm, "-stm", 2, false, "Get an STM image", Keep::Charge, {}},
};
// clang-format on

// The first argument as a 20-character text compares with its trailing blanks removed.
std::string_view option_text(std::string_view argument) { return without_trailing_blanks(argument.substr(0, 20)); }

// "-dc takes 3 files": what the mode's files must be.
std::string files_wanted(const Mode& mode)
{
    const int files = mode.arguments - 1;
    return std::string(mode.option)
           + (files == 0 ? " takes no other argument"
                         : " takes " + std::string(mode.more_files ? "at least " : "") + std::to_string(files)
                               + (files == 1 ? " file" : " files"));
}

CommandLine refused(CommandLine command, std::string_view reason, std::string detail)
{
    command.error = reason;
    command.detail = std::move(detail);
    return command;
}

}  // namespace

std::span<const Mode> all_modes() { return modes; }

CommandLine analyse_arguments(std::span<const std::string> args)
{
    CommandLine command;
    if (args.empty())
        return refused(command, texts::no_arguments, "no arguments: an option comes first, then its files");

    const auto mode = std::ranges::find(modes, option_text(args.front()), &Mode::option);
    if (mode == modes.end())
        return refused(command, texts::unsupported_argument,
                       args.front().starts_with('-') ? "unknown option \"" + args.front() + "\""
                                                     : "\"" + args.front() + "\" is no option: the option comes first");
    command.mode = &*mode;

    // Every long option is set, so that --quiet holds even when another one is refused.
    std::string wrong_option;
    bool options_ended = false;
    for (const std::string& argument : args.subspan(1)) {
        if (options_ended || !argument.starts_with("--"))
            command.files.push_back(argument);
        else if (argument == "--")
            options_ended = true;
        else if (std::string wrong = apply_long_option(argument, *mode, command.settings); wrong_option.empty())
            wrong_option = std::move(wrong);
    }
    if (!wrong_option.empty()) return refused(std::move(command), texts::unsupported_argument, wrong_option);

    const auto count = static_cast<int>(command.files.size()) + 1;
    const std::string given = ", " + (count == 1 ? std::string("none") : std::to_string(count - 1)) + " given";
    if (count > mode->arguments && !mode->more_files)
        return refused(std::move(command), texts::too_many_arguments, files_wanted(*mode) + given);
    // Help takes no files, so too few arguments cannot happen there.
    if (count < mode->arguments) return refused(std::move(command), texts::no_input_files, files_wanted(*mode) + given);
    return command;
}

}  // namespace voxmill
