// The structure part: the layout by how line 6 begins, species from the species line or
// from POTCAR, counts, positions and grid, and the files refused.
#include "formats/chgcar_header.hpp"

#include <gtest/gtest.h>

#include "formats/potcar.hpp"
#include "support/failure_of.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

// Reads CHGCAR holding `text` as a run does, the old layout's species given:
// what the header holds, or the failure.
std::string read(const std::string& text, const std::vector<std::string>& potcar = {"X", "Y", "Z"})
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
    std::string far, coordinates;  // of 500 atoms
    for (int k = 0; k < 500; ++k) far += " 0 0 0\n", coordinates += " 0 0 0 |";
    const std::pair<std::string, std::string> cases[] = {
        {cell + "   Fe   O\n  1 2\nDirect\n 0 0 0\n 0.5 0.5 0.5 extra\n 1.5 -2 1e1\n\n    2    1    1\n",
         "1" + head + " Fe*1 O*2 = 2 3 | 0 0 0 | 0.5 0.5 0.5 | 1.5 -2 10 | 2 1 1 at line 13"},
        // the old layout by a digit where line 6 begins; no empty line before the grid
        {cell + "Si" + std::string(40, ' ') + "7\n 1\nDirect\n 0 0 0\n\n 1 1 2\n", "1" + head + " Si*1 = 1 1 | 0 0 0 | 1 1 2 at line 11"},
        {cell + std::string(39, ' ') + "1 1 1\nDirect\n 0 0 0\n 0 0 0\n 0 0 0\n 4 5\n 6 in any spacing\n",
         "0" + head + " X*1 Y*1 Z*1 = 3 3 | 0 0 0 | 0 0 0 | 0 0 0 | 4 5 6 at line 12"},
        {cell + "Si\n 0\nDirect\n\n    1    1    1\n", "1" + head + " Si*0 = 1 0 | 1 1 1 at line 10"},
        // selective dynamics and its flags; Cartesian positions in units of the scale factor
        {cell + "Si\n 1\nselective\nDirect\n 0.5 0 0 T T F\n\n 1 1 1\n", "1" + head + " Si*1 = 1 1 | 0.5 0 0 | 1 1 1 at line 12"},
        {cell + "Si\n 1\nkartesian\n 2 2.25 -1\n\n 1 1 1\n", "1" + head + " Si*1 = 1 1 | 0.5 0.5 0.25 | 1 1 1 at line 11"},
        {cell + "Si\n 1\nDirect\n 0 0 0\n\n", "CHGCAR:10: no density block: expected a line of three grid dimensions after the atom positions"},
        {cell + "A B\n 250 250\nDirect\n" + far + "\n 1 1 1\n",
         "1" + head + " A*250 B*250 = 2 500 |" + coordinates + " 1 1 1 at line 510"},
        {cell + "A B\n 250 251\nDirect\n" + far + "\n 1 1 1\n", "CHGCAR has 501 atoms; at most 500 are supported"},
        {cell + "Fe O\n 1 -2\n", "CHGCAR:7: expected the number of atoms of species 2, found -2"},
        {cell + "Si\n 1\nDirect\n 0 0 0\n\n 3 0 2\n", "CHGCAR:11: expected grid dimensions of at least 1, found 3 0 2"},
        {cell + "Si\n 1\nDirect\n 0 0 0\n\n -3 2 2\n", "CHGCAR:11: expected grid dimensions of at least 1, found -3 2 2"},
    };
    for (const auto& [text, header] : cases) EXPECT_EQ(read(text), header) << text.substr(cell.size(), 40);
    const std::string old = cell + "99*0 1\nDirect\n 0 0 0\n\n 1 1 1\n";  // species from POTCAR
    EXPECT_EQ(read(old, std::vector<std::string>(100, "X")).substr(0, 2), "0 ");
    EXPECT_EQ(read(old, std::vector<std::string>(101, "X")), "CHGCAR has 101 species; at most 100 are supported");
}

TEST(SpeciesLabels, FromTheSpeciesLineOrPotcar)
{
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {"   Fe   O", {"Fe", "O"}}, {"Fe, O", {"Fe", "O"}}, {"Fe-pv", {"Fe", "pv"}}, {"Fe_pv O_h", {"Fe_pv", "O_h"}},
        {"Fe/O", {"Fe"}}, {"  Mg_pv/f474ac0d  Si/79d9987ad87" + std::string(30, ' ') + "Fe/", {"Mg_pv", "Si", "Fe"}}, {std::string(36, ' ') + "Abcdef Xe", {"Abcd"}}, {"", {}},
        {"Na!Cl?K:Br;I=F+H*He~Li#Be%B&C(N)O<P>S.Ar",
         {"Na", "Cl", "K", "Br", "I", "F", "H", "He", "Li", "Be", "B", "C", "N", "O", "P", "S", "Ar"}},
    };
    for (const auto& [line, labels] : lines) EXPECT_EQ(specchg(line), labels) << '"' << line << '"';
    // A group of four items begins on a new line and may run over several;
    // the TITEL line that completes the LEXCH group gives no label.
    ScratchDir dir;
    dir.write("POTCAR", "   VRHFIN =Fe: d7 s1\n   TITEL  = PAW_PBE Fe_pv 02Aug2007\n   POMASS =   55.847; ZVAL   =    8.000\n"
                        "   TITEL\n = PAW O\n\n   LEXCH  = PE\n   TITEL  = PAW_PBE H 15Jun2001\n   TITEL  = PAW_PBE C 08Apr2002\n");
    EXPECT_EQ(specpot((dir.path() / "POTCAR").string()), (std::vector<std::string>{"Fe_pv", "O", "C"}));
}

}  // namespace
}  // namespace voxmill::testing
