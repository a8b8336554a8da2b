// The command line: which run mode the first argument selects, and whether the
// number of arguments suits it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace voxmill {

enum class RunMode { Help, PlaneDensity, SpinSplit, ChargeDensity, SpinDensity, ChargeDifference, SpinDifference };

// What the arguments ask for: a mode to run, or the reason of an error frame.
struct CommandLine {
    std::optional<RunMode> mode;
    std::string_view error;  // empty when `mode` can run
};

// Analyses the arguments (the program name not among them). The first argument
// is compared by its first 20 characters, exactly and case-sensitively.
CommandLine analyse_arguments(std::span<const std::string> args);

// The line printed at the start of a mode run ("Get spin density").
std::string_view mode_line(RunMode mode);

}  // namespace voxmill
