// A CHGCAR read: the structure part and the files refused; the density blocks,
// each found by the grid line before it and counted on the way, what the spin
// holds by their count, whatever is kept; the grids they go to. Then results
// written in the CHGCAR layout and XSF and the report, whole, byte for byte.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "formats/chgcar_blocks.hpp"
#include "formats/chgcar_header.hpp"
#include "formats/chgcar_writer.hpp"
#include "formats/potcar.hpp"
#include "formats/report.hpp"
#include "formats/xsf_writer.hpp"
#include "support/scratch.hpp"
#include "text/real_form.hpp"

namespace voxmill::testing {
namespace {

// What the header of CHGCAR holding `text` holds as a run reads it, the old layout's species given; or the failure.
std::string read_header(const std::string& text, const std::vector<std::string>& potcar = {"X", "Y", "Z"})
{
    TextSource source("CHGCAR", text);
    StructureHeader h;
    const std::string failure = failure_of([&] {
        read_cell(source, h);
        h.VERSION = read_layout(source);
        if (h.VERSION == 0) h.SPECS = potcar;
        read_atoms(source, h);
    });
    if (failure != "no failure") return failure;
    std::ostringstream out;
    out << h.VERSION << " '" << h.SNAME << "' " << h.SCALE << " |";
    for (const auto& v : h.A) out << ' ' << v[0] << ' ' << v[1] << ' ' << v[2] << " |";
    for (std::size_t m = 0; m < h.SPECS.size(); ++m) out << ' ' << h.SPECS[m] << '*' << h.NSATOMS[m];
    out << " = " << h.NSPEC << ' ' << h.NATOMS << " |";
    for (const auto& r : h.COORD) out << ' ' << r[0] << ' ' << r[1] << ' ' << r[2] << " |";
    out << ' ' << h.NGRID[0] << ' ' << h.NGRID[1] << ' ' << h.NGRID[2] << " at line " << source.line();
    return out.str();
}

TEST(HeaderReader, ReadsBothLayoutsAndRefusesWhatItCannotHold)
{
    const std::string cell = "A title of more than forty columns, cut there\n 1.5\n 4 0 0\n 0 4.5 0\n 0 0 -4\n";
    const std::string head = " 'A title of more than forty columns, cut " + std::string(40, ' ') + "' 1.5 | 4 0 0 | 0 4.5 0 | 0 0 -4 |";
    std::string far, coordinates;  // of 501 atoms
    for (int k = 0; k < 501; ++k) far += " 0 0 0\n", coordinates += " 0 0 0 |";
    const std::pair<std::string, std::string> cases[] = {
        {cell + "   Fe   O\n  1 2\nDirect\n 0 0 0\n 0.5 0.5 0.5 extra\n 1.5 -2 1e1\n\n    2    1    1\n",
         "1" + head + " Fe*1 O*2 = 2 3 | 0 0 0 | 0.5 0.5 0.5 | 1.5 -2 10 | 2 1 1 at line 13"},
        // the old layout by a digit where line 6 begins; no empty line before the grid
        {cell + "Si" + std::string(40, ' ') + "7\n 1\nDirect\n 0 0 0\n\n 1 1 2\n", "1" + head + " Si*1 = 1 1 | 0 0 0 | 1 1 2 at line 11"},
        {cell + std::string(39, ' ') + "1 1 1\nDirect\n 0 0 0\n 0 0 0\n 0 0 0\n\n 4 5\n 6 in any spacing\n",
         "0" + head + " X*1 Y*1 Z*1 = 3 3 | 0 0 0 | 0 0 0 | 0 0 0 | 4 5 6 at line 13"},
        {cell + "Si\n 0\nDirect\n\n    1    1    1\n", "1" + head + " Si*0 = 1 0 | 1 1 1 at line 10"},
        // selective dynamics and its flags; Cartesian positions in units of the scale factor
        {cell + "Si\n 1\nselective\nDirect\n 0.5 0 0 T T F\n\n 1 1 1\n", "1" + head + " Si*1 = 1 1 | 0.5 0 0 | 1 1 1 at line 12"},
        {cell + "Si\n 1\nkartesian\n 2 2.25 -1\n\n 1 1 1\n", "1" + head + " Si*1 = 1 1 | 0.5 0.5 0.25 | 1 1 1 at line 11"},
        {cell + "Si\n 1\nDirect\n 0 0 0\n\n", "CHGCAR:10: no density block: expected a line of three grid dimensions after the atom positions"},
        {cell + "A B\n 250 251\nDirect\n" + far + "\n 1 1 1\n", "1" + head + " A*250 B*251 = 2 501 |" + coordinates + " 1 1 1 at line 511"},
        // names for the counts of line 7, the rest ignored; any line, or none, before the grid line
        {cell + "Fe O Xe\n 1 1\nDirect\n 0 0 0\n 0 0 0\nrandom\n 1 1 2\n", "1" + head + " Fe*1 O*1 = 2 2 | 0 0 0 | 0 0 0 | 1 1 2 at line 12"},
        {cell + "Fe O\n 1 1 1\n", "CHGCAR:6: expected 3 species names, one for each atom count on line 7, found 2"},
        {cell + "Fe O\n 1 -2\n", "CHGCAR:7: expected the number of atoms of species 2, found -2"},
        {cell + "Si\n 1\nDirect\n 0 0 0\n\n -3 2 2\n", "CHGCAR:11: expected grid dimensions of at least 1, found -3 2 2"},
    };
    for (const auto& [text, header] : cases) EXPECT_EQ(read_header(text), header) << text.substr(cell.size(), 40);
    const std::string old = cell + "100*0 1\nDirect\n 0 0 0\n\n 1 1 1\n";  // 101 species from POTCAR
    EXPECT_EQ(read_header(old, std::vector<std::string>(101, "X")).substr(0, 2), "0 ");
}

TEST(SpeciesLabels, FromTheSpeciesLineOrPotcar)
{
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {"   Fe   O", {"Fe", "O"}}, {"Fe,\tO", {"Fe", "O"}}, {"Fe-pv", {"Fe-pv"}}, {"Fe_pv O_h", {"Fe_pv", "O_h"}}, {"Fe/O", {"Fe"}},
        {"  Mg_pv/f474ac0d  Si/79d9987ad87" + std::string(30, ' ') + "Fe/", {"Mg", "Si", "Fe"}},
        {"H.75/8d1c5e3a Ga_sv_GW/1f 1X/0", {"H", "Ga", "1X"}}, {std::string(36, ' ') + "Abcdef Xe", {"Abcdef", "Xe"}}, {"", {}},
    };
    for (const auto& [line, labels] : lines) EXPECT_EQ(specchg(line), labels) << '"' << line << '"';
    // A group of four items begins on a new line and may run over several;
    // the TITEL line that completes the LEXCH group gives no label.
    ScratchDir dir;
    dir.write("POTCAR", "   VRHFIN =Fe: d7 s1\n   TITEL  = PAW_PBE Fe_pv 02Aug2007\n   POMASS =   55.847; ZVAL   =    8.000\n"
                        "   TITEL\n = PAW O\n\n   LEXCH  = PE\n   TITEL  = PAW_PBE H 15Jun2001\n   TITEL  = PAW_PBE C 08Apr2002\n");
    EXPECT_EQ(specpot((dir.path() / "POTCAR").string()), (std::vector<std::string>{"Fe_pv", "O", "C"}));
}

std::string shown(std::span<const double> values)  // each in its shortest form, then a blank
{
    std::string text;
    for (char digits[32]; const double v : values) text.append(digits, std::to_chars(digits, digits + 32, v).ptr) += ' ';
    return text;
}

// What idata makes of CHGCAR holding `text`, read from just after its first grid line as the header leaves it,
// as far as kept: the charge, the spin, the sums; and the count of grid lines, with the failure if any.
std::array<std::string, 4> read_blocks(const std::string& text, Keep keep, bool with_sums, const GridExtents& extents)
{
    TextSource source("CHGCAR", text);
    StructureHeader header;
    header.NGRID = extents;
    for (std::string_view record; source.next_record(record) && !is_grid_line(record, extents);) {}
    std::array<std::string, 4> parts;
    const std::string failure = failure_of([&] {
        const FileDensities d = idata(source, header, keep, with_sums);
        if (d.CHG) parts[0] = shown(d.CHG->values());
        if (d.SPN) parts[1] = shown(d.SPN->values());
        if (with_sums) parts[2] = shown(std::array{d.sums.charge, d.sums.spin, d.sums.up, d.sums.down}) + "of " + std::to_string(d.sums.points);
    });
    parts[3] = "NBLOCKS=" + std::to_string(header.NBLOCKS) + (failure == "no failure" ? "" : ", " + failure);
    return parts;
}

TEST(BlockReader, CountsTheBlocksAndKeepsWhatIsAskedFor)
{
    const std::string g = "    2    1    1\n", while_3 = ": unexpected end of file while reading density block 3 (0 of 2 values read)";
    // A text and what comes of it with everything kept and the sums.
    std::vector<std::tuple<std::string, std::string, GridExtents>> cases = {
        {"title\n\t2  1\t1 \n 1.5 2.5\naugmentation occupancies 1 2\n 0.5 0.5\nnot a number\n 2 1 1 x\n",
         "NBLOCKS=1: 1.5 2.5 | 0 0 | 4 0 4 4 of 2", {2, 1, 1}},
        {g + " 1 2\naugmentation\n" + g + " 3 4\n", "NBLOCKS=2: 1 2 | 3 4 | 3 7 10 -4 of 2", {2, 1, 1}},
        {g + " 1 2\n" + g + " -3 /\n", "NBLOCKS=2: 1 2 | -3 0 | 3 -3 0 6 of 2", {2, 1, 1}},
        {g + " 1 2\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n", "NBLOCKS=4: 1 2 | 5 2 | 3 7 10 -4 of 2", {2, 1, 1}},
        {g + " 9 9\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n" + g + " x\n", "NBLOCKS=5: 9 9 | 5 2 | 18 7 25 11 of 2", {2, 1, 1}},
        {g + " 1 2\n" + g + " 3 4\n" + g, "NBLOCKS=3, CHGCAR:5" + while_3, {2, 1, 1}},
        {g + " 1 x\n" + g + " 3 4\n", "NBLOCKS=2, CHGCAR:2: expected a real number, found \"x\"", {2, 1, 1}},
        {g + " 1 2\n" + g + " 3 x\n", "NBLOCKS=2, CHGCAR:4: expected a real number, found \"x\"", {2, 1, 1}},
        {g + " 1 2\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0\n",
         "NBLOCKS=4, CHGCAR:8: unexpected end of file while reading density block 4 (1 of 2 values read)", {2, 1, 1}},
        // a repeat fills a block in fewer bytes than its values
        {"   3    1    1\n 3*1.5\n    3    1    1\n 3*0.5\n", "NBLOCKS=2: 1.5 1.5 1.5 | 0.5 0.5 0.5 | 4.5 1.5 6 3 of 3", {3, 1, 1}},
        // the guess at block 2, blocks as long as block 1, proved wrong by the count
        {g + " 1.0000000000000000000000000 2.00000000000000000000000\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n",
         "NBLOCKS=4: 1 2 | 5 2 | 3 7 10 -4 of 2", {2, 1, 1}},
        {g + " 1 2\n" + g + " 3 4\n" + std::string(81, ' ') + "\n" + g, "NBLOCKS=3, CHGCAR:6" + while_3, {2, 1, 1}},
        // the title of a further snapshot after the blocks: the last one is read
        {"title\n" + g + " 1 2\n" + g + " 3 4\ntitle\n", "NBLOCKS=2: 1 2 | 3 4 | 3 7 10 -4 of 2", {2, 1, 1}},
    };
    // Blocks longer than the pieces that components and an unkept spin are read in: each point meets its own values.
    for (const int blocks : {2, 4}) {
        std::string text, charge, spin;
        double sums[4] = {};
        const auto m = [](long p, int block) { return p * (2 * block + 1) % 23 - 11; };
        for (int block = 1; block <= blocks; ++block)
            for (long p = 0; p < 70000; ++p) text += (p ? "" : "70000    1    1\n") + std::to_string(m(p, block)) + (p % 5 == 4 ? "\n" : " ");
        for (long p = 0; p < 70000; ++p) {
            const double c = m(p, 1), s = blocks == 2 ? m(p, 2) : std::sqrt(double(m(p, 2) * m(p, 2) + m(p, 3) * m(p, 3) + m(p, 4) * m(p, 4)));
            charge += shown({&c, 1}), spin += shown({&s, 1});
            sums[0] += c, sums[1] += s, sums[2] += c + s, sums[3] += c - s;
        }
        cases.emplace_back(text, "NBLOCKS=" + std::to_string(blocks) + ": " + charge + "| " + spin + "| " + shown(sums) + "of 70000",
                           GridExtents{70000, 1, 1});
    }
    for (const auto& [text, outcome, extents] : cases) {
        const auto all = read_blocks(text, Keep::Both, true, extents);
        EXPECT_EQ(all[0].empty() ? all[3] : all[3] + ": " + all[0] + "| " + all[1] + "| " + all[2], outcome) << text.substr(0, 60);
        for (const Keep keep : {Keep::Charge, Keep::Spin, Keep::Both})
            for (const bool with_sums : {false, true}) {
                const std::array<std::string, 4> kept{keep != Keep::Spin ? all[0] : "", keep != Keep::Charge ? all[1] : "",
                                                      with_sums ? all[2] : "", all[3]};
                EXPECT_EQ(read_blocks(text, keep, with_sums, extents), kept) << text.substr(0, 60) << (with_sums ? ", with sums" : "");
            }
    }
}

// Grids start as zeros, whether from the heap or mapped by themselves, and hold what is stored in them.
TEST(DensityGrid, StartsAsZerosAndKeepsItsValues)
{
    for (const GridExtents& extents : {GridExtents{2, 1, 1}, GridExtents{128, 64, 64}, GridExtents{0, 5, 5}}) {
        DensityGrid grid(extents);
        ASSERT_EQ(grid.size(), point_count(extents));
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(std::exchange(grid[p], double(p)), 0.0) << extents[0] << ", point " << p;
        for (std::size_t p = 0; p < grid.size(); ++p) ASSERT_EQ(grid[p], static_cast<double>(p));
    }
    EXPECT_EQ(point_count({0, 5, 5}), 0u);
    EXPECT_EQ(point_count({2100000000, 2100000000, 2100000000}), std::numeric_limits<std::size_t>::max());
    EXPECT_THROW(DensityGrid({2100000000, 2100000000, 2100000000}), std::bad_alloc);
}

// Three atoms of two species in a skewed cell.
StructureHeader structure(const GridExtents& NGRID)
{
    return {.SNAME = "Fe3O4 on MgO(001)" + std::string(63, ' '), .SCALE = 2.5, .A = {{{2, 0, 0}, {0.5, 1.5, 0}, {0, 0, 3}}},
            .NSPEC = 2, .SPECS = {"Fe_pv", "O"}, .NSATOMS = {1, 2}, .NATOMS = 3,
            .COORD = {{0, 0, 0}, {0.5, 0.5, 0.5}, {0.25, -0.125, 1}}, .NGRID = NGRID};
}

TEST(Writers, ChgcarLayoutAndXsf)
{
    // The grid of the CHGCAR layout goes out in several pieces, whose records must stay whole.
    ScratchDir dir;
    DensityGrid large({30, 20, 25});
    std::string values;
    for (std::size_t p = 0; p < large.size(); ++p) {
        char field[real_field_width];
        values.append(field, put_real_field_exact(field, large[p] = double(p % 1000) * 0.37 - 100)) += p % 3 == 2 ? "\n" : "";
    }
    OutputFile chgcar((dir.path() / "CHGDEN.vasp").string());
    ivaspview(chgcar, structure(large.extents()), large);
    chgcar.commit();
    EXPECT_TRUE(dir.read("CHGDEN.vasp") ==
                "Fe3O4 on MgO(001)                       \n   2.50000000\n     2.000000    0.000000    0.000000\n"
                "     0.500000    1.500000    0.000000\n     0.000000    0.000000    3.000000\nFe_pv    O\n     1     2\nDirect\n"
                "  0.000000  0.000000  0.000000\n  0.500000  0.500000  0.500000\n  0.250000 -0.125000  1.000000\n \n"
                "   30   20   25\n" + values);
    // The values of XSF per cubic bohr, the cell's volume times the cube of 1.889726 as a float.
    DensityGrid small({2, 1, 2});
    const double t = 1.8897260427474976 * 2.5, volume = ((t * t) * t) * 9;
    std::copy_n(std::array{2 * volume, -volume, volume / 2, 0.0}.begin(), 4, small.data());
    OutputFile xsf((dir.path() / "CHGDEN.xsf").string());
    ixcrysden(xsf, structure(small.extents()), small);
    xsf.commit();
    const std::string lattice = "    5.000000    0.000000    0.000000\n    1.250000    3.750000    0.000000\n"
                                "    0.000000    0.000000    7.500000\n";
    EXPECT_EQ(dir.read("CHGDEN.xsf"),
              "#Fe3O4 on MgO(001)                      \n \nCRYSTAL\nPRIMVEC\n" + lattice + "PRIMCOORD\n  3 1\n"
              "Fe_     0.000000    0.000000    0.000000\n O:     3.125000    1.875000    3.750000\n"
              " O:     1.093750   -0.468750    7.500000\n \nBEGIN_BLOCK_DATAGRID_3D\n3D Density\nBEGIN_DATAGRID_3D\n"
              "    2    1    2\n    0.000000    0.000000    0.000000\n" + lattice +
              "   2.00000000000000       -1.00000000000000       0.500000000000000     \n"
              "  0.000000000000000E+000\nEND_DATAGRID_3D\nEND_BLOCK_DATAGRID_3D\n");
}

TEST(Report, AllItsLines)
{
    // A cell 40 high, `count` species, more atoms and grid points than the fields hold:
    // those figures are printed in full, a few columns wider.
    const auto with_species = [](int count) {
        StructureHeader h = structure({1000, 24, 2});
        h.A[2][2] = 40, h.NSPEC = count, h.NATOMS = 10000, h.SPECS.clear();
        for (int m = 1; m <= count; ++m) h.SPECS.push_back("E" + std::to_string(m));
        return h;
    };
    EXPECT_EQ(iinfo(with_species(17), {.charge = 34, .spin = 400000, .up = 28, .down = 40, .points = 4}),
              " \n System name     = Fe3O4 on MgO(001)\n Species         = \n"
              "    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13  E14  E15\n   E16  E17\n"
              " Number species  =   17\n Number atoms    = 10000\n Magnetization   = 100000.000   magnetons\n"
              " Total charge    =    8.500   electrons\n        ...up    =    3.500   electrons\n"
              "      ...down    =    5.000   electrons\n Scale const.    =    2.500   angstroms\n"
              " Unitcell volume = 1875.000 angstroms^3\n                    5.000  0.000  0.000\n"
              " Lattice vector  =  1.250  3.750  0.000\n                    0.000  0.000 100.000\n"
              " The FFT grid    =  1000  x   24  x    2\n \n");
    // The species names stay on the line of their label while they fit it.
    const std::pair<int, std::string> lists[] = {
        {0, " Species         = \n"}, {12, " Species         =    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12\n"},
        {13, " Species         = \n    E1   E2   E3   E4   E5   E6   E7   E8   E9  E10  E11  E12  E13\n"}};
    for (const auto& [count, lines] : lists) {
        const std::string report = iinfo(with_species(count), {.points = 1});
        const std::size_t first = report.find(" Species");
        EXPECT_EQ(report.substr(first, report.find(" Number species") - first), lines);
    }
}

}  // namespace
}  // namespace voxmill::testing
