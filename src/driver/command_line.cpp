#include "driver/command_line.hpp"

#include <algorithm>
#include <array>

#include "driver/console_texts.hpp"
#include "output/blank_padding.hpp"

namespace voxmill {

namespace {

struct ModeEntry {
    RunMode mode;
    std::string_view option;
    int arguments;  // in all, the option included
    std::string_view mode_line;
};

constexpr std::array<ModeEntry, 7> modes{{
    {RunMode::Help, "-h", 1, ""},
    {RunMode::PlaneDensity, "-i", 2, "Get charge density on a plane"},
    {RunMode::SpinSplit, "-x", 2, "Split charge density"},
    {RunMode::ChargeDensity, "-c", 2, "Get charge density"},
    {RunMode::SpinDensity, "-s", 2, "Get spin density"},
    {RunMode::ChargeDifference, "-dc", 4, "Get charge density difference"},
    {RunMode::SpinDifference, "-ds", 4, "Get spin density difference"},
}};

// The first argument as a 20-character text compares with its trailing blanks removed.
std::string_view option_text(std::string_view argument)
{
    return without_trailing_blanks(argument.substr(0, 20));
}

}  // namespace

CommandLine analyse_arguments(std::span<const std::string> args)
{
    if (args.empty()) return {std::nullopt, texts::no_arguments};

    const std::string_view option = option_text(args.front());
    const auto entry = std::ranges::find(modes, option, &ModeEntry::option);
    if (entry == modes.end()) return {std::nullopt, texts::unsupported_argument};

    const auto count = static_cast<int>(args.size());
    if (count > entry->arguments) return {std::nullopt, texts::too_many_arguments};
    // Help takes no files, so too few arguments cannot happen there.
    if (count < entry->arguments) return {std::nullopt, texts::no_input_files};
    return {entry->mode, {}};
}

std::string_view mode_line(RunMode mode)
{
    return std::ranges::find(modes, mode, &ModeEntry::mode)->mode_line;
}

}  // namespace voxmill
