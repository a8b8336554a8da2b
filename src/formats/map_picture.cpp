#include "formats/map_picture.hpp"

#include "picture/map_chart.hpp"

namespace voxmill {

void write_map_picture(OutputFile& file, const PlaneMap& map, const MapLook& look)
{
    picture::MapChart chart;
    chart.title = look.title;
    chart.value_label = look.value_label;
    chart.x_label = "x (Å)";
    chart.y_label = "y (Å)";
    chart.unit = "Å";
    chart.columns = map.columns;
    chart.rows = map.rows;
    chart.first = {map.first.x, map.first.y};
    chart.spacing = map.spacing;
    chart.values = map.values;
    chart.scale = look.scale;
    chart.axes = chart.contours = !look.image;
    const auto [a, b] = map.edges;
    chart.outline = {{0, 0}, {a.x, a.y}, {a.x + b.x, a.y + b.y}, {b.x, b.y}};
    for (const AtomMark& atom : map.atoms) chart.markers.push_back({{atom.at.x, atom.at.y}, atom.label});
    file.write(picture::map_chart_png(chart));
}

}  // namespace voxmill
