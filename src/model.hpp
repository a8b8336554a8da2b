// The in-memory form of a CHGCAR or PARCHG file: its structure part, its
// density blocks on the FFT mesh, and what the blocks mean.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace voxmill {

// Names, titles and labels are texts of this many characters.
inline constexpr std::size_t text_length = 80;

using Vector3 = std::array<double, 3>;

inline double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

using GridExtents = std::array<int, 3>;

// The structure part of one file.
struct StructureHeader {
    std::string SNAME;               // title: the first 40 characters of line 1, then 40 blanks
    double SCALE = 0.0;              // scaling factor, applied to nothing by the readers
    std::array<Vector3, 3> A{};      // A[i][j]: Cartesian component j of lattice vector i, unscaled
    int NSPEC = 0;                   // number of species
    std::vector<std::string> SPECS;  // NSPEC labels, at most 80 characters, no trailing blanks
    std::vector<int> NSATOMS;        // NSPEC atom counts
    int NATOMS = 0;                  // total number of atoms
    std::vector<Vector3> COORD;      // NATOMS positions as written, taken as fractional
    GridExtents NGRID{};             // NGX, NGY, NGZ
    int VERSION = 0;                 // 1: species line in the file; 0: species from POTCAR
    int NBLOCKS = 0;                 // grid lines of the snapshot read, the first included
    int snapshots = 1;               // structure parts in the file, each with its blocks
    // The most the scaled lattice components may be off through the rounding
    // of the file's text, in angstrom, beyond the lattice tolerance of the
    // operations: 0 for the CHGCAR family, more for a cube's voxel vectors.
    double lattice_rounding = 0.0;
};

// What the density blocks of a file mean, by how many there are.
enum class CalcType { NonSpinPolarized, SpinPolarized, NonCollinear, Unrecognised };

// The calculation type of a file with `count` density blocks.
CalcType calc_type(long count);

// The grid line as VASP writes it before every density block: NGRID as three
// right-justified fields of 5 columns.
std::string grid_line_text(const GridExtents& NGRID);

// Whether `record` is a grid line of NGRID as any writer writes it: exactly
// three integers, with blanks or tabs around them, equal to NGX, NGY and NGZ
// ("   28   28  162", "  28  28  162", "   28   28   162 "). A line of
// density values holds reals and cannot be one.
bool is_grid_line(std::string_view record, const GridExtents& NGRID);

// The number of points of a grid, 0 for extents below 1, the largest size_t
// when the count does not fit one.
std::size_t point_count(const GridExtents& extents);

// One density block on the FFT mesh: NGX x NGY x NGZ values in file order (i
// fastest, then j, then k), exactly as the file holds them (density times cell volume).
class DensityGrid {
public:
    // Allocates the grid with every value 0; throws std::bad_alloc when the
    // memory cannot be had or its size in bytes does not fit a 64-bit count.
    // A large grid takes its memory page by page as values are written, so
    // that a header claiming more values than its file holds costs little.
    explicit DensityGrid(const GridExtents& extents);

    const GridExtents& extents() const { return extents_; }
    std::size_t size() const { return size_; }
    double* data() { return values_.get(); }
    const double* data() const { return values_.get(); }
    std::span<double> values() { return {values_.get(), size_}; }
    std::span<const double> values() const { return {values_.get(), size_}; }
    double& operator[](std::size_t point) { return values_[point]; }
    double operator[](std::size_t point) const { return values_[point]; }

private:
    struct Release {
        std::size_t bytes = 0;  // the size the values were allocated with
        void operator()(double* values) const;
    };
    GridExtents extents_;
    std::size_t size_;
    std::unique_ptr<double[], Release> values_;
};

// While it lives, a helper thread faults the pages of a large grid in ahead
// of a reader that fills it front to back: the kernel zeroes each fresh page
// where it is first touched, and the second core then does that instead of
// the reader. Only for a grid whose size the file has proved, by a block of
// the same mesh read whole, since every page is taken.
class FaultedAhead {
public:
    explicit FaultedAhead(DensityGrid& grid);

private:
    std::jthread helper_;
};

// What the report tells of a file's densities: sums over its grid points of
// the charge, the magnetisation, and the charge plus and minus the
// magnetisation, each summed point by point in file order.
struct DensitySums {
    double charge = 0.0;
    double spin = 0.0;
    double up = 0.0;
    double down = 0.0;
    std::size_t points = 0;

    // Adds the points of a stretch of the charge and the same stretch of the spin.
    void add(std::span<const double> CHG, std::span<const double> SPN);
    // Adds the points of a charge whose spin is 0 everywhere, point by point as any other.
    void add_without_spin(std::span<const double> CHG);
};

// What the values of a result grid are: `name` says it in words ("Charge
// density"); a density is held as VASP's rho*V, anything else (a potential,
// in eV) as it is.
struct GridQuantity {
    std::string_view name;
    bool density = true;
};

// The length of the magnetisation vector (m1, m2, m3) at each point,
// sqrt((m1 m1 + m2 m2) + m3 m3), formed in place over its components as they
// come: first m = m1 m1 + m2 m2, then m = sqrt(m + m3 m3).
void add_second_component(std::span<double> m, std::span<const double> m2);
void add_third_component(std::span<double> m, std::span<const double> m3);

// One point of a plane profile.
struct PlaneMean {
    double height;  // above the origin, in angstrom
    double mean;    // of the plane's values: as held, or divided by the cell volume for a density
};

// A point in a plane, in angstrom.
struct PlanePoint {
    double x;
    double y;
};

// An atom that lies on a plane: its species label and its place in the plane.
struct AtomMark {
    std::string label;
    PlanePoint at;
};

// Values on a square mesh in a plane: a slice through a grid or an STM image.
// x and y are the plane's own coordinates, in angstrom.
struct PlaneMap {
    int columns = 0;                    // points along x
    int rows = 0;                       // along y
    double spacing = 0.0;               // between neighbouring points
    PlanePoint first{};                 // the point of column 0 and row 0
    std::vector<double> values;         // row by row, x fastest
    std::array<PlanePoint, 2> edges{};  // of one cell of the plane from x = y = 0, to draw its outline
    std::vector<AtomMark> atoms;        // atoms on the plane, within the mesh
};

// The signed triple product a1 . (a2 x a3) of the unscaled lattice vectors.
double triple_product(const std::array<Vector3, 3>& A);

// The cell volume in cubic angstrom: the triple product times SCALE cubed.
double cell_volume(const StructureHeader& header);

// The Cartesian position in angstrom of fractional position f:
// ((f1 a1 + f2 a2) + f3 a3) times SCALE, component by component.
Vector3 cartesian(const Vector3& f, const StructureHeader& header);

// The fractional coordinates of a Cartesian position r, in the units of the
// lattice vectors A: the f with r = f1 a1 + f2 a2 + f3 a3.
Vector3 fractional(const Vector3& r, const std::array<Vector3, 3>& A);

}  // namespace voxmill
