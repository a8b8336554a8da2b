#include "model.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>

#include <sys/mman.h>

#include "text/fixed_fields.hpp"

namespace voxmill {

CalcType calc_type(long count)
{
    switch (count) {
    case 1: return CalcType::NonSpinPolarized;
    case 2: return CalcType::SpinPolarized;
    case 4: return CalcType::NonCollinear;
    default: return CalcType::Unrecognised;
    }
}

std::string grid_line_text(const GridExtents& NGRID)
{
    std::string text;  // (3I5)
    for (const int extent : NGRID) fields::integer<5>(text, extent);
    return text;
}

bool is_grid_line(std::string_view record, const GridExtents& NGRID)
{
    const auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
    const char* p = record.data();
    const char* const end = p + record.size();
    for (const int extent : NGRID) {
        while (p != end && is_blank(*p)) ++p;
        const char* const digits = p;
        long value = 0;
        for (; p != end && *p >= '0' && *p <= '9' && p - digits < 10; ++p) value = value * 10 + (*p - '0');
        if (p == digits || value != extent || (p != end && !is_blank(*p))) return false;
    }
    while (p != end && is_blank(*p)) ++p;
    return p == end;
}

std::size_t point_count(const GridExtents& extents)
{
    std::size_t count = 1;
    for (const int extent : extents) {
        if (extent < 1) return 0;
        // Three 31-bit factors can exceed 64 bits: such a count saturates, and
        // no allocation of that many values can succeed.
        if (__builtin_mul_overflow(count, static_cast<std::size_t>(extent), &count))
            return std::numeric_limits<std::size_t>::max();
    }
    return count;
}

namespace {

// From this size on a grid is mapped by itself, in pages the kernel has zeroed,
// and offered transparent huge pages: a 2 MiB page costs one page fault
// instead of 512, and the reader and the writers fewer TLB misses.
constexpr std::size_t mapped_grid_bytes = std::size_t{4} << 20;

std::size_t grid_bytes(std::size_t count)
{
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(double)) throw std::bad_alloc();
    return (count == 0 ? 1 : count) * sizeof(double);
}

// Zeros either way, and not written twice before the reader fills them.
double* allocate_zeros(std::size_t bytes)
{
    if (bytes >= mapped_grid_bytes) {
        void* values = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (values == MAP_FAILED) throw std::bad_alloc();
        ::madvise(values, bytes, MADV_HUGEPAGE);  // only a hint: without it the grid is as good
        return static_cast<double*>(values);
    }
    void* values = std::calloc(bytes / sizeof(double), sizeof(double));
    if (values == nullptr) throw std::bad_alloc();
    return static_cast<double*>(values);
}

}  // namespace

void DensityGrid::Release::operator()(double* values) const
{
    if (bytes >= mapped_grid_bytes)
        ::munmap(values, bytes);
    else
        std::free(values);
}

DensityGrid::DensityGrid(const GridExtents& extents)
    : extents_(extents), size_(point_count(extents)),
      values_(allocate_zeros(grid_bytes(size_)), Release{grid_bytes(size_)})
{
}

FaultedAhead::FaultedAhead(DensityGrid& grid)
{
    const std::size_t bytes = grid_bytes(grid.size());
    if (bytes < mapped_grid_bytes) return;
    // Only a hint: where the kernel cannot, the reader faults the pages in itself.
    helper_ = std::jthread([values = grid.data(), bytes] { ::madvise(values, bytes, MADV_POPULATE_WRITE); });
}

void DensitySums::add(std::span<const double> CHG, std::span<const double> SPN)
{
    // In locals, which the stores through the spans cannot touch, so that they stay in registers.
    double sum_charge = charge, sum_spin = spin, sum_up = up, sum_down = down;
    for (std::size_t p = 0; p < CHG.size(); ++p) {
        sum_charge += CHG[p];
        sum_spin += SPN[p];
        sum_up += CHG[p] + SPN[p];
        sum_down += CHG[p] - SPN[p];
    }
    charge = sum_charge;
    spin = sum_spin;
    up = sum_up;
    down = sum_down;
    points += CHG.size();
}

void DensitySums::add_without_spin(std::span<const double> CHG)
{
    constexpr std::size_t piece = 1 << 16;
    const std::vector<double> zeros(std::min(piece, CHG.size()));
    for (std::size_t first = 0; first < CHG.size(); first += piece) {
        const std::size_t count = std::min(piece, CHG.size() - first);
        add(CHG.subspan(first, count), {zeros.data(), count});
    }
}

void add_second_component(std::span<double> m, std::span<const double> m2)
{
    for (std::size_t p = 0; p < m.size(); ++p) m[p] = m[p] * m[p] + m2[p] * m2[p];
}

void add_third_component(std::span<double> m, std::span<const double> m3)
{
    for (std::size_t p = 0; p < m.size(); ++p) m[p] = std::sqrt(m[p] + m3[p] * m3[p]);
}

double triple_product(const std::array<Vector3, 3>& A)
{
    const Vector3& a1 = A[0];
    const Vector3& a2 = A[1];
    const Vector3& a3 = A[2];
    return (a1[0] * (a2[1] * a3[2] - a2[2] * a3[1]) + a1[1] * (a2[2] * a3[0] - a2[0] * a3[2]))
           + a1[2] * (a2[0] * a3[1] - a2[1] * a3[0]);
}

double cell_volume(const StructureHeader& header)
{
    const double s = header.SCALE;
    return ((triple_product(header.A) * s) * s) * s;
}

Vector3 cartesian(const Vector3& f, const StructureHeader& header)
{
    Vector3 r;
    for (int c = 0; c < 3; ++c)
        r[c] = ((f[0] * header.A[0][c] + f[1] * header.A[1][c]) + f[2] * header.A[2][c]) * header.SCALE;
    return r;
}

Vector3 fractional(const Vector3& r, const std::array<Vector3, 3>& A)
{
    const double D = triple_product(A);
    return {dot(r, cross(A[1], A[2])) / D, dot(r, cross(A[2], A[0])) / D, dot(r, cross(A[0], A[1])) / D};
}

}  // namespace voxmill
