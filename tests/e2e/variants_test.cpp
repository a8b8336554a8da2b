// The forms of the CHGCAR family that VASP 4 to 6 and other programs write,
// each made here from a bundled example: every variant must show and write
// exactly what the file it was made from does.
#include <gtest/gtest.h>

#include <algorithm>

#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

// `text` with line `number` (from 1) replaced by `lines`, which may be several or none.
std::string with_line(std::string text, int number, const std::string& lines)
{
    std::size_t begin = 0;
    for (int n = 1; n < number; ++n) begin = text.find('\n', begin) + 1;
    return text.replace(begin, text.find('\n', begin) + 1 - begin, lines);
}

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

RunResult run_in(const Files& inputs, const std::vector<std::string>& args, Files& left)
{
    ScratchDir dir;
    for (const auto& [name, content] : inputs) dir.write(name, content);
    RunResult result = Voxmill(args, dir.path()).wait();
    if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos) result.out.erase(at + 15, 8);
    left = files_in(dir.path());
    for (const auto& [name, content] : inputs) left.erase(name);
    return result;
}

TEST(Variants, ReadAsTheFileTheyWereMadeFrom)
{
    const std::string spin = example("spin"), nonspin = example("nonspin"), noncollinear = example("noncollinear");
    const std::string potcar = example("old-layout", "POTCAR");
    // GaAs with its second atom off the diagonal, and that atom in Cartesian
    // coordinates: 0.25 a1 + 0.5 a2 + 0.75 a3 in units of the scale factor.
    const std::string gaas = with_line(example("old-layout"), 9, "  0.250000  0.500000  0.750000\n");
    const std::string moved = with_line(spin, 10, "  0.250000  0.250000  0.250000\n");
    const struct {
        std::string what, base, variant, err = {};
        Files others = {};
    } variants[] = {
        {"grid lines as pymatgen and hand-cut files write them", spin,
         with_line(with_line(spin, 12, "   3   2   2\n"), 21, "\t3 2\t2 \n")},
        {"no empty line before the first grid line", noncollinear, with_line(noncollinear, 11, "")},
        {"species with POTCAR hashes, past column 40", nonspin,
         with_line(nonspin, 6, "   Na/0123456789abcdef0123456789abcdef01  Cl/\n")},
        {"selective dynamics", noncollinear,
         with_line(with_line(with_line(noncollinear, 10, "  0.250000  0.250000  0.250000 T T F\n"), 9,
                             "  0.000000  0.000000  0.000000 F F F\n"),
                   8, "Selective dynamics\nDirect\n")},
        {"Cartesian positions", gaas, with_line(with_line(gaas, 9, "  0.625 0.5 0.375\n"), 7, "Cartesian\n"), "",
         {{"POTCAR", potcar}}},
        {"two snapshots of a molecular-dynamics run", spin, moved.substr(0, moved.find("augmentation")) + spin,
         "voxmill: CHGCAR holds 2 snapshots; the last one is read\n"},
        {"CR LF line ends, the last one a CR alone", nonspin,
         replace_all(nonspin, "\n", "\r\n").substr(0, nonspin.size() + std::ranges::count(nonspin, '\n') - 1)},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.what);
        Files base_inputs = v.others, variant_inputs = v.others, base_results, variant_results;
        base_inputs["CHGCAR"] = v.base;
        variant_inputs["CHGCAR"] = v.variant;
        const RunResult base = run_in(base_inputs, {"-x", "CHGCAR"}, base_results);
        const RunResult variant = run_in(variant_inputs, {"-x", "CHGCAR"}, variant_results);
        ASSERT_EQ(base.status, 0) << base.err;
        EXPECT_EQ(variant.status, 0);
        EXPECT_EQ(variant.out, base.out);
        EXPECT_EQ(variant.err, v.err);
        EXPECT_EQ(variant_results, base_results);
    }
}

// Species from the POTCAR beside the input, whatever lies in the current
// directory, from a POTCAR of the newer libraries, and under a long path.
TEST(Variants, InputsFarAwayAndTheirPotcar)
{
    const std::string chgcar = example("old-layout"), potcar = example("old-layout", "POTCAR");
    Files expected;
    run_in({{"CHGCAR", chgcar}, {"POTCAR", potcar}}, {"-c", "CHGCAR"}, expected);

    const std::string far = "a folder whose name is long enough to take a path past eighty characters/run 1/";
    // Each data set as the newer libraries begin it, with SHA256 and COPYR lines.
    std::string newer;
    for (const std::string name : {"Ga_d 06Jul2010", "As 22Sep2009"})
        newer += "  PAW_PBE " + name + "\n 5.00000000000000\n parameters from PSCTR are:\n   VRHFIN =Ga: s p\n"
                 "   LEXCH  = PE\n   EATOM  =  1913.7 eV,  140.6 Ry\n\n   TITEL  = PAW_PBE " + name + "\n"
                 "   SHA256 = 9d3e0f1a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4d5e6f708192a3b4c5d6 X/POTCAR\n"
                 "   COPYR  = (c) Copyright 06Jul2010 the authors of this data set\n End of Dataset\n";
    const std::string foreign = "   TITEL  = PAW_PBE C 08Apr2002\n   TITEL  = PAW_PBE O 08Apr2002\n";
    for (const auto& [what, here] : std::map<std::string, std::string>{{"same POTCAR", potcar}, {"newer", newer}}) {
        SCOPED_TRACE(what);
        Files results;
        const RunResult run = run_in({{far + "CHGCAR", chgcar}, {far + "POTCAR", here}, {"POTCAR", foreign}},
                                     {"-c", far + "CHGCAR"}, results);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(" Species         =  Ga_d   As\n"), std::string::npos) << run.out;
        EXPECT_EQ(results.at("CHGDEN.vasp"), expected.at("CHGDEN.vasp"));
        EXPECT_EQ(results.at("CHGDEN.xsf"), expected.at("CHGDEN.xsf"));
    }
}

}  // namespace
}  // namespace voxmill::testing
