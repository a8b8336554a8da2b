// Every run mode end to end through the built binary, on the bundled examples and
// on small inputs kept in inputs/: the console output, the exit status and every
// result file, byte for byte, against the files under expected/<input>/<mode>/
// (console.txt with the CPU time masked, and the result files the run must leave).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "expected_console.hpp"
#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

namespace fs = std::filesystem;

const fs::path data_dir = VOXMILL_TEST_DATA;

fs::path input(const std::string& name) { return data_dir / "inputs" / name; }

// An input file and the name it gets in the folder of the run.
struct Placed {
    std::string name;
    fs::path source;
};

using Inputs = std::vector<Placed>;

// A bundled example as it lies in its folder (old-layout brings its POTCAR).
Inputs bundled(const std::string& name)
{
    Inputs files;
    for (const auto& entry : fs::directory_iterator(example(name)))
        files.push_back({entry.path().filename().string(), entry.path()});
    return files;
}

// A full system and two fragments under the names of the help text's example.
Inputs three(const fs::path& full, const fs::path& fragment1, const fs::path& fragment2)
{
    return {{"CHGCAR", full}, {"CHGCAR1", fragment1}, {"CHGCAR2", fragment2}};
}

struct ModeCase {
    std::string expected;  // folder below expected/
    std::vector<std::string> args;
    Inputs inputs;
};

const std::vector<ModeCase>& mode_cases()
{
    const fs::path spin = example("spin/CHGCAR");
    const fs::path noncollinear = example("noncollinear/CHGCAR");
    static const std::vector<ModeCase> cases{
        {"nonspin/c", {"-c", "CHGCAR"}, bundled("nonspin")},
        {"nonspin/s", {"-s", "CHGCAR"}, bundled("nonspin")},
        {"nonspin/x", {"-x", "CHGCAR"}, bundled("nonspin")},
        {"nonspin/i", {"-i", "CHGCAR"}, bundled("nonspin")},
        {"spin/c", {"-c", "CHGCAR"}, bundled("spin")},
        {"spin/s", {"-s", "CHGCAR"}, bundled("spin")},
        {"spin/x", {"-x", "CHGCAR"}, bundled("spin")},
        {"noncollinear/c", {"-c", "CHGCAR"}, bundled("noncollinear")},
        {"noncollinear/s", {"-s", "CHGCAR"}, bundled("noncollinear")},
        {"noncollinear/x", {"-x", "CHGCAR"}, bundled("noncollinear")},
        {"old-layout/c", {"-c", "CHGCAR"}, bundled("old-layout")},
        {"old-layout/s", {"-s", "CHGCAR"}, bundled("old-layout")},
        {"old-layout/i", {"-i", "CHGCAR"}, bundled("old-layout")},
        {"left-handed/i", {"-i", "CHGCAR"}, {{"CHGCAR", input("left-handed.chgcar")}}},
        // Two non-spin-polarised fragments of the spin-polarised Fe cell.
        {"spin-fragments/dc", {"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"},
         three(spin, input("fe-origin.chgcar"), input("fe-centre.chgcar"))},
        {"spin-fragments/ds", {"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"},
         three(spin, input("fe-origin.chgcar"), input("fe-centre.chgcar"))},
        // Three copies of one file: minus its grid.
        {"spin-copies/dc", {"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"}, three(spin, spin, spin)},
        {"spin-copies/ds", {"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"}, three(spin, spin, spin)},
        {"noncollinear-copies/ds", {"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"},
         three(noncollinear, noncollinear, noncollinear)},
    };
    return cases;
}

std::set<std::string> file_names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

void place(const ScratchDir& dir, const Inputs& inputs)
{
    for (const Placed& file : inputs)
        fs::copy_file(file.source, dir.path() / file.name, fs::copy_options::overwrite_existing);
}

// Runs the case in `dir` and compares what it prints and the files it leaves
// there: exactly the inputs and the expected results.
void run_and_compare(const ModeCase& c, const ScratchDir& dir)
{
    SCOPED_TRACE(c.expected);
    place(dir, c.inputs);
    const RunResult result = run_voxmill(c.args, dir.path());
    const fs::path expected = data_dir / "expected" / c.expected;
    EXPECT_EQ(mask_cpu_time(result.out), read_file(expected / "console.txt"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);

    std::set<std::string> results = file_names(expected);
    results.erase("console.txt");
    std::set<std::string> left = results;
    for (const Placed& file : c.inputs) left.insert(file.name);
    EXPECT_EQ(file_names(dir.path()), left);
    for (const std::string& name : results) {
        if (fs::exists(dir.path() / name)) {
            EXPECT_EQ(dir.read(name), read_file(expected / name)) << name;
        }
    }
}

TEST(Modes, WriteTheExpectedConsoleAndResultFiles)
{
    for (const ModeCase& c : mode_cases()) {
        ScratchDir dir;
        run_and_compare(c, dir);
    }
}

TEST(Modes, ASecondRunOnASmallerInputLeavesOnlyItsOwnFiles)
{
    for (const ModeCase& c : mode_cases()) {
        if (c.expected != "spin/c" && c.expected != "nonspin/i") continue;
        ScratchDir dir;
        place(dir, {{"CHGCAR", input("left-handed.chgcar")}});  // a longer grid, more planes
        ASSERT_EQ(run_voxmill(c.args, dir.path()).status, 0);
        run_and_compare(c, dir);
    }
}

TEST(Modes, EveryVaspResultReadsBackAsItself)
{
    for (const auto& entry : fs::recursive_directory_iterator(data_dir / "expected")) {
        if (entry.path().extension() != ".vasp") continue;
        SCOPED_TRACE(entry.path().string());
        ScratchDir dir;
        place(dir, {{"result.vasp", entry.path()}});
        const RunResult result = run_voxmill({"-c", "result.vasp"}, dir.path());
        ASSERT_EQ(result.status, 0);
        EXPECT_NE(result.out.find(" ...result.vasp version: NEW\n ...Calculation type: non-spin polarized\n"),
                  std::string::npos);
        EXPECT_EQ(dir.read("CHGDEN.vasp"), read_file(entry.path()));
    }
}

// The reader's lines for a file in the new layout.
std::string reading(const std::string& name, const std::string& calculation)
{
    return " Reading " + name + ", please wait...\n ..." + name + " version: NEW\n ...Calculation type: " +
           calculation + "\n";
}

struct Refused {
    std::vector<std::string> args;
    Inputs inputs;
    std::string console;  // after the banner
};

TEST(Modes, RefusedRunsWriteNothingAndLeaveEarlierResults)
{
    const fs::path spin = example("spin/CHGCAR");
    const fs::path fragment = input("fe-origin.chgcar");
    const fs::path coarse = input("small-grid.chgcar");
    const std::string fragments_read =
        reading("CHGCAR1", "non-spin polarized") + reading("CHGCAR2", "non-spin polarized");
    const Refused cases[] = {
        {{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"}, three(spin, fragment, coarse),
         " Get charge density difference\n" + fragments_read + reading("CHGCAR", "spin polarized") +
             error_frame("Grid dimensions of input files differ")},
        {{"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"}, three(spin, coarse, fragment),
         " Get spin density difference\n" + fragments_read + reading("CHGCAR", "spin polarized") +
             error_frame("Grid dimensions of input files differ")},
        // The full system is read last, so both fragments are read before it is missed.
        {{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR1", fragment}, {"CHGCAR2", fragment}},
         " Get charge density difference\n" + fragments_read + " ERROR: CHGCAR does not exist!\n \n"},
        // Densities per zero volume would be undefined: refused after reading
        // a single file or the full system of a difference alike.
        {{"-c", "CHGCAR"}, {{"CHGCAR", input("flat-cell.chgcar")}},
         " Get charge density\n" + reading("CHGCAR", "non-spin polarized") +
             " ERROR: CHGCAR has a cell of zero volume\n \n"},
        {{"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"}, three(input("flat-cell.chgcar"), fragment, fragment),
         " Get spin density difference\n" + fragments_read + reading("CHGCAR", "non-spin polarized") +
             " ERROR: CHGCAR has a cell of zero volume\n \n"},
    };
    const std::string earlier = "result of an earlier run\n";
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.inputs.front().source.filename().string());
        ScratchDir dir;
        place(dir, c.inputs);
        dir.write("CHGDIFF.vasp", earlier);
        dir.write("SPNDIFF.vasp", earlier);
        const RunResult result = run_voxmill(c.args, dir.path());
        EXPECT_EQ(result.out, banner + c.console);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.status, 1);

        std::set<std::string> left{"CHGDIFF.vasp", "SPNDIFF.vasp"};
        for (const Placed& file : c.inputs) left.insert(file.name);
        EXPECT_EQ(file_names(dir.path()), left);
        EXPECT_EQ(dir.read("CHGDIFF.vasp"), earlier);
        EXPECT_EQ(dir.read("SPNDIFF.vasp"), earlier);
    }
}

}  // namespace
}  // namespace voxmill::testing
