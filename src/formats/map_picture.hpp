// SLICE.png and STM.png: a plane map drawn in colour, true to shape.
#pragma once

#include <string>

#include "model.hpp"
#include "picture/colour_scale.hpp"
#include "text/output_file.hpp"

namespace voxmill {

// How a map is drawn: its title, what its values are, and its look.
struct MapLook {
    std::string title;
    std::string value_label;  // with the unit: "density (e/Å³)"
    picture::ColourScale scale = picture::ColourScale::sequential;
    bool image = false;  // an STM image: no contours and a scale bar in place of axes
};

// The picture of `map`: axes x and y in angstrom, or a scale bar; the outline
// of one cell of the plane; the atoms on it, labelled.
void write_map_picture(OutputFile& file, const PlaneMap& map, const MapLook& look);

}  // namespace voxmill
