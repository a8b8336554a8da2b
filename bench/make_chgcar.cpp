// make-chgcar NX NY NZ BLOCKS [TWIN.h5] > FILE
//
// Writes a CHGCAR as VASP writes it, for benchmarks: the new layout, four atoms
// of two species, then BLOCKS density blocks (1: non-spin-polarised, 2:
// spin-polarised, 4: non-collinear) of NX x NY x NZ values, five to a line as
// " 0.12345678901E+01" or " -.12345678901E+01". Each block is followed by the
// augmentation occupancies of every atom, and the second and later blocks are
// preceded by the line of per-atom moments. The densities are smooth: a
// background, a Gaussian about each atom and a long wave, times the cell
// volume; the magnetisation takes both signs.
//
// Values are formatted by hand into one large buffer: a 650 MB file takes
// seconds, not minutes.
//
// With TWIN.h5 it also writes the same numbers as VASP 6 writes them to
// vaspwave.h5 (where the build has HDF5): the blocks as the components of
// charge/charge, each value the double its text reads as, and the structure
// in structure/positions.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#ifdef VOXMILL_HDF5
#include <hdf5.h>
#endif

namespace {

constexpr double pi = 3.14159265358979323846;

struct Atom {
    std::array<double, 3> position;  // fractional
    double charge;                   // electrons in its Gaussian
    double width;                    // angstrom
    std::array<double, 3> moment;    // Bohr magnetons, a vector for the non-collinear blocks
};

const std::array<double, 3> cell{7.2, 7.2, 9.6};  // an orthorhombic cell, angstrom
const std::array<Atom, 4> atoms{{
    {{0.00, 0.00, 0.00}, 8.0, 0.55, {0.0, 0.0, 2.2}},
    {{0.50, 0.50, 0.50}, 8.0, 0.55, {1.1, 0.0, -1.9}},
    {{0.25, 0.25, 0.30}, 6.0, 0.45, {0.0, 0.3, 0.1}},
    {{0.75, 0.75, 0.80}, 6.0, 0.45, {-0.2, 0.0, -0.1}},
}};

// The output: one buffer written to standard output whenever it is nearly full.
class Output {
public:
    Output() : buffer_(std::size_t{8} << 20) {}
    ~Output() { flush(); }

    // Room for `size` more bytes (size is small).
    char* room(std::size_t size)
    {
        if (buffer_.size() - used_ < size) flush();
        return buffer_.data() + used_;
    }
    void advance(char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }
    void text(const std::string& text)
    {
        char* out = room(text.size());
        std::memcpy(out, text.data(), text.size());
        advance(out + text.size());
    }
    void flush()
    {
        if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, stdout) != used_) {
            std::perror("make-chgcar: writing standard output");
            std::exit(1);
        }
        used_ = 0;
    }

private:
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

constexpr std::array<double, 24> powers_of_ten = [] {
    std::array<double, 24> p{};
    double x = 1;
    for (double& q : p) {
        q = x;
        x *= 10;
    }
    return p;
}();

// 0.d1d2...dn x 10^e for |value| with n significant digits (n <= 15), rounded;
// false for a value too small or too large for a two-digit exponent.
bool decimal_form(double magnitude, int n, std::uint64_t& digits, int& exponent)
{
    if (!(magnitude >= 1e-98 && magnitude < 1e98)) return false;
    int e = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    for (;;) {
        const int shift = n - e;  // digits = magnitude * 10^shift
        const double scaled = shift >= 0 ? magnitude * (shift < 24 ? powers_of_ten[shift] : std::pow(10.0, shift))
                                         : magnitude / (-shift < 24 ? powers_of_ten[-shift] : std::pow(10.0, -shift));
        const auto rounded = static_cast<std::uint64_t>(std::llround(scaled));
        if (rounded >= static_cast<std::uint64_t>(powers_of_ten[n])) {
            ++e;
            continue;
        }
        if (rounded < static_cast<std::uint64_t>(powers_of_ten[n - 1])) {
            --e;
            continue;
        }
        digits = rounded;
        exponent = e;
        return true;
    }
}

// Writes `count` digits of `digits`, most significant first.
char* put_digits(char* out, std::uint64_t digits, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    return out + count;
}

// One field Ew.n as the Fortran runtime writes it: "0.ddd...E+xx"
// right-justified, the 0 before the point dropped when a minus sign leaves no
// column for it (E17.11: " -.12345678901E+01" after one blank). The value the
// field reads as goes to `written` where it is given.
char* put_e_field(char* out, double value, int width, int n, double* written = nullptr)
{
    std::uint64_t digits = 0;
    int exponent = 0;
    const bool nonzero = decimal_form(std::fabs(value), n, digits, exponent);
    const bool negative = nonzero && value < 0;
    const int body = n + 6;  // "0." + digits + "E+xx"
    const bool zero_before_point = !negative || body < width;
    char* p = out;
    for (int i = body + (negative && zero_before_point); i < width; ++i) *p++ = ' ';
    if (negative) *p++ = '-';
    if (zero_before_point) *p++ = '0';
    *p++ = '.';
    p = put_digits(p, nonzero ? digits : 0, n);
    if (!nonzero) exponent = 0;
    *p++ = 'E';
    *p++ = exponent < 0 ? '-' : '+';
    const int e = std::abs(exponent);
    *p++ = static_cast<char>('0' + e / 10);
    *p++ = static_cast<char>('0' + e % 10);
    if (written != nullptr) *written = std::strtod(std::string(out, p).c_str(), nullptr);
    return p;
}

// The Gaussian factor of each atom along one axis, periodic images included:
// factor[a][i] = sum over n of exp(-((i/N - x_a + n) L / w_a)^2).
std::vector<std::vector<double>> axis_factors(int N, int axis)
{
    std::vector<std::vector<double>> factors(atoms.size(), std::vector<double>(static_cast<std::size_t>(N)));
    for (std::size_t a = 0; a < atoms.size(); ++a)
        for (int i = 0; i < N; ++i) {
            double sum = 0;
            for (int n = -1; n <= 1; ++n) {
                const double d =
                    (static_cast<double>(i) / N - atoms[a].position[axis] + n) * cell[axis] / atoms[a].width;
                sum += std::exp(-d * d);
            }
            factors[a][static_cast<std::size_t>(i)] = sum;
        }
    return factors;
}

// Block 1 is the charge, blocks 2 to 4 the magnetisation: its length along z
// for two blocks, its x, y and z components for four. The values as read
// back go to `twin` where it is given.
void write_block(Output& out, const std::array<int, 3>& N, int block, int blocks, std::vector<double>* twin)
{
    const double volume = cell[0] * cell[1] * cell[2];
    const auto fx = axis_factors(N[0], 0), fy = axis_factors(N[1], 1), fz = axis_factors(N[2], 2);
    // Per atom: the weight of its Gaussian in this block (density times volume).
    std::array<double, atoms.size()> weight{};
    for (std::size_t a = 0; a < atoms.size(); ++a) {
        const Atom& atom = atoms[a];
        const double norm = volume / (std::pow(std::sqrt(pi) * atom.width, 3));
        const int component = blocks == 4 ? block - 2 : 2;
        weight[a] = norm * (block == 1 ? atom.charge : atom.moment[static_cast<std::size_t>(component)]);
    }
    const double background = block == 1 ? 0.05 * volume : 0.002 * volume;

    std::vector<double> wave_x(static_cast<std::size_t>(N[0]));
    for (int i = 0; i < N[0]; ++i) wave_x[static_cast<std::size_t>(i)] = std::cos(2 * pi * i / N[0] + block);

    constexpr int per_line = 5;
    constexpr int field = 17;  // 1X,E17.11
    int on_line = 0;
    std::array<double, atoms.size()> w{};
    for (int k = 0; k < N[2]; ++k)
        for (int j = 0; j < N[1]; ++j) {
            for (std::size_t a = 0; a < atoms.size(); ++a)
                w[a] = weight[a] * fy[a][static_cast<std::size_t>(j)] * fz[a][static_cast<std::size_t>(k)];
            const double wave_yz = std::sin(2 * pi * j / N[1]) * std::cos(2 * pi * k / N[2] - block);
            char* p = out.room(static_cast<std::size_t>(N[0]) * (field + 2) + 1);
            for (int i = 0; i < N[0]; ++i) {
                const auto ii = static_cast<std::size_t>(i);
                double value = 0;
                for (std::size_t a = 0; a < atoms.size(); ++a) value += w[a] * fx[a][ii];
                // The charge stays positive; the magnetisation's wave gives it both signs.
                value += block == 1 ? background * (1.2 + wave_x[ii] * wave_yz) : background * wave_x[ii] * wave_yz;
                *p++ = ' ';
                p = put_e_field(p, value, field, 11, twin != nullptr ? &twin->emplace_back() : nullptr);
                if (++on_line == per_line) {
                    *p++ = '\n';
                    on_line = 0;
                }
            }
            out.advance(p);
        }
    if (on_line != 0) out.text("\n");
}

// The augmentation occupancies of every atom after a block: 78 values each, as
// for a d-element, five to a line in 15 columns.
void write_augmentation(Output& out, int block)
{
    constexpr int count = 78;
    for (std::size_t a = 0; a < atoms.size(); ++a) {
        char head[64];
        std::snprintf(head, sizeof head, "augmentation occupancies%4zu%4d\n", a + 1, count);
        out.text(head);
        for (int m = 0; m < count; ++m) {
            const double value = std::sin(1.7 * m + 0.9 * static_cast<double>(a) + block) * std::pow(0.8, m % 13);
            char* p = out.room(32);
            p = put_e_field(p, value, 15, 7);
            if (m % 5 == 4 || m == count - 1) *p++ = '\n';
            out.advance(p);
        }
    }
}

// The per-atom moments before the second and later blocks: one value per atom,
// three per atom in a non-collinear file, on one line.
void write_moments(Output& out, int blocks)
{
    const std::size_t count = atoms.size() * (blocks == 4 ? 3 : 1);
    char* p = out.room(count * 20 + 1);
    for (std::size_t m = 0; m < count; ++m) p = put_e_field(p, 1.0, 20, 12);
    *p++ = '\n';
    out.advance(p);
}

std::string structure(const std::array<int, 3>& N)
{
    char text[1024];
    std::string s = "FeO rocksalt, generated for benchmarks\n   1.00000000000000\n";
    for (int i = 0; i < 3; ++i) {
        std::array<double, 3> v{};
        v[static_cast<std::size_t>(i)] = cell[static_cast<std::size_t>(i)];
        std::snprintf(text, sizeof text, " %12.6f%12.6f%12.6f\n", v[0], v[1], v[2]);
        s += text;
    }
    s += "   Fe    O\n     2     2\nDirect\n";
    for (const Atom& atom : atoms) {
        std::snprintf(text, sizeof text, "%10.6f%10.6f%10.6f\n", atom.position[0], atom.position[1], atom.position[2]);
        s += text;
    }
    std::snprintf(text, sizeof text, "\n%5d%5d%5d\n", N[0], N[1], N[2]);
    return s + text;
}

#ifdef VOXMILL_HDF5
// The twin in vaspwave.h5's layout, with the structure of structure() in
// structure/positions, written block by block.
class Twin {
public:
    Twin(const char* path, const std::array<int, 3>& N, int blocks)
        : N_(N), file_(H5Fcreate(path, H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT)), links_(H5Pcreate(H5P_LINK_CREATE))
    {
        if (file_ < 0) fail("cannot create the HDF5 file");
        H5Pset_create_intermediate_group(links_, 1);
        const auto b = static_cast<hsize_t>(blocks);
        const auto x = static_cast<hsize_t>(N[0]), y = static_cast<hsize_t>(N[1]), z = static_cast<hsize_t>(N[2]);
        space_ = H5Screate_simple(4, std::array<hsize_t, 4>{b, z, y, x}.data(), nullptr);
        charge_ = H5Dcreate2(file_, "charge/charge", H5T_IEEE_F64LE, space_, links_, H5P_DEFAULT, H5P_DEFAULT);
        put("charge/grid", H5T_NATIVE_INT, {3}, N.data());
        const hid_t label = H5Tcopy(H5T_C_S1);
        H5Tset_size(label, 2);
        H5Tset_strpad(label, H5T_STR_NULLPAD);
        put("structure/positions/ion_types", label, {2}, "FeO ");
        H5Tclose(label);
        const int counts[] = {2, 2}, direct = 1;
        put("structure/positions/number_ion_types", H5T_NATIVE_INT, {2}, counts);
        double lattice[9] = {};
        for (int i = 0; i < 3; ++i) lattice[4 * i] = cell[static_cast<std::size_t>(i)];
        put("structure/positions/lattice_vectors", H5T_NATIVE_DOUBLE, {3, 3}, lattice);
        const double scale = 1.0;
        put("structure/positions/scale", H5T_NATIVE_DOUBLE, {}, &scale);
        std::vector<double> positions;
        for (const Atom& atom : atoms) positions.insert(positions.end(), atom.position.begin(), atom.position.end());
        put("structure/positions/position_ions", H5T_NATIVE_DOUBLE, {atoms.size(), 3}, positions.data());
        put("structure/positions/direct_coordinates", H5T_NATIVE_INT, {}, &direct);
        const std::string title = "FeO rocksalt, generated for benchmarks";
        const hid_t text = H5Tcopy(H5T_C_S1);
        H5Tset_size(text, title.size());
        put("structure/positions/system", text, {}, title.data());
        H5Tclose(text);
    }
    ~Twin()
    {
        H5Dclose(charge_);
        H5Sclose(space_);
        H5Pclose(links_);
        if (H5Fclose(file_) < 0) fail("cannot write the HDF5 file");
    }

    // Block `block` (from 1) from its values in file order.
    void write(int block, const std::vector<double>& values)
    {
        const auto x = static_cast<hsize_t>(N_[0]), y = static_cast<hsize_t>(N_[1]), z = static_cast<hsize_t>(N_[2]);
        const std::array<hsize_t, 4> start{static_cast<hsize_t>(block - 1), 0, 0, 0}, count{1, z, y, x};
        const hsize_t size = values.size();
        const hid_t memory = H5Screate_simple(1, &size, nullptr);
        H5Sselect_hyperslab(space_, H5S_SELECT_SET, start.data(), nullptr, count.data(), nullptr);
        if (H5Dwrite(charge_, H5T_NATIVE_DOUBLE, memory, space_, H5P_DEFAULT, values.data()) < 0)
            fail("cannot write charge/charge");
        H5Sclose(memory);
    }

private:
    [[noreturn]] static void fail(const char* what)
    {
        std::fprintf(stderr, "make-chgcar: %s\n", what);
        std::exit(1);
    }

    void put(const char* name, hid_t type, std::vector<hsize_t> shape, const void* values)
    {
        const hid_t space = H5Screate_simple(static_cast<int>(shape.size()), shape.data(), nullptr);
        const hid_t dataset = H5Dcreate2(file_, name, type, space, links_, H5P_DEFAULT, H5P_DEFAULT);
        if (dataset < 0 || H5Dwrite(dataset, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, values) < 0) fail(name);
        H5Dclose(dataset);
        H5Sclose(space);
    }

    std::array<int, 3> N_;
    hid_t file_, links_, space_ = -1, charge_ = -1;
};
#endif

}  // namespace

int main(int argc, char** argv)
{
    const auto usage = [] {
        std::fputs("usage: make-chgcar NX NY NZ BLOCKS [TWIN.h5] > FILE   (BLOCKS: 1, 2 or 4)\n", stderr);
        return 2;
    };
    if (argc != 5 && argc != 6) return usage();
    std::array<int, 3> N{};
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i + 1], &end, 10);
        if (*end != '\0' || n < 1 || n > 99999) return usage();
        N[static_cast<std::size_t>(i)] = static_cast<int>(n);
    }
    const int blocks = std::atoi(argv[4]);
    if (blocks != 1 && blocks != 2 && blocks != 4) return usage();
#ifdef VOXMILL_HDF5
    std::optional<Twin> twin;
    if (argc == 6) twin.emplace(argv[5], N, blocks);
#else
    if (argc == 6) {
        std::fputs("make-chgcar: this build has no HDF5 for TWIN.h5\n", stderr);
        return 2;
    }
#endif
    std::vector<double> values;

    Output out;
    const std::string header = structure(N);
    for (int block = 1; block <= blocks; ++block) {
        if (block == 1)
            out.text(header);
        else {
            write_moments(out, blocks);
            out.text(header.substr(header.rfind('\n', header.size() - 2) + 1));  // the grid line
        }
        values.clear();
        write_block(out, N, block, blocks, argc == 6 ? &values : nullptr);
#ifdef VOXMILL_HDF5
        if (twin) twin->write(block, values);
#endif
        write_augmentation(out, block);
    }
    out.flush();
    if (std::fflush(stdout) != 0) {
        std::perror("make-chgcar: writing standard output");
        return 1;
    }
    return 0;
}
