#include "driver/long_options.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "picture/drawing.hpp"

namespace voxmill {

namespace {

// The modes that write grid results, those that make profiles, those that read
// densities, and those that read files at all.
const std::vector<RunMode> grid_modes{RunMode::SpinSplit,        RunMode::ChargeDensity,  RunMode::SpinDensity,
                                      RunMode::ChargeDifference, RunMode::SpinDifference, RunMode::ChargeSum};
const std::vector<RunMode> profile_modes{RunMode::PlaneDensity, RunMode::PlanePotential};
const std::vector<RunMode> density_modes = [] {
    std::vector<RunMode> modes = grid_modes;
    modes.insert(modes.end(), {RunMode::PlaneDensity, RunMode::Slice, RunMode::Stm});
    return modes;
}();
const std::vector<RunMode> file_modes = [] {
    std::vector<RunMode> modes = density_modes;
    modes.push_back(RunMode::PlanePotential);
    return modes;
}();

// "xsf,vasp": the names of the formats, or only those written by default.
std::string format_names(bool defaults_only)
{
    std::string names;
    for (const GridFormat& format : grid_formats())
        if (format.by_default || !defaults_only) names += (names.empty() ? "" : ",") + std::string(format.name);
    return names;
}

std::string set_formats(std::string_view list, Settings& settings)
{
    std::vector<bool> chosen(grid_formats().size());
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string_view name = list.substr(from, comma - from);
        const auto format = std::ranges::find(grid_formats(), name, &GridFormat::name);
        if (format == grid_formats().end())
            return "--format takes a comma-separated list of " + format_names(false) + ", not \"" + std::string(list)
                   + "\"";
        chosen[format - grid_formats().begin()] = true;
        from = comma + 1;
    }
    settings.formats.clear();
    for (std::size_t f = 0; f < chosen.size(); ++f)
        if (chosen[f]) settings.formats.push_back(&grid_formats()[f]);
    return {};
}

std::string set_output_dir(std::string_view dir, Settings& settings)
{
    settings.output_dir = dir;
    return {};
}

std::string set_quiet(std::string_view, Settings& settings)
{
    settings.quiet = true;
    return {};
}

// "4.05" or "4.05,2.86": one or two positive lengths in angstrom.
std::string set_windows(std::string_view text, Settings& settings)
{
    settings.windows.clear();
    const char* at = text.data();
    const char* const end = at + text.size();
    while (settings.windows.size() < 2) {
        double window = 0;
        const auto [past, error] = std::from_chars(at, end, window);
        if (error != std::errc() || !(window > 0) || !std::isfinite(window) || (past != end && *past != ',')) break;
        settings.windows.push_back(window);
        if (past == end) return {};
        at = past + 1;
    }
    return "--macro takes one or two positive lengths in angstrom, as --macro=4.05 or --macro=4.05,2.86, not \""
           + std::string(text) + "\"";
}

std::string set_plot(std::string_view, Settings& settings)
{
    if (picture::drawing_library.empty()) return "--plot needs Cairo, and this voxmill was built without it";
    settings.plot = true;
    return {};
}

// The value as N numbers separated by commas ("1,-1,0"), or nothing when it is not.
template <typename Number, std::size_t N>
std::optional<std::array<Number, N>> numbers(std::string_view value)
{
    std::array<Number, N> result{};
    const char* at = value.data();
    const char* end = value.data() + value.size();
    for (std::size_t n = 0; n < N; ++n) {
        if (n > 0 && (at == end || *at++ != ',')) return std::nullopt;
        const auto [next, error] = std::from_chars(at, end, result[n]);
        if (error != std::errc() || !std::isfinite(static_cast<double>(result[n]))) return std::nullopt;
        at = next;
    }
    if (at != end) return std::nullopt;
    return result;
}

// The plane of a slice is a lattice plane or the plane through three atoms;
// a constant-height or a constant-current STM image. Whichever option comes
// second finds the first set.
constexpr std::string_view two_planes = "--through chooses the plane by atoms; it takes neither --plane nor --offset";
constexpr std::string_view two_images = "--height and --isovalue ask for different images; give one of them";

std::string set_plane(std::string_view value, Settings& settings)
{
    if (settings.through) return std::string(two_planes);
    // The cell of a plane is searched among lattice vectors with components up to the largest index.
    settings.plane = numbers<int, 3>(value);
    if (!settings.plane || std::ranges::any_of(*settings.plane, [](int index) { return std::abs(index) > 24; }))
        return "--plane takes three Miller indices from -24 to 24, as --plane=1,1,0, not \"" + std::string(value)
               + "\"";
    if (settings.plane == std::array<int, 3>{0, 0, 0}) return "--plane=0,0,0 is no plane";
    return {};
}

std::string set_through(std::string_view value, Settings& settings)
{
    if (settings.plane || settings.offset) return std::string(two_planes);
    settings.through = numbers<int, 3>(value);
    if (!settings.through || std::ranges::any_of(*settings.through, [](int atom) { return atom < 1; }))
        return "--through takes three atom numbers, as --through=1,2,5, not \"" + std::string(value) + "\"";
    return {};
}

std::string set_potential(std::string_view, Settings& settings)
{
    settings.potential = true;
    return {};
}

// One real number, and a positive one where `positive`: a length in angstrom or a density.
std::string set_real(std::string_view value, std::string_view option, bool positive, std::optional<double>& setting)
{
    const auto number = numbers<double, 1>(value);
    if (!number || (positive && !((*number)[0] > 0)))
        return "--" + std::string(option) + " takes " + (positive ? "a positive number" : "a number") + ", not \""
               + std::string(value) + "\"";
    setting = (*number)[0];
    return {};
}

std::string set_offset(std::string_view value, Settings& settings)
{
    if (settings.through) return std::string(two_planes);
    return set_real(value, "offset", false, settings.offset);
}

std::string set_height(std::string_view value, Settings& settings)
{
    if (settings.isovalue) return std::string(two_images);
    return set_real(value, "height", false, settings.height);
}

std::string set_isovalue(std::string_view value, Settings& settings)
{
    if (settings.height) return std::string(two_images);
    return set_real(value, "isovalue", true, settings.isovalue);
}

std::string set_spacing(std::string_view value, Settings& settings)
{
    return set_real(value, "spacing", true, settings.spacing);
}

std::string set_repeat(std::string_view value, Settings& settings)
{
    settings.repeat = numbers<int, 2>(value);
    if (!settings.repeat || std::ranges::any_of(*settings.repeat, [](int n) { return n < 1 || n > 100; }))
        return "--repeat takes two numbers of cells from 1 to 100, as --repeat=3,3, not \"" + std::string(value) + "\"";
    return {};
}

std::string set_dataset(std::string_view name, Settings& settings)
{
    constexpr std::string_view datasets[] = {"charge", "tau", "total", "hartree", "ionic", "xc"};
    if (std::ranges::find(datasets, name) == std::end(datasets))
        return "--dataset takes charge or tau for a density, total, hartree, ionic or xc for a potential, not \""
               + std::string(name) + "\"";
    settings.h5.dataset = name;
    return {};
}

// A band's or a k-point's number, from 1.
std::string set_number(std::string_view option, std::string_view value, int& number)
{
    const auto parsed = numbers<int, 1>(value);
    if (!parsed || (*parsed)[0] < 1)
        return "--" + std::string(option) + " takes a whole number from 1, not \"" + std::string(value) + "\"";
    number = (*parsed)[0];
    return {};
}

std::string set_band(std::string_view value, Settings& settings) { return set_number("band", value, settings.h5.band); }

std::string set_kpoint(std::string_view value, Settings& settings)
{
    return set_number("kpoint", value, settings.h5.kpoint);
}

// The options of the modes in `run_modes`, as the mode table lists them: "-i, -ia, -ib".
std::string options_of(const std::vector<RunMode>& run_modes)
{
    std::string options;
    for (const Mode& mode : all_modes())
        if (std::ranges::find(run_modes, mode.mode) != run_modes.end())
            options += (options.empty() ? "" : ", ") + std::string(mode.option);
    return options;
}

}  // namespace

std::span<const LongOption> long_options()
{
    // clang-format off
    static const std::vector<LongOption> options{
        {"format", "LIST", grid_modes,
         "Grid files: " + format_names(false) + " (default " + format_names(true) + ")", set_formats},
        {"output-dir", "DIR", file_modes, "Write the result files into DIR", set_output_dir},
        {"quiet", "", file_modes, "Print nothing but failures (on stderr)", set_quiet},
        {"macro", "L1[,L2]", profile_modes, "Macroscopic average, windows in angstrom", set_windows},
        {"plot", "", profile_modes, "Draw the profile into CHGPLANE/POTPLANE.png", set_plot},
        {"plane", "H,K,L", {RunMode::Slice}, "The lattice plane of the slice (default 0,0,1)", set_plane},
        {"offset", "DIST", {RunMode::Slice}, "The plane's distance from the origin, Angstrom", set_offset},
        {"through", "I,J,K", {RunMode::Slice}, "Or the plane through atoms I, J and K", set_through},
        {"potential", "", {RunMode::Slice}, "The file holds a potential (eV), not a density", set_potential},
        {"height", "DIST", {RunMode::Stm}, "Height over the top atom, Angstrom (default 2)", set_height},
        {"isovalue", "RHO", {RunMode::Stm}, "Or constant current at density RHO (e/A^3)",
         set_isovalue},
        {"spacing", "DIST", {RunMode::Slice, RunMode::Stm}, "Between points, Angstrom (default: the grid's)",
         set_spacing},
        {"repeat", "N,M", {RunMode::Slice, RunMode::Stm}, "Cells along the edges (default 1,1, STM 15 A)", set_repeat},
        {"dataset", "NAME", file_modes, "HDF5: tau, or the potential hartree, ionic or xc", set_dataset},
        {"band", "N", density_modes, "HDF5 partial charges: band N alone", set_band},
        {"kpoint", "N", density_modes, "HDF5 partial charges: k-point N alone", set_kpoint},
    };
    // clang-format on
    return options;
}

std::string apply_long_option(std::string_view argument, const Mode& mode, Settings& settings)
{
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(2, equals == std::string_view::npos ? equals : equals - 2);
    const auto option = std::ranges::find(long_options(), name, &LongOption::name);
    const std::string dashed = "--" + std::string(name);
    if (option == long_options().end()) return "unknown option \"" + std::string(argument) + "\"";
    if (std::ranges::find(option->modes, mode.mode) == option->modes.end())
        return dashed + " does not apply to " + std::string(mode.option) + ", only to " + options_of(option->modes);
    if (option->value.empty()) {
        if (equals != std::string_view::npos) return dashed + " takes no value";
        return option->apply({}, settings);
    }
    if (equals == std::string_view::npos || equals + 1 == argument.size())
        return dashed + " needs a value: " + dashed + "=" + std::string(option->value);
    return option->apply(argument.substr(equals + 1), settings);
}

}  // namespace voxmill
