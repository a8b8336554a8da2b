// Inputs at the edges of the reading rules, each with what it must give.
#include <gtest/gtest.h>

#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

TEST(EdgeCases, GiveWhatTheRulesSay)
{
    const std::string old_layout = example("old-layout"), nonspin = example("nonspin");
    const std::string header = nonspin.substr(0, nonspin.find("    3    2    2\n"));
    const std::string small = "x\n1\n1 0 0\n0 1 0\n0 0 1\nH\n1\nD\n0 0 0\n\n";
    const struct {
        std::string what;
        Files inputs;
        std::string option, shown, err;  // `shown` stands in the console output
        Files results = {};
    } cases[] = {
        // An item a null value or a slash leaves unfilled keeps the group before's.
        {"POTCAR group of nulls", {{"CHGCAR", old_layout}, {"POTCAR", "   TITEL  = PAW_PBE Fe\n,,,,\n"}}, "-c",
         " Species         =    Fe   Fe\n", ""},
        {"POTCAR label cut by a slash",
         {{"CHGCAR", old_layout}, {"POTCAR", "   TITEL  = PAW_PBE Fe\n   TITEL  = PAW_PBE /\n"}}, "-c",
         " Species         =    Fe   Fe\n", ""},
        // The calculation type stands before the failure of a block.
        {"grid larger than its values", {{"CHGCAR", header + "   10   10   10\n 1.0\n"}}, "-c",
         " ...Calculation type: non-spin polarized\n",
         "voxmill: CHGCAR:13: unexpected end of file while reading density block 1 (1 of 1000 values read)\n"},
        // A repeat fills 64 values in a file of 58 bytes.
        {"repeat count", {{"CHGCAR", small + "    4    4    4\n64*1.0\n"}}, "-c",
         " Total charge    =    1.000   electrons\n", ""},
        // The profile divides by D (s s) s, which here differs from the report's ((D s) s) s.
        {"plane volume",
         {{"CHGCAR", "x\n  -1.74\n 7.9648 0 0\n 0.3 8.5842 0\n 0.1 -0.2 2.8507\n X\n 1\nDirect\n 0 0 0\n\n"
                     "    1    1    1\n -763.9074920218465\n"}},
         "-i", " Writing to CHGPLANE file, please wait...\n", "", {{"CHGPLANE", "   -4.960218    0.743989\n"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        for (const auto& [name, content] : c.inputs) dir.write(name, content);
        const RunResult result = Voxmill({c.option, "CHGCAR"}, dir.path()).wait();
        EXPECT_NE(result.out.find(c.shown), std::string::npos) << result.out;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.status, c.err.empty() ? 0 : 1);
        for (const auto& [name, content] : c.results) EXPECT_EQ(dir.read(name), content);
    }
}

}  // namespace
}  // namespace voxmill::testing
