// The structure header reader on small hand-written files: layouts, species
// from the species line or POTCAR, counts, positions and grid.
#include <gtest/gtest.h>

#include <filesystem>

#include "input/header_reader.hpp"
#include "support/run_binary.hpp"

namespace voxmill::testing {
namespace {

// Runs in a scratch directory, where the reader looks for POTCAR.
class HeaderReader : public ::testing::Test {
protected:
    HeaderReader() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(dir_.path()); }
    ~HeaderReader() override { std::filesystem::current_path(previous_); }

    StructureHeader read(const std::string& content)
    {
        dir_.write("CHGCAR", content);
        StructureHeader header;
        iheader("CHGCAR", header);
        return header;
    }

    ScratchDir dir_;
    std::filesystem::path previous_;
};

const std::string cell =
    "Test cell\n"
    "   1.0\n"
    "     4.0 0.0 0.0\n"
    "     0.0 4.0 0.0\n"
    "     0.0 0.0 4.0\n";

std::string block(int values)
{
    std::string text;
    for (int i = 0; i < values; ++i) text += " 0.10000000000E+01";
    return text + "\n";
}

TEST(SpeciesLine, LabelsAreRunsBetweenSeparatorsInTheFirst40Columns)
{
    const struct {
        std::string line;
        std::vector<std::string> labels;
    } cases[] = {
        {"   Fe   O", {"Fe", "O"}},
        {"Fe, O", {"Fe", "O"}},
        {"Fe-pv", {"Fe", "pv"}},
        {"Fe_pv O_h", {"Fe_pv", "O_h"}},
        {"Fe/O", {"Fe/O"}},
        {"Na!Cl?K:Br;I=F+H*He~Li#Be%B&C(N)O<P>S.Ar", {"Na", "Cl", "K", "Br", "I", "F", "H", "He", "Li", "Be", "B", "C", "N", "O", "P", "S", "Ar"}},
        {std::string(36, ' ') + "Abcdef Xe", {"Abcd"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(specchg(c.line), c.labels) << '"' << c.line << '"';
}

TEST_F(HeaderReader, ReadsTheNewLayout)
{
    const StructureHeader header = read(cell + "   Fe   O\n  1 2\nDirect\n 0 0 0\n 0.5 0.5 0.5 extra\n 1.5 -2 1e1\n\n    2    1    1\n" + block(2));
    // The rest of a new-layout header is in every result of the runs (tests/ops).
    EXPECT_EQ(header.SNAME, "Test cell" + std::string(71, ' '));
    EXPECT_EQ(header.NSATOMS, (std::vector<int>{1, 2}));
    EXPECT_EQ(header.COORD, (std::vector<Vector3>{{0, 0, 0}, {0.5, 0.5, 0.5}, {1.5, -2.0, 10.0}}));
}

TEST_F(HeaderReader, TakesSpeciesFromPotcarForTheOldLayout)
{
    dir_.write("POTCAR",
               "   VRHFIN =Fe: d7 s1\n"
               "   TITEL  = PAW_PBE Fe_pv 02Aug2007\n"
               "   POMASS =   55.847; ZVAL   =    8.000\n"
               "   TITEL\n"
               " = PAW O\n"
               "\n"
               "   LEXCH  = PE\n"
               "   TITEL  = PAW_PBE H 15Jun2001\n"
               "   TITEL  = PAW_PBE C 08Apr2002\n");
    std::string positions;
    for (int k = 0; k < 6; ++k) positions += " 0 0 0\n";
    const StructureHeader header = read(cell + "  1 2 3\nDirect\n" + positions + "\n    1    1    1\n" + block(1));
    // A group begins on a new line and may run over several; the TITEL line
    // that completes the LEXCH group gives no label.
    EXPECT_EQ(header.SPECS, (std::vector<std::string>{"Fe_pv", "O", "C"}));
    EXPECT_EQ(header.NATOMS, 6);
}

TEST_F(HeaderReader, ReadsTheGridDimensionsInAnySpacing)
{
    // Other spacing gives the dimensions, though no grid line text to count the blocks by.
    const StructureHeader spaced = read(cell + "Si\n 1\nDirect\n 0 0 0\n\n 1 1 2\n 1 2\n");
    EXPECT_EQ(spaced.NGRID, (GridExtents{1, 1, 2}));
    EXPECT_EQ(spaced.grid_line_number, 11);
}

TEST_F(HeaderReader, ReadsNoPositionsForNoAtoms)
{
    const StructureHeader header = read(cell + "Si\n 0\nDirect\nskipped line\n    1    1    1\n 5\n");
    EXPECT_EQ(header.NATOMS, 0);
    EXPECT_TRUE(header.COORD.empty());
    EXPECT_EQ(header.NGRID, (GridExtents{1, 1, 1}));
}

}  // namespace
}  // namespace voxmill::testing
