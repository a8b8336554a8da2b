// The forms of the CHGCAR family that VASP 4 to 6 and other programs write, each made here from a bundled example:
// every variant must show and write exactly what the file it was made from does. Then inputs at the edges of the
// reading rules, each with what it must give.
#include <gtest/gtest.h>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

// A run on `inputs`, the CPU time left out, and the files it leaves besides them.
std::pair<RunResult, Files> run_in(const Files& inputs, const std::vector<std::string>& args)
{
    ScratchDir dir;
    for (const auto& [name, content] : inputs) dir.write(name, content);
    RunResult result = Voxmill(args, dir.path()).wait();
    if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos) result.out.erase(at + 15, 8);
    Files left = files_in(dir.path());
    for (const auto& [name, content] : inputs) left.erase(name);
    return {result, left};
}

TEST(Variants, ReadAsTheFileTheyWereMadeFrom)
{
    const std::string spin = example("spin"), nonspin = example("nonspin"), noncollinear = example("noncollinear");
    // GaAs with its second atom off the diagonal, and that atom in Cartesian
    // coordinates: 0.25 a1 + 0.5 a2 + 0.75 a3 in units of the scale factor.
    std::string crlf;
    for (const char c : nonspin) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const std::string gaas = with_line(example("old-layout"), 9, "  0.250000  0.500000  0.750000\n");
    const struct { std::string what, base, variant, err = {}; Files others = {}; } variants[] = {
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
         {{"POTCAR", example("old-layout", "POTCAR")}}},
        {"two snapshots of a molecular-dynamics run", spin,
         with_line(spin.substr(0, spin.find("augmentation")), 10, "  0.250000  0.250000  0.250000\n") + spin,
         "voxmill: CHGCAR holds 2 snapshots; the last one is read\n"},
        {"CR LF line ends, the last one a CR alone", nonspin, crlf.substr(0, crlf.size() - 1)},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.what);
        Files inputs = v.others;
        inputs["CHGCAR"] = v.base;
        const auto [base, base_results] = run_in(inputs, {"-x", "CHGCAR"});
        inputs["CHGCAR"] = v.variant;
        const auto [variant, variant_results] = run_in(inputs, {"-x", "CHGCAR"});
        ASSERT_EQ(base.status, 0) << base.err;
        EXPECT_EQ(std::tie(variant.status, variant.out, variant.err, variant_results),
                  std::tie(base.status, base.out, v.err, base_results));
    }
}

// Species from the POTCAR beside the input, whatever lies in the current
// directory, from a POTCAR of the newer libraries, and under a long path.
TEST(Variants, InputsFarAwayAndTheirPotcar)
{
    const std::string chgcar = example("old-layout"), potcar = example("old-layout", "POTCAR");
    const Files expected = run_in({{"CHGCAR", chgcar}, {"POTCAR", potcar}}, {"-c", "CHGCAR"}).second;
    const std::string far = "a folder whose name is long enough to take a path past eighty characters/run 1/";
    // Each data set as the newer libraries begin it, with SHA256 and COPYR lines.
    std::string newer;
    for (const std::string name : {"Ga_d 06Jul2010", "As 22Sep2009"})
        newer += "  PAW_PBE " + name + "\n 5.00000000000000\n parameters from PSCTR are:\n   VRHFIN =Ga: s p\n"
                 "   LEXCH  = PE\n   EATOM  =  1913.7 eV,  140.6 Ry\n\n   TITEL  = PAW_PBE " + name + "\n"
                 "   SHA256 = 9d3e0f1a2b3c4d5e6f708192a3b4c5d6e7f8091a2b3c4d5e6f708192a3b4c5d6 X/POTCAR\n"
                 "   COPYR  = (c) Copyright 06Jul2010 the authors of this data set\n End of Dataset\n";
    for (const std::string& here : {potcar, newer}) {
        SCOPED_TRACE(here.substr(0, 30));
        const auto [run, results] = run_in({{far + "CHGCAR", chgcar}, {far + "POTCAR", here},
                                            {"POTCAR", "   TITEL  = PAW_PBE C 08Apr2002\n   TITEL  = PAW_PBE O 08Apr2002\n"}},
                                           {"-c", far + "CHGCAR"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(" Species         =  Ga_d   As\n"), std::string::npos) << run.out;
        for (const char* name : {"CHGDEN.vasp", "CHGDEN.xsf"}) EXPECT_EQ(results.at(name), expected.at(name));
    }
}

TEST(EdgeCases, GiveWhatTheRulesSay)
{
    const std::string old_layout = example("old-layout"), nonspin = example("nonspin");
    // `shown` stands in the console output.
    const struct { std::string what; Files inputs; std::string option, shown, err; Files results = {}; } cases[] = {
        // An item a null value or a slash leaves unfilled keeps the group before's.
        {"POTCAR group of nulls", {{"CHGCAR", old_layout}, {"POTCAR", "   TITEL  = PAW_PBE Fe\n,,,,\n"}}, "-c",
         " Species         =    Fe   Fe\n", ""},
        {"POTCAR label cut by a slash",
         {{"CHGCAR", old_layout}, {"POTCAR", "   TITEL  = PAW_PBE Fe\n   TITEL  = PAW_PBE /\n"}}, "-c",
         " Species         =    Fe   Fe\n", ""},
        // The calculation type stands before the failure of a block.
        {"grid larger than its values", {{"CHGCAR", nonspin.substr(0, nonspin.find("    3    2    2\n")) + "   10   10   10\n 1.0\n"}},
         "-c", " ...Calculation type: non-spin polarized\n",
         "voxmill: CHGCAR:13: unexpected end of file while reading density block 1 (1 of 1000 values read)\n"},
        // A repeat fills 64 values in a file of 58 bytes.
        {"repeat count", {{"CHGCAR", "x\n1\n1 0 0\n0 1 0\n0 0 1\nH\n1\nD\n0 0 0\n\n    4    4    4\n64*1.0\n"}}, "-c",
         " Total charge    =    1.000   electrons\n", ""},
        // The profile divides by D (s s) s, which here differs from the report's ((D s) s) s.
        {"plane volume",
         {{"CHGCAR", "x\n  -1.74\n 7.9648 0 0\n 0.3 8.5842 0\n 0.1 -0.2 2.8507\n X\n 1\nDirect\n 0 0 0\n\n"
                     "    1    1    1\n -763.9074920218465\n"}},
         "-i", " Writing to CHGPLANE file, please wait...\n", "", {{"CHGPLANE", "   -4.960218    0.743989\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [result, left] = run_in(c.inputs, {c.option, "CHGCAR"});
        EXPECT_NE(result.out.find(c.shown), std::string::npos) << result.out;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.status, c.err.empty() ? 0 : 1);
        for (const auto& [name, content] : c.results) EXPECT_EQ(left.at(name), content);
    }
}

}  // namespace
}  // namespace voxmill::testing
