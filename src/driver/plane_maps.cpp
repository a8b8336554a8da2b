#include "driver/plane_maps.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ops/slice.hpp"
#include "ops/stm.hpp"
#include "text/console.hpp"
#include "text/formatted.hpp"

namespace voxmill {

namespace {

std::string file_name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The least width of an STM image by default, in angstrom: enough cells to see the surface's pattern.
constexpr double image_width = 15;

void tell_mesh(const PlaneMap& map)
{
    console::line(formatted("Mesh of %d x %d points, %.4f Angstrom apart", map.columns, map.rows, map.spacing));
}

// A console text as a picture's title: "2.000 Angstrom" as "2.000 Å".
std::string in_picture(std::string text)
{
    for (std::size_t at; (at = text.find("Angstrom")) != std::string::npos;) text.replace(at, 8, "Å");
    return text;
}

// Diverging colours for values of both signs, as of a difference or a spin
// density or a potential; not for the slight negatives a density can have.
picture::ColourScale colours_for(const PlaneMap& map)
{
    const auto [low, high] = std::ranges::minmax(map.values);
    const bool both_signs = low < 0 && high > 0 && std::min(-low, high) >= 0.05 * std::max(-low, high);
    return both_signs ? picture::ColourScale::diverging : picture::ColourScale::sequential;
}

}  // namespace

void write_slice(const std::string& name, const StructureHeader& header, const DensityGrid& grid,
                 const Settings& settings, Results& results)
{
    const Cell cell = cartesian_cell(header);
    std::string plane;
    PlaneFrame frame;
    if (settings.through) {
        const auto [i, j, k] = *settings.through;
        frame = plane_through_atoms(cell, header, *settings.through);
        plane = formatted("Plane through atoms %d, %d and %d", i, j, k);
    } else {
        const auto [h, k, l] = settings.plane.value_or(std::array<int, 3>{0, 0, 1});
        const double offset = settings.offset.value_or(0);
        frame = miller_plane(cell, {h, k, l}, offset);
        plane = formatted("Plane (%d %d %d) at %.3f Angstrom from the origin", h, k, l, offset);
    }
    console::line(plane);
    const MeshSettings mesh{settings.repeat.value_or(std::array<int, 2>{1, 1}), settings.spacing.value_or(0)};
    const PlaneMap map = slice(header, grid, frame, mesh, settings.potential ? 1.0 : cell_volume(header));
    tell_mesh(map);
    console::line("Atoms on the plane: " + std::to_string(map.atoms.size()));
    results.write_map("SLICE", map,
                      {file_name(name) + ": " + in_picture(plane),
                       settings.potential ? "potential (eV)" : "density (e/Å³)", colours_for(map), false});
}

void write_stm_image(const std::string& name, const StructureHeader& header, const DensityGrid& grid,
                     const Settings& settings, Results& results)
{
    const SlabTop top = slab_top(header);
    console::line(formatted("Top atom: %d, at %.3f Angstrom along the normal, %.3f Angstrom of vacuum above", top.atom,
                            top.c * top.layer_height, top.gap * top.layer_height));
    const double V = cell_volume(header);
    const Cell cell = cartesian_cell(header);
    const auto cells = [&](std::size_t i) {
        return std::max(1, static_cast<int>(std::ceil(image_width / length(cell.a[i]))));
    };
    const MeshSettings mesh{settings.repeat.value_or(std::array<int, 2>{cells(0), cells(1)}),
                            settings.spacing.value_or(0)};
    PlaneMap map;
    std::string title;
    if (settings.isovalue) {
        map = constant_current_image(header, grid, mesh, *settings.isovalue, V);
        const auto [low, high] = std::ranges::minmax(map.values);
        console::line(formatted("Constant current: density %.4g e/A^3 from %.3f to %.3f Angstrom above the top atom",
                                *settings.isovalue, low, high));
        title = formatted("constant current, %.3g e/Å³", *settings.isovalue);
    } else {
        const double height = settings.height.value_or(2);
        map = constant_height_image(header, grid, mesh, height, V);
        console::line(formatted("Constant height: %.3f Angstrom above the top atom", height));
        title = formatted("constant height, %.3g Å above the top atom", height);
    }
    tell_mesh(map);
    results.write_map("STM", map,
                      {file_name(name) + ": " + title, settings.isovalue ? "height (Å)" : "density (e/Å³)",
                       picture::ColourScale::hot, true});
}

}  // namespace voxmill
