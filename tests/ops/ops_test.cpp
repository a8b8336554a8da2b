// The plane sums, interpolation, slice and STM computations on grids made here.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "ops/interpolation.hpp"
#include "plane_sums.hpp"
#include "ops/slice.hpp"
#include "ops/stm.hpp"
#include "support/scratch.hpp"

namespace voxmill {
namespace {

// A header of one species with atoms at fractional `positions`.
StructureHeader header_of(const std::array<Vector3, 3>& A, const GridExtents& NGRID, std::vector<Vector3> positions)
{
    StructureHeader header;
    header.SCALE = 1.0;
    header.A = A;
    header.NGRID = NGRID;
    header.NSPEC = 1;
    header.SPECS = {"Al"};
    header.NATOMS = static_cast<int>(positions.size());
    header.NSATOMS = {header.NATOMS};
    header.COORD = std::move(positions);
    return header;
}

// A grid holding f(i, j, k) at each point.
DensityGrid grid_of(const GridExtents& N, const std::function<double(int, int, int)>& f)
{
    DensityGrid grid(N);
    std::size_t point = 0;
    for (int k = 0; k < N[2]; ++k)
        for (int j = 0; j < N[1]; ++j)
            for (int i = 0; i < N[0]; ++i) grid[point++] = f(i, j, k);
    return grid;
}

// Each plane summed alone, point by point in file order, whatever the pieces
// the grid comes in: the sums four planes or rows side by side must add in
// exactly this order, or the profiles lose their last bits.
TEST(PlaneSums, EachPlaneInFileOrderWhateverThePieces)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> spread(-1, 1);
    struct Case {
        GridExtents N;
        std::size_t planes_per_piece;
    };
    for (const auto& [N, planes_per_piece] : std::vector<Case>{
             {{5, 7, 9}, 9}, {{5, 7, 9}, 2}, {{3, 6, 13}, 4}, {{8, 1, 5}, 1}, {{1, 9, 7}, 3}, {{6, 5, 1}, 1}}) {
        // Values of many magnitudes, so that any other order of addition shows.
        const DensityGrid grid =
            grid_of(N, [&](int, int, int) { return std::ldexp(spread(random), static_cast<int>(30 * spread(random))); });
        for (int axis = 0; axis < 3; ++axis) {
            std::vector<double> expected(static_cast<std::size_t>(N[static_cast<std::size_t>(axis)]), 0.0);
            std::size_t point = 0;
            for (int k = 0; k < N[2]; ++k)
                for (int j = 0; j < N[1]; ++j)
                    for (int i = 0; i < N[0]; ++i)
                        expected[static_cast<std::size_t>(std::array{i, j, k}[axis])] += grid[point++];

            PlaneSums sums(N, axis);
            const std::size_t piece = planes_per_piece * static_cast<std::size_t>(N[0] * N[1]);
            for (std::size_t first = 0; first < grid.size(); first += piece)
                sums.add(grid.values().subspan(first, std::min(piece, grid.size() - first)));
            EXPECT_EQ(sums.sums(), expected) << N[0] << "x" << N[1] << "x" << N[2] << " along axis " << axis;
            EXPECT_EQ(sums.points_per_plane(), grid.size() / expected.size());
        }
    }
}

TEST(Interpolation, ExactAtGridPointsAndForQuadratics)
{
    const GridExtents N{7, 9, 11};
    std::mt19937 random(5);
    std::uniform_real_distribution<double> uniform(-1, 1);
    const DensityGrid noise = grid_of(N, [&](int, int, int) { return uniform(random); });
    for (int i : {0, 3, 6})
        for (int k : {0, 5, 10})
            EXPECT_EQ(tricubic_value(noise, {i / 7.0, 4 / 9.0 - 2, k / 11.0 + 1}), noise[(k * 9 + 4) * 7 + i]);

    // Quadratics in the grid coordinates, away from where the grid wraps.
    const std::vector<std::function<double(double, double, double)>> quadratics{
        [](double x, double y, double z) { return 1.5 + 0.25 * x - 2 * y + z; },
        [](double x, double y, double z) { return x * x - 3 * y * z + 0.5 * z * z; },
        [](double x, double y, double z) { return -x * y + 2 * x * z + y * y - 4; },
    };
    for (const auto& q : quadratics) {
        const DensityGrid grid = grid_of(N, [&](int i, int j, int k) { return q(i, j, k); });
        for (int n = 0; n < 50; ++n) {
            // Stencils from point 0 to point N - 1.
            const double x = 3 + 1.999 * uniform(random), y = 4 + 2.999 * uniform(random), z = 5 + 3.999 * uniform(random);
            EXPECT_NEAR(tricubic_value(grid, {x / 7, y / 9, z / 11}), q(x, y, z), 1e-12 * 100);
        }
    }
}

TEST(Slice, LatticePlaneAtGridHeightIsThatGridPlane)
{
    // Grid steps of 0.5 angstrom along all three vectors.
    const GridExtents N{8, 10, 12};
    const StructureHeader header = header_of({{{4, 0, 0}, {0, 5, 0}, {0, 0, 6}}}, N, {{0.5, 0.5, 0.25}});
    std::mt19937 random(7);
    const DensityGrid grid = grid_of(N, [&](int, int, int) { return std::uniform_real_distribution<double>(0, 9)(random); });
    const double volume = 120;
    const PlaneMap map = slice(header, grid, miller_plane(cartesian_cell(header), {0, 0, 1}, 1.5), {{1, 1}, 0.5}, volume);
    ASSERT_EQ(map.columns, 9);
    ASSERT_EQ(map.rows, 11);
    for (int row = 0; row < map.rows; ++row)
        for (int column = 0; column < map.columns; ++column)
            ASSERT_EQ(map.values[static_cast<std::size_t>(row * 9 + column)],
                      grid[static_cast<std::size_t>((3 * 10 + row % 10) * 8 + column % 8)] / volume);
    // The atom lies at height 1.5, on the plane.
    ASSERT_EQ(map.atoms.size(), 1u);
    EXPECT_NEAR(map.atoms[0].at.x, 2.0, 1e-12);
    EXPECT_NEAR(map.atoms[0].at.y, 2.5, 1e-12);
}

TEST(Slice, FrameOfLatticePlanes)
{
    // hkl, lattice; expected x axis and cell edges
    struct Case {
        std::array<int, 3> hkl;
        std::array<Vector3, 3> A;
        Vector3 x;
        std::array<Vector3, 2> edges;
    };
    const double s = std::sqrt(3.0);
    const std::vector<Case> cases{
        {{0, 0, 1}, {{{2, 0, 0}, {-1, s, 0}, {0, 0, 5}}}, {1, 0, 0}, {{{2, 0, 0}, {-1, s, 0}}}},
        {{1, 1, 0}, {{{3, 0, 0}, {0, 3, 0}, {0, 0, 3}}}, {0, 0, 1}, {{{0, 0, 3}, {3, -3, 0}}}},
        {{1, 0, 0}, {{{3, 0, 0}, {0, 3, 0}, {0, 0, 4}}}, {0, 1, 0}, {{{0, 3, 0}, {0, 0, 4}}}},
        {{1, 1, 1}, {{{3, 0, 0}, {0, 3, 0}, {0, 0, 3}}}, {2 / std::sqrt(6.0), -1 / std::sqrt(6.0), -1 / std::sqrt(6.0)},
         {{{-3, 0, 3}, {3, -3, 0}}}},
    };
    for (const Case& c : cases) {
        const PlaneFrame frame = miller_plane(cartesian_cell(header_of(c.A, {4, 4, 4}, {})), c.hkl, 0);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(frame.x_axis[i], c.x[i], 1e-12) << c.hkl[0] << c.hkl[1] << c.hkl[2];
            for (std::size_t e = 0; e < 2; ++e) EXPECT_NEAR(frame.edges[e][i], c.edges[e][i], 1e-12);
        }
    }
}

TEST(Stm, TopOfTheSlabWhicheverWayItWraps)
{
    // c of the atoms; the top atom and the gap above it
    const std::vector<std::tuple<std::vector<double>, int, double>> cases{
        {{0.4, 0.5, 0.6}, 3, 0.8},
        {{0.9, 0.95, 0.05}, 3, 0.85},
        {{0.05, 1.9, -0.05}, 1, 0.85},
        {{0.3}, 1, 1.0},
    };
    for (const auto& [c, atom, gap] : cases) {
        std::vector<Vector3> positions;
        for (double z : c) positions.push_back({0, 0, z});
        const SlabTop top = slab_top(header_of({{{3, 0, 0}, {0, 3, 0}, {0, 0, 20}}}, {4, 4, 4}, positions));
        EXPECT_EQ(top.atom, atom);
        EXPECT_NEAR(top.gap, gap, 1e-12);
        EXPECT_DOUBLE_EQ(top.layer_height, 20);
    }
}

// One atom at z = 5 angstrom in a 20 angstrom cell; the density exp(-kappa d)
// at distance d from its plane, in e/A^3, stored times the volume.
constexpr double slab_volume = 3 * 2.6 * 20, kappa = 1.2;
const StructureHeader slab = header_of({{{3, 0, 0}, {1.5, 2.6, 0}, {0, 0, 20}}}, {6, 6, 200}, {{0.0, 0.0, 0.25}});
const DensityGrid& decay()
{
    static const DensityGrid grid = grid_of(
        {6, 6, 200}, [](int, int, int k) { return slab_volume * std::exp(-kappa * std::abs(k * 0.1 - 5)); });
    return grid;
}

TEST(Stm, ConstantCurrentOnExponentialDecayIsTheAnalyticHeight)
{
    for (double height : {1.0, 2.5, 4.0}) {
        const PlaneMap map = constant_current_image(slab, decay(), {{2, 2}, 0}, std::exp(-kappa * height), slab_volume);
        ASSERT_GT(map.values.size(), 1000u);
        for (double value : map.values) ASSERT_NEAR(value, height, 2e-4);
        const PlaneMap image = constant_height_image(slab, decay(), {{1, 1}, 0}, height, slab_volume);
        for (double value : image.values) ASSERT_NEAR(value, std::exp(-kappa * height), 2e-4);
    }
}

TEST(PlaneMaps, RefusedWithTheReason)
{
    const StructureHeader line = header_of({{{4, 0, 0}, {0, 5, 0}, {0, 0, 6}}}, {8, 10, 12},
                                           {{0, 0, 0}, {0.25, 0.25, 0.25}, {0.75, 0.75, 0.75}});
    const DensityGrid grid(line.NGRID);
    const Cell cell = cartesian_cell(line);
    // The decay over half of the surface, nothing over the other half.
    const DensityGrid half =
        grid_of({6, 6, 200}, [](int i, int j, int k) { return i < 3 ? decay()[(k * 6 + j) * 6 + i] : 0; });
    const std::vector<std::pair<std::function<void()>, std::string>> cases{
        {[&] { plane_through_atoms(cell, line, {1, 2, 3}); }, "atoms 1, 2 and 3 lie on one line and span no plane"},
        {[&] { plane_through_atoms(cell, line, {1, 2, 5}); }, "there is no atom 5: the file has 3"},
        {[&] { slice(line, grid, miller_plane(cell, {0, 0, 1}, 0), {{1, 1}, 0.6}, 1); },
         "a spacing of 0.6 Angstrom is coarser than the grid's step of 0.5 Angstrom"},
        {[&] { constant_height_image(slab, decay(), {{1, 1}, 0}, 25, slab_volume); },
         "a height of 25 Angstrom above the top atom lies beyond the vacuum, which is 20 Angstrom wide"},
        {[&] { constant_current_image(slab, decay(), {{1, 1}, 0}, 2, slab_volume); },
         "the density never reaches the isovalue of 2 e/A^3 along a3: it is at most 1 e/A^3; choose a smaller one"},
        {[&] { constant_current_image(slab, decay(), {{1, 1}, 0}, 1e-7, slab_volume); },
         "the density reaches the isovalue of 1e-07 e/A^3 in the middle of the vacuum, where it is 6.144e-06 e/A^3; "
         "choose a larger one"},
        {[&] { constant_current_image(slab, half, {{1, 1}, 0}, 0.01, slab_volume); },
         "the density never reaches the isovalue of 0.01 e/A^3 along a3 at some points, "
         "the first at 0.500 a1 + 0.000 a2; choose a smaller one"},
    };
    for (const auto& [action, message] : cases) EXPECT_EQ(testing::failure_of(action), message);
}

}  // namespace
}  // namespace voxmill
