#include "formats/vasp_h5_structure.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "system/failure.hpp"

namespace voxmill {

namespace {

constexpr std::string_view dynamics = "intermediate/ion_dynamics";

// Only the first 40 characters of the title are kept, as of a CHGCAR's title line.
constexpr std::size_t title_columns = 40;

// The dataset `name` of the first of `groups` that has it, or none.
std::optional<h5::Dataset> first_of(const h5::File& file, std::initializer_list<std::string> groups,
                                    const std::string& name)
{
    for (const std::string& group : groups)
        if (file.has(group + "/" + name)) return file.dataset(group + "/" + name);
    return std::nullopt;
}

// The rows of three of the last step of `dataset`, whose shape is [rows, 3],
// or [steps, rows, 3] with at least one step; `rows` 0 takes any number.
std::vector<Vector3> last_step(const h5::Dataset& dataset, std::size_t rows, std::string_view expected)
{
    const std::vector<hsize_t>& shape = dataset.shape();
    const bool fits = (shape.size() == 2 || (shape.size() == 3 && shape[0] > 0)) && shape.back() == 3
                      && (rows == 0 || shape[shape.size() - 2] == rows);
    dataset.expect_shape(fits, expected);
    const std::vector<double> values = dataset.reals();
    const std::size_t count = shape[shape.size() - 2];
    std::vector<Vector3> vectors(count);
    const double* last = values.data() + values.size() - 3 * count;
    for (std::size_t r = 0; r < count; ++r) vectors[r] = {last[3 * r], last[3 * r + 1], last[3 * r + 2]};
    return vectors;
}

}  // namespace

void read_h5_structure(const h5::File& file, const std::string& base, StructureHeader& header)
{
    const std::string positions = base + "/positions";
    const bool has_cell = file.has(positions + "/lattice_vectors") && file.has(positions + "/position_ions");
    if (!has_cell && !file.has(std::string(dynamics) + "/lattice_vectors"))
        fail_at(file.path(), 0,
                "expected the structure in " + positions + " or " + std::string(dynamics) + ", found neither");
    const std::string cell = has_cell ? positions : std::string(dynamics);
    // Species, title and scale lie beside the positions, or in the input's POSCAR.
    const std::string species = file.has(positions + "/ion_types") ? positions : "input/poscar";

    const h5::Dataset types = file.dataset(species + "/ion_types");
    const h5::Dataset counts = file.dataset(species + "/number_ion_types");
    types.expect_shape(types.shape().size() == 1, "one name a species");
    header.SPECS = types.texts();
    for (std::string& label : header.SPECS) label.resize(std::min(label.size(), text_length));
    header.NSPEC = static_cast<int>(header.SPECS.size());
    counts.expect_shape(counts.shape() == std::vector<hsize_t>{header.SPECS.size()},
                        "one count for each of the " + std::to_string(header.NSPEC) + " species of " + species
                            + "/ion_types");
    long long atoms = 0;
    header.NSATOMS.clear();
    for (const long long count : counts.integers()) {
        if (count < 0 || count > std::numeric_limits<int>::max() - atoms)
            counts.fail("expected atom counts of at least 0 whose sum a 32-bit count holds");
        atoms += count;
        header.NSATOMS.push_back(static_cast<int>(count));
    }
    header.NATOMS = static_cast<int>(atoms);

    const std::optional<h5::Dataset> title = first_of(file, {positions, species}, "system");
    const std::vector<std::string> title_text = title ? title->texts() : std::vector<std::string>{};
    header.SNAME = title_text.empty() ? "" : title_text.front().substr(0, title_columns);
    header.SNAME.resize(text_length, ' ');
    const std::optional<h5::Dataset> scale = first_of(file, {positions, species}, "scale");
    const std::vector<double> scale_value = scale ? scale->reals() : std::vector<double>{1.0};
    if (scale_value.size() != 1) scale->fail("expected one scaling factor");
    header.SCALE = scale_value.front();

    const std::vector<Vector3> lattice =
        last_step(file.dataset(cell + "/lattice_vectors"), 3, "[3, 3], one row a lattice vector, or [steps, 3, 3]");
    std::copy(lattice.begin(), lattice.end(), header.A.begin());
    header.COORD = last_step(file.dataset(cell + "/position_ions"), static_cast<std::size_t>(atoms),
                             "[" + std::to_string(atoms) + ", 3] for the atoms of number_ion_types");
    // Positions are fractional unless marked Cartesian; those of the dynamics always are.
    if (has_cell && file.has(positions + "/direct_coordinates")
        && file.dataset(positions + "/direct_coordinates").integers() == std::vector<long long>{0})
        for (Vector3& position : header.COORD) position = fractional(position, header.A);
    header.VERSION = 1;
}

}  // namespace voxmill
