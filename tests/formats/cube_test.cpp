// Gaussian cubes: told from CHGCAR files by their first lines; written whole, byte for byte, per cubic bohr or as
// held; read into the model with their grid in CHGCAR order, as a density or as written, of every unit and kind; and
// each malformed one refused with the line and what was expected there.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <random>

#include "formats/cube.hpp"
#include "formats/elements.hpp"
#include "support/scratch.hpp"
#include "text/blank_padding.hpp"
#include "text/exponent_field.hpp"
#include "text/formatted.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill::testing {
namespace {

TEST(Elements, SymbolsOfLabelsAndNumbers)
{
    const std::pair<std::string, int> labels[] = {{"Fe_pv", 26}, {"O", 8}, {"Mn/f474ac0d", 25}, {"H1", 1}, {"Og", 118},
                                                  {"X", 0},      {"fe", 0}, {"Q_h", 0},          {"", 0}};
    for (const auto& [label, Z] : labels) EXPECT_EQ(atomic_number(label), Z) << label;
    EXPECT_EQ(element_symbol(26), "Fe");
    EXPECT_EQ(element_symbol(0), "X");
    EXPECT_EQ(element_symbol(119), "X");
}

// A cell of 2 a0 by 2 a0 by 2 a0 tilted along x, so that its volume is 8 cubic bohr exactly, on a 2 x 1 x 7 grid
// holding its point numbers; an iron atom and one whose label names no element.
TEST(CubeWriter, HeaderAndRunsAlongZPerCubicBohrOrAsHeld)
{
    const StructureHeader header{.SNAME = "Two atoms" + std::string(71, ' '), .SCALE = 2 * angstrom_per_bohr,
                                 .A = {{{1, 0, 0}, {0, 1, 0}, {0.5, 0, 1}}}, .NSPEC = 2, .SPECS = {"Fe_pv", "Q"},
                                 .NSATOMS = {1, 1}, .NATOMS = 2, .COORD = {{0.5, 0.5, 0.5}, {0, 0, 0}}, .NGRID = {2, 1, 7}};
    DensityGrid grid(header.NGRID);
    for (std::size_t p = 0; p < grid.size(); ++p) grid[p] = double(p);
    const std::string structure = "    2    0.000000    0.000000    0.000000\n    2    1.000000    0.000000    0.000000\n"
                                  "    1    0.000000    2.000000    0.000000\n    7    0.142857    0.000000    0.285714\n"
                                  "   26   26.000000    1.500000    1.000000    1.000000\n"
                                  "    0    0.000000    0.000000    0.000000    0.000000\n";
    const std::pair<GridQuantity, std::string> cases[] = {
        {{"Charge density", true},
         "Charge density in e/bohr^3\n" + structure +
             "  0.00000E+00  0.25000E+00  0.50000E+00  0.75000E+00  0.10000E+01  0.12500E+01\n  0.15000E+01\n"
             "  0.12500E+00  0.37500E+00  0.62500E+00  0.87500E+00  0.11250E+01  0.13750E+01\n  0.16250E+01\n"},
        {{"Potential", false},
         "Potential in eV, as stored\n" + structure +
             "  0.00000E+00  0.20000E+01  0.40000E+01  0.60000E+01  0.80000E+01  0.10000E+02\n  0.12000E+02\n"
             "  0.10000E+01  0.30000E+01  0.50000E+01  0.70000E+01  0.90000E+01  0.11000E+02\n  0.13000E+02\n"},
    };
    ScratchDir dir;
    for (const auto& [quantity, expected] : cases) {
        OutputFile file((dir.path() / "result.cube").string());
        write_cube(file, header, grid, quantity);
        file.commit();
        EXPECT_EQ(dir.read("result.cube"), "Two atoms\n" + expected);
    }
    // A grid gathered in pieces of x planes and of z: each run along z has its lines, in x, y, z order.
    StructureHeader large = header;
    large.NGRID = {19, 3, 13};
    DensityGrid values(large.NGRID);
    std::string runs;
    for (std::size_t p = 0; p < values.size(); ++p) values[p] = double(p) * 0.37 - 5;
    for (int x = 0; x < 19; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 13; ++z) {
                char field[exponent_field_width];
                runs.append(field, put_exponent_field_exact(field, values[x + 19 * (y + 3 * z)]));
                runs += z % 6 == 5 || z == 12 ? "\n" : "";
            }
    OutputFile file((dir.path() / "large.cube").string());
    write_cube(file, large, values, {"Potential", false});
    file.commit();
    const std::string written = dir.read("large.cube");
    EXPECT_EQ(written.substr(written.size() - runs.size()), runs);
}

// What a cube holding `text` reads as: header, grid in storage order and orbitals, or the failure.
std::string read(const std::string& text, bool density = true)
{
    std::ostringstream out;
    const std::string failure = failure_of([&] {
        TextSource source("CUBE", text);
        StructureHeader h;
        const CubeGrid cube = read_cube(source, h, density);
        out << '\'' << without_trailing_blanks(h.SNAME) << "' " << h.SCALE << " |";
        for (const auto& v : h.A) out << ' ' << v[0] << ' ' << v[1] << ' ' << v[2] << " |";
        for (std::size_t m = 0; m < h.SPECS.size(); ++m) out << ' ' << h.SPECS[m] << '*' << h.NSATOMS[m];
        out << " |";
        for (const auto& f : h.COORD) out << ' ' << f[0] << ' ' << f[1] << ' ' << f[2] << " |";
        out << ' ' << h.NGRID[0] << ' ' << h.NGRID[1] << ' ' << h.NGRID[2] << " :";
        for (const double value : cube.grid.values()) out << ' ' << value;
        for (const int orbital : cube.orbitals) out << " #" << orbital;
    });
    return failure == "no failure" ? out.str() : failure;
}

TEST(CubeReader, ReadsEveryKindAndRefusesWhatIsMalformed)
{
    // 2 x 1 x 3 points in a cell of 4 bohr by 2 by 3 (24 cubic bohr); two H and an O between them; the grid's
    // origin at (-1, 0, 0), which the atoms' fractional coordinates count from.
    const auto cube = [](const std::string& atoms, const std::string& x_line, const std::string& atom_lines,
                         const std::string& values) {
        return "Water, more or less\nSCF density\n" + atoms + "   -1.000000    0.000000    0.000000\n" + x_line +
               "    1    0.000000    2.000000    0.000000\n    3    0.000000    0.000000    1.000000\n" + atom_lines + values;
    };
    const std::string x_line = "    2    2.000000    0.000000    0.000000\n",
                      atoms = "    1    1.000000    0.000000    0.000000    0.000000\n"
                              "    1    0.000000    1.000000    1.000000    0.000000\n"
                              "    8    8.000000    3.000000    1.000000    1.500000\n",
                      values = "  0.10000E+01  0.20000E+01  0.30000E+01\n  0.40000E+01  0.50000E+01  0.60000E+01\n";
    const std::string good = cube("    3", x_line, atoms, values);
    // The header as read, the lattice in angstrom; the grid x fastest.
    const std::string h = "'Water, more or less' 1 | 2.11671 0 0 | 0 1.05835 0 | 0 0 1.58753 | H*2 O*1 | 0.25 0 0 | "
                          "0.5 0.5 0 | 1 0.5 0.5 | 2 1 3 :";
    const std::pair<std::string, std::string> cases[] = {
        {good, h + " 24 96 48 120 72 144"},
        // one line per z-run or one value per line alike; lengths in angstrom where the x count is negative
        {cube("    3", x_line, atoms, "1 2 3 4 5 6\n"), h + " 24 96 48 120 72 144"},
        {cube("    3", "   -2    2.000000    0.000000    0.000000\n", atoms, values),
         "'Water, more or less' 1 | 4 0 0 | 0 2 0 | 0 0 3 | H*2 O*1 | 0.25 0 0 | 0.5 0.5 0 | 1 0.5 0.5 | 2 1 3 : 161.96 647.84 "
         "323.92 809.8 485.88 971.76"},
        // an orbital cube, whose first orbital is read, and a line of one value per point given in full
        {cube("   -3", x_line, atoms, "    2   11   12\n 1 -1 2 -2 3 -3\n 4 -4 5 -5 6 -6\n"), h + " 24 96 48 120 72 144 #11 #12"},
        {with_line(good, 3, "    3   -1.000000    0.000000    0.000000    1\n"), h + " 24 96 48 120 72 144"},
        // malformed: cut, wrong counts, no number where one belongs
        {good.substr(0, good.find("    2    2.0")), "CUBE:3: unexpected end of file, expected the voxel count and vector along x: an integer and three reals"},
        {cube("    3", x_line, atoms, values.substr(0, 55)), "CUBE:11: unexpected end of file, expected 6 values, found 4"},
        {cube("    3", x_line, atoms, values + " 7\n"), "CUBE:12: expected 6 values, found more: \"7\""},
        {cube("    4", x_line, atoms, values), "CUBE:10: expected atom 4: its atomic number, charge and position, found \"  0.10000E+01  0.20000E+01  0.30000E+01\""},
        {with_line(good, 5, "    1    0.000000    two     0.000000\n"), "CUBE:5: expected the voxel count and vector along "
                                                                       "y: an integer and three reals, found \"    1    0.000000    two     0.000000\""},
        {cube("    3", "    0    2.000000    0.000000    0.000000\n", atoms, values), "CUBE:4: expected a voxel count along x, found 0"},
        {cube("    3", x_line, "   -1" + atoms.substr(5), values), "CUBE:7: expected atom 1: its atomic number, charge and position, found atomic number -1"},
        {cube("    3", x_line, atoms, "  0.1E+01  0.2E+01 0.5x\n"), "CUBE:10: expected a real number (value 3 of 6), found \"0.5x\""},
        {cube("   -3", x_line, atoms, "    0\n"), "CUBE:10: expected the number of orbitals, found 0"},
        {cube("    4", x_line, "", ""), "CUBE:6: unexpected end of file, expected atom 1: its atomic number, charge and position"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(read(text), expected) << text;
    EXPECT_EQ(read(good, false).substr(h.size()), " 1 4 2 5 3 6");

    // Only a cube's lines 3 to 6 hold an integer and three reals each.
    EXPECT_TRUE(looks_like_cube(good));
    EXPECT_TRUE(looks_like_cube(good.substr(0, good.find("    1    1.0"))));
    EXPECT_FALSE(looks_like_cube(good.substr(0, good.find("    3    0.0"))));
    EXPECT_FALSE(looks_like_cube(example("nonspin")));
    EXPECT_FALSE(looks_like_cube(example("old-layout")));
}

// Each value the same double as the general free-form reader makes of it, in
// the forms cube writers print and in those that only the general reader
// takes (16 digits beyond 2^53, whose digits as a double round once too
// often, among them); and random values at the precisions "%.5E" to "%.14e".
TEST(CubeReader, ValuesAsTheGeneralReaderReadsThem)
{
    std::vector<std::string> fields{"0.10000E+01",   "1.23456E-01", "-9.87654E+02", "-0.00000E+00", "1.5e-300",
                                    "1.7E+308",      "1.0E-005",     "+1.00000E+00", "1.0D+00",      "0.5",
                                    "7",             "1.23456E+22",  "1.23456E-28",  "9.99999E+99",  "1.234567890123456E+00",
                                    "4.9406564584124654E-324", "9.243589052319255E+00"};
    std::mt19937_64 random(11);
    for (int precision = 5; precision <= 14; ++precision)
        for (int n = 0; n < 200; ++n) {
            const double value = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random),
                                            std::uniform_int_distribution<int>(-90, 90)(random));
            char field[40];
            std::snprintf(field, sizeof field, n % 2 ? "%.*E" : "%.*e", precision, value);
            fields.emplace_back(field);
        }
    std::string text = "Values\nas written\n    0    0.0    0.0    0.0\n    1    1.0    0.0    0.0\n"
                       "    1    0.0    1.0    0.0\n" + formatted("%5zu    0.0    0.0    1.0\n", fields.size());
    for (const std::string& field : fields) text += " " + field + "\n";
    TextSource source("CUBE", text);
    StructureHeader header;
    const CubeGrid cube = read_cube(source, header, false);
    for (std::size_t n = 0; n < fields.size(); ++n) {
        double expected = 0;
        read_real(fields[n].data(), fields[n].data() + fields[n].size(), expected);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(cube.grid[n]), std::bit_cast<std::uint64_t>(expected)) << fields[n];
    }
}

}  // namespace
}  // namespace voxmill::testing
