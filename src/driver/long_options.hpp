// The long options: each one row of what it is called, which modes take it
// and how its value goes into the run's Settings.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/modes.hpp"
#include "driver/settings.hpp"

namespace voxmill {

struct LongOption {
    std::string_view name;       // after the "--"
    std::string_view value;      // what its value is called in the help ("LIST"); empty for a switch
    std::vector<RunMode> modes;  // the modes that take it
    std::string help;            // its text in the help
    // Sets `value` in `settings`; returns what is wrong with it, or nothing.
    std::string (*apply)(std::string_view value, Settings& settings);
};

std::span<const LongOption> long_options();

// Sets the long option `argument` ("--name" or "--name=value"), given to `mode`,
// in `settings`; returns what is wrong with it for standard error, or nothing.
std::string apply_long_option(std::string_view argument, const Mode& mode, Settings& settings);

}  // namespace voxmill
