// Whole runs of the binary: every mode on the bundled examples and the inputs
// under inputs/, and every refused run. All a run prints is compared byte for
// byte (the CPU time masked), and so is every file it leaves, each run once in
// an empty folder and once over earlier results of every name.
#include <gtest/gtest.h>

#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

const fs::path data = VOXMILL_TEST_DATA;

std::string input(const std::string& name) { return read_file(data / "inputs" / name); }

struct Case {
    std::vector<std::string> args;
    Files inputs;
    std::string out;  // standard output, the seconds of the CPU time as "#.###"
    int status;
    Files results = {};  // written besides the inputs
};

const std::string result_names[] = {"CHGDEN.xsf", "CHGDEN.vasp", "SPNDEN.xsf",   "SPNDEN.vasp",  "CHGUP.xsf",
                                    "CHGUP.vasp", "CHGDN.xsf",   "CHGDN.vasp",   "CHGDIFF.xsf",  "CHGDIFF.vasp",
                                    "SPNDIFF.xsf", "SPNDIFF.vasp", "CHGPLANE"};

// An earlier result of a name the run writes is longer than the new one, so
// that a file not cut to its new length shows; the others must stay as they are.
void expect_run(const Case& run)
{
    for (const bool over_earlier : {false, true}) {
        SCOPED_TRACE(::testing::PrintToString(run.args) + (over_earlier ? " over earlier results" : ""));
        ScratchDir dir;
        Files before = run.inputs;
        for (const std::string& name : result_names)
            if (over_earlier) before[name] = run.results.contains(name) ? run.results.at(name) + "and more\n" : "earlier\n";
        for (const auto& [name, content] : before) dir.write(name, content);
        RunResult result = run_voxmill(run.args, dir.path());
        if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos)
            result.out.replace(at + 15, 8, "   #.###");
        EXPECT_EQ(result.out, run.out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.status, run.status);
        Files after = run.results;
        after.merge(before);
        expect_files(dir.path(), after);
    }
}

TEST(Runs, EveryModeShowsAndWritesItsExpectedFiles)
{
    const std::string spin = example("spin"), noncollinear = example("noncollinear");
    const struct {
        std::string name;  // of the folder below expected/
        Files inputs;
        std::vector<std::string> modes;
    } runs[] = {
        {"nonspin", {{"CHGCAR", example("nonspin")}}, {"c", "s", "x", "i"}},
        {"spin", {{"CHGCAR", spin}}, {"c", "s", "x"}},
        {"noncollinear", {{"CHGCAR", noncollinear}}, {"c", "s", "x"}},
        {"old-layout", {{"CHGCAR", example("old-layout")}, {"POTCAR", example("old-layout", "POTCAR")}}, {"c", "s", "i"}},
        {"left-handed", {{"CHGCAR", input("left-handed.chgcar")}}, {"i"}},
        // Two non-spin-polarised fragments of the spin-polarised Fe cell.
        {"spin-fragments", {{"CHGCAR", spin}, {"CHGCAR1", input("fe-origin.chgcar")}, {"CHGCAR2", input("fe-centre.chgcar")}},
         {"dc", "ds"}},
        // Three copies of one file: the difference is minus its grid.
        {"spin-copies", {{"CHGCAR", spin}, {"CHGCAR1", spin}, {"CHGCAR2", spin}}, {"dc", "ds"}},
        {"noncollinear-copies", {{"CHGCAR", noncollinear}, {"CHGCAR1", noncollinear}, {"CHGCAR2", noncollinear}}, {"ds"}},
    };
    for (const auto& [name, inputs, modes] : runs) {
        for (const std::string& mode : modes) {
            SCOPED_TRACE(name);
            const fs::path expected = data / "expected" / name / mode;
            Case run{{"-" + mode, "CHGCAR"}, inputs, read_file(expected / "console.txt"), 0};
            if (mode[0] == 'd') run.args.insert(run.args.end(), {"CHGCAR1", "CHGCAR2"});
            for (const auto& entry : fs::directory_iterator(expected))
                if (entry.path().filename() != "console.txt") run.results[entry.path().filename()] = read_file(entry.path());
            expect_run(run);
        }
    }
}

// The frame of a refused run, with its reason on the third line.
std::string frame(const std::string& reason)
{
    return " ::: ERROR :::\n Nothing has been done!\n " + reason + "\n Please use -h option for more information\n \n";
}

// The reader's lines for a file in the new layout.
std::string reading(const std::string& name, const std::string& calculation)
{
    return " Reading " + name + ", please wait...\n ..." + name + " version: NEW\n ...Calculation type: " + calculation + "\n";
}

// The help, and every refusal: of the command line, of inputs that do not fit
// together, of structures beyond the limits and of a cell of zero volume.
TEST(Runs, RefusedOnesShowWhyAndWriteNothing)
{
    const std::string unsupported = frame("Input argument not supported"), no_files = frame("No input file(s) specified"),
                      too_many = frame("Too many input information");
    const std::string spin = example("spin"), fragment = input("fe-origin.chgcar"), coarse = input("small-grid.chgcar"),
                      flat = input("flat-cell.chgcar");
    const std::string fragments = reading("CHGCAR1", "non-spin polarized") + reading("CHGCAR2", "non-spin polarized");
    const std::string differ = reading("CHGCAR", "spin polarized") + frame("Grid dimensions of input files differ");
    const std::string zero_volume = " ERROR: CHGCAR has a cell of zero volume\n \n";
    const std::string old_layout = example("old-layout"), read_old = banner + " Get charge density\n Reading CHGCAR, please wait...\n ...CHGCAR version: OLD\n";
    std::string many_species, many_atoms = example("nonspin");
    for (int m = 0; m < 101; ++m) many_species += "   TITEL  = PAW_PBE X 01Jan2000\n";
    many_atoms.replace(many_atoms.find("     1     1\n"), 12, "   250   251");
    const Case runs[] = {
        {{}, {}, banner + frame("No input argument(s) found"), 2},
        {{"-h"}, {}, read_file(data / "expected/help.txt"), 0},
        {{"-h", "x"}, {}, banner + too_many, 2},
        {{"CHGCAR"}, {}, banner + unsupported, 2},
        {{"-C", "CHGCAR"}, {}, banner + unsupported, 2},
        {{"--c", "CHGCAR"}, {}, banner + unsupported, 2},
        {{"-h-and-more-than-twenty-characters"}, {}, banner + unsupported, 2},
        // The option is cut at 20 characters, its trailing blanks dropped.
        {{"-c" + std::string(18, ' ') + "ignored", "missing", "extra"}, {}, banner + too_many, 2},
        {{"-c"}, {}, banner + no_files, 2},
        {{"-c", "A", "B"}, {}, banner + too_many, 2},
        {{"-ds", "A", "B"}, {}, banner + no_files, 2},
        {{"-dc", "A", "B", "C", "D"}, {}, banner + too_many, 2},
        {{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR", spin}, {"CHGCAR1", fragment}, {"CHGCAR2", coarse}},
         banner + " Get charge density difference\n" + fragments + differ, 1},
        {{"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR", spin}, {"CHGCAR1", coarse}, {"CHGCAR2", fragment}},
         banner + " Get spin density difference\n" + fragments + differ, 1},
        // The full system is read last, so both fragments are read before it is missed.
        {{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR1", fragment}, {"CHGCAR2", fragment}},
         banner + " Get charge density difference\n" + fragments + " ERROR: CHGCAR does not exist!\n \n", 1},
        // Densities per zero volume would be undefined: refused after reading
        // a single file or the full system of a difference alike.
        {{"-c", "CHGCAR"}, {{"CHGCAR", flat}},
         banner + " Get charge density\n" + reading("CHGCAR", "non-spin polarized") + zero_volume, 1},
        {{"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR", flat}, {"CHGCAR1", fragment}, {"CHGCAR2", fragment}},
         banner + " Get spin density difference\n" + fragments + reading("CHGCAR", "non-spin polarized") + zero_volume, 1},
        {{"-c", "CHGCAR"}, {{"CHGCAR", many_atoms}},
         banner + " Get charge density\n Reading CHGCAR, please wait...\n ...CHGCAR version: NEW\n"
             " ERROR: CHGCAR has 501 atoms; at most 500 are supported\n \n", 1},
        {{"-c", "CHGCAR"}, {{"CHGCAR", old_layout}, {"POTCAR", many_species}},
         read_old + " POTCAR existence: OK\n ERROR: CHGCAR has 101 species; at most 100 are supported\n \n", 1},
        {{"-c", "CHGCAR"}, {{"CHGCAR", old_layout}}, read_old + " ERROR: POTCAR does not exist!\n \n", 1},
    };
    for (const Case& run : runs) expect_run(run);
}

TEST(Runs, EveryVaspResultReadsBackAsItself)
{
    for (const auto& entry : fs::recursive_directory_iterator(data / "expected")) {
        if (entry.path().extension() != ".vasp") continue;
        SCOPED_TRACE(entry.path().string());
        ScratchDir dir;
        dir.write("result.vasp", read_file(entry.path()));
        const RunResult result = run_voxmill({"-c", "result.vasp"}, dir.path());
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find(" ...result.vasp version: NEW\n ...Calculation type: non-spin polarized\n"), std::string::npos);
        EXPECT_EQ(dir.read("CHGDEN.vasp"), read_file(entry.path()));
    }
}

}  // namespace
}  // namespace voxmill::testing
