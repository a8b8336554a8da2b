#include "formats/vasp_h5.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>

#include "formats/hdf5_file.hpp"
#include "formats/vasp_h5_structure.hpp"
#include "system/failure.hpp"
#include "system/pipelined.hpp"

namespace voxmill {

namespace {

// Values are read in pieces of whole grid planes, about this many at a time.
constexpr std::size_t piece_values = std::size_t{1} << 17;

const std::string partial_charges = "results/partial_charges";

// Two buffers, taken in turn, for the pieces of a grid that is not kept, each
// starting on a cache line: into a buffer that does not, the system copies a
// file's bytes a third slower (measured).
class PieceBuffers {
public:
    explicit PieceBuffers(std::size_t values)
    {
        constexpr std::size_t line = 64;
        for (std::size_t n = 0; n < 2; ++n) {
            // Not zeroed: the reading fills them.
            std::size_t room = values * sizeof(double) + line;
            storage_[n] = std::make_unique_for_overwrite<double[]>(room / sizeof(double));
            void* start = storage_[n].get();
            buffers_[n] = {static_cast<double*>(std::align(line, values * sizeof(double), start, room)), values};
        }
    }

    // The first `count` values of the buffer of piece n.
    std::span<double> piece(std::size_t n, std::size_t count) const { return buffers_[n % 2].first(count); }

private:
    std::array<std::unique_ptr<double[]>, 2> storage_;
    std::array<std::span<double>, 2> buffers_;
};

// The indices in `numbers` (the dataset `bands` or `kpoints`) that `chosen` selects: all for 0.
std::vector<hsize_t> selected(const h5::Dataset& numbers, hsize_t extent, int chosen)
{
    numbers.expect_shape(numbers.shape() == std::vector<hsize_t>{extent},
                         "one number for each of the " + std::to_string(extent) + " in parchg");
    const std::vector<long long> values = numbers.integers();
    std::vector<hsize_t> indices;
    for (hsize_t n = 0; n < extent; ++n)
        if (chosen == 0 || values[n] == chosen) indices.push_back(n);
    if (indices.empty()) {
        std::string held;
        for (const long long value : values) held += " " + std::to_string(value);
        numbers.fail("holds no " + std::to_string(chosen) + ", only" + held);
    }
    return indices;
}

}  // namespace

// The dataset the run reads, and for each block (component) the leading
// indices of the grids that add up to it: one for a charge or a potential,
// one for each band and k-point chosen of the partial charges.
struct VaspH5Reading::Source {
    h5::File file;
    std::optional<h5::Dataset> values;
    std::vector<std::vector<std::vector<hsize_t>>> blocks;
    GridExtents NGRID{};

    explicit Source(const std::string& name) : file(name) {}

    [[noreturn]] void fail(const std::string& what) const { fail_at(file.path(), 0, what); }

    // Picks the dataset of `choice`; returns the group holding its structure,
    // or "" where it lies in the vaspout.h5 beside.
    std::string choose(const H5Choice& choice)
    {
        const bool wave = file.has("charge") || file.has("kinetic_energy_density");
        if (!wave && !file.has("results") && !file.has("intermediate"))
            fail("expected the group charge of a vaspwave.h5 or the group results of a vaspout.h5, found neither");
        const bool partial = !wave && !choice.potential;
        if ((choice.band != 0 || choice.kpoint != 0) && !partial)
            fail("--band and --kpoint select partial charges, which only a vaspout.h5 holds");
        if (choice.potential) {
            if (wave) fail("holds no potentials: the potential options read results/potential of a vaspout.h5");
            const std::string kind = choice.dataset.empty() ? "total" : choice.dataset;
            if (kind != "total" && kind != "hartree" && kind != "ionic" && kind != "xc")
                fail("--dataset=" + kind + ": a potential is one of total, hartree, ionic and xc");
            if (!file.has("results/potential/" + kind))
                fail("holds no results/potential/" + kind + ": VASP writes it with WRT_POTENTIAL = " + kind
                     + " in the INCAR");
            take(file.dataset("results/potential/" + kind), "results/potential/grid");
        } else if (wave) {
            const bool tau = choice.dataset == "tau";
            if (!tau && !choice.dataset.empty() && choice.dataset != "charge")
                fail("--dataset=" + choice.dataset + ": a vaspwave.h5 holds the densities charge and tau");
            if (tau && !file.has("kinetic_energy_density/values"))
                fail(
                    "holds no kinetic energy density (kinetic_energy_density/values): VASP writes it from version 6.5");
            take(file.dataset(tau ? "kinetic_energy_density/values" : "charge/charge"), "charge/grid");
        } else {
            if (!choice.dataset.empty())
                fail("--dataset=" + choice.dataset + ": the density options read the partial charges of a vaspout.h5");
            if (!file.has(partial_charges + "/parchg"))
                fail("holds no partial charges (" + partial_charges
                     + "/parchg): VASP writes them with LPARDH5 = .TRUE. in the INCAR; the charge density is in "
                       "vaspwave.h5");
            take_partial(choice);
        }
        if (!wave) return "results";
        return file.has("structure") ? "structure" : "";
    }

    // A charge or a potential: [components, NZ, NY, NX].
    void take(h5::Dataset dataset, const std::string& grid)
    {
        dataset.expect_shape(dataset.shape().size() == 4, "[components, NZ, NY, NX]");
        for (hsize_t c = 0; c < dataset.shape()[0]; ++c) blocks.push_back({{c}});
        take_grid(std::move(dataset), grid);
    }

    // Partial charges: [k-points, bands, spin components, NZ, NY, NX].
    void take_partial(const H5Choice& choice)
    {
        h5::Dataset parchg = file.dataset(partial_charges + "/parchg");
        const std::vector<hsize_t>& shape = parchg.shape();
        parchg.expect_shape(shape.size() == 6, "[k-points, bands, spin components, NZ, NY, NX]");
        const std::vector<hsize_t> kpoints =
            selected(file.dataset(partial_charges + "/kpoints"), shape[0], choice.kpoint);
        const std::vector<hsize_t> bands = selected(file.dataset(partial_charges + "/bands"), shape[1], choice.band);
        for (hsize_t s = 0; s < shape[2]; ++s) {
            std::vector<std::vector<hsize_t>>& terms = blocks.emplace_back();
            for (const hsize_t k : kpoints)
                for (const hsize_t b : bands) terms.push_back({k, b, s});
        }
        take_grid(std::move(parchg), partial_charges + "/grid");
    }

    // The values' last three extents as NGRID, checked against the dataset
    // `grid` ([NX, NY, NZ]) where the file has it.
    void take_grid(h5::Dataset dataset, const std::string& grid)
    {
        dataset.expect_doubles();
        dataset.expect_stored();
        const std::vector<hsize_t>& shape = dataset.shape();
        const std::size_t count = blocks.size();
        if (count != 1 && count != 2 && count != 4)
            dataset.fail("expected 1, 2 or 4 components (no spin, collinear, non-collinear), found "
                         + std::to_string(count));
        for (int axis = 0; axis < 3; ++axis) {
            const hsize_t extent = shape[shape.size() - 1 - static_cast<std::size_t>(axis)];
            if (extent < 1 || extent > static_cast<hsize_t>(std::numeric_limits<int>::max()))
                dataset.fail("expected grid dimensions from 1 to " + std::to_string(std::numeric_limits<int>::max()));
            NGRID[static_cast<std::size_t>(axis)] = static_cast<int>(extent);
        }
        if (file.has(grid)) {
            const h5::Dataset stated = file.dataset(grid);
            const std::vector<long long> N = stated.integers();
            const auto [NX, NY, NZ] = NGRID;
            if (N != std::vector<long long>{NX, NY, NZ})
                dataset.fail("expected the grid of " + grid + " as its last extents [NZ, NY, NX], found ["
                             + std::to_string(NZ) + ", " + std::to_string(NY) + ", " + std::to_string(NX) + "]");
        }
        values.emplace(std::move(dataset));
    }

    // Planes z0 to z0 + planes of `block`, summed over its grids, into `out`;
    // `term` holds a piece when there is more than one grid to add.
    void read(std::size_t block, hsize_t z0, hsize_t planes, std::span<double> out, std::vector<double>& term) const
    {
        const auto [NX, NY, NZ] = NGRID;
        const std::vector<std::vector<hsize_t>>& grids = blocks[block];
        for (std::size_t g = 0; g < grids.size(); ++g) {
            std::vector<hsize_t> start = grids[g], count(grids[g].size(), 1);
            start.insert(start.end(), {z0, 0, 0});
            count.insert(count.end(), {planes, static_cast<hsize_t>(NY), static_cast<hsize_t>(NX)});
            if (g == 0) {
                values->read(start, count, out.data());
                continue;
            }
            term.resize(out.size());
            values->read(start, count, term.data());
            for (std::size_t p = 0; p < out.size(); ++p) out[p] += term[p];
        }
    }
};

VaspH5Reading::VaspH5Reading(const std::string& name, const H5Choice& choice, StructureHeader& header)
    : source_(std::make_unique<Source>(name))
{
    const std::string base = source_->choose(choice);
    if (!base.empty()) {
        read_h5_structure(source_->file, base, header);
    } else {
        // The structure of a vaspwave.h5 without one of its own: from the
        // vaspout.h5 beside it, or else from the one in the current directory.
        const std::filesystem::path beside = std::filesystem::path(name).parent_path() / "vaspout.h5";
        std::error_code error;
        const std::string out = std::filesystem::exists(beside, error) ? beside.string() : "vaspout.h5";
        if (!std::filesystem::exists(out, error))
            source_->fail("holds no structure (group structure), and no vaspout.h5 lies beside it to take it from");
        read_h5_structure(h5::File(out), "results", header);
    }
    header.NGRID = source_->NGRID;
    header.NBLOCKS = static_cast<int>(source_->blocks.size());
    header.snapshots = 1;
}

VaspH5Reading::~VaspH5Reading() = default;

FileDensities VaspH5Reading::read_values(Keep keep, bool with_sums, std::optional<int> plane_axis)
{
    const Source& source = *source_;
    const std::size_t blocks = source.blocks.size();
    const bool charge_read = keep != Keep::Spin || with_sums || plane_axis;
    const bool spin_read = blocks > 1 && (keep != Keep::Charge || with_sums);
    FileDensities densities;
    if (keep != Keep::Spin && !plane_axis) densities.CHG.emplace(source.NGRID);
    if (keep != Keep::Charge) densities.SPN.emplace(source.NGRID);
    if (plane_axis) densities.planes.emplace(source.NGRID, *plane_axis);

    // Pages of the grids faulted in ahead of the reading, where the file has
    // proved to hold their values.
    std::optional<FaultedAhead> charge_pages, spin_pages;
    if (source.values->stored_whole()) {
        if (densities.CHG && charge_read) charge_pages.emplace(*densities.CHG);
        if (densities.SPN && spin_read) spin_pages.emplace(*densities.SPN);
    }
    const std::size_t plane = static_cast<std::size_t>(source.NGRID[0]) * static_cast<std::size_t>(source.NGRID[1]);
    const auto NZ = static_cast<std::size_t>(source.NGRID[2]);
    const std::size_t piece_planes = std::clamp<std::size_t>(piece_values / plane, 1, NZ);
    const std::size_t pieces = (NZ + piece_planes - 1) / piece_planes;
    const std::size_t piece_size = piece_planes * plane, grid_size = plane * NZ;
    // Piece n of a grid: in the grid where it is kept, else in a buffer.
    const PieceBuffers charge_buffers(charge_read && !densities.CHG ? piece_size : 0),
        spin_buffers(spin_read && !densities.SPN ? piece_size : 0);
    const auto piece = [&](std::optional<DensityGrid>& grid, const PieceBuffers& buffers, std::size_t n) {
        const std::size_t first = n * piece_size, count = std::min(piece_size, grid_size - first);
        return grid ? grid->values().subspan(first, count) : buffers.piece(n, count);
    };
    // A magnetisation component and one grid of a sum, of the piece being read.
    std::vector<double> component, term;
    // Each piece is read while the one before is summed.
    pipelined(
        pieces,
        [&](std::size_t n) {
            const hsize_t z0 = n * piece_planes, height = std::min<hsize_t>(piece_planes, NZ - z0);
            if (charge_read) source.read(0, z0, height, piece(densities.CHG, charge_buffers, n), term);
            if (!spin_read) return;
            const std::span<double> SPN = piece(densities.SPN, spin_buffers, n);
            source.read(1, z0, height, SPN, term);
            if (blocks != 4) return;
            component.resize(SPN.size());
            source.read(2, z0, height, component, term);
            add_second_component(SPN, component);
            source.read(3, z0, height, component, term);
            add_third_component(SPN, component);
        },
        [&](std::size_t n) {
            if (!densities.planes && !with_sums) return;
            const std::span<const double> CHG = piece(densities.CHG, charge_buffers, n);
            if (densities.planes) densities.planes->add(CHG);
            if (!with_sums) return;
            if (blocks == 1)
                densities.sums.add_without_spin(CHG);
            else
                densities.sums.add(CHG, piece(densities.SPN, spin_buffers, n));
        });
    return densities;
}

}  // namespace voxmill
