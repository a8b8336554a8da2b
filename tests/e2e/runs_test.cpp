// Whole runs of the binary: every mode on the bundled examples and the inputs
// under inputs/, and every refused run. All a run prints is compared byte for
// byte (the CPU time masked), and so is every file it leaves, each run once in
// an empty folder and once over earlier results of every name.
#include <gtest/gtest.h>

#include <set>

#include "support/runs.hpp"

namespace voxmill::testing {
namespace {

const fs::path data = VOXMILL_TEST_DATA;

std::string input(const std::string& name) { return read_file(data / "inputs" / name); }

// A full system and two fragments under the names of the help's example.
Files three(const std::string& full, const std::string& fragment1, const std::string& fragment2)
{
    return {{"CHGCAR", full}, {"CHGCAR1", fragment1}, {"CHGCAR2", fragment2}};
}

std::string frame(const std::string& reason)  // the error frame with its reason
{
    return " ::: ERROR :::\n Nothing has been done!\n " + reason + "\n Please use -h option for more information\n \n";
}

std::string said(const std::string& what) { return "voxmill: " + what + "\n"; }  // on standard error

// A copy of `chgcar` whose first lattice vector has `x` in place of 1.000000.
std::string stretched(std::string chgcar, const std::string& x)
{
    return chgcar.replace(chgcar.find("1.000000"), 8, x);
}

TEST(Runs, EveryModeShowsAndWritesItsExpectedFiles)
{
    const std::string spin = example("spin"), noncollinear = example("noncollinear");
    // 8.6e-6 angstrom longer than the other files' first vector: still the same lattice.
    const std::string centre = stretched(input("fe-centre.chgcar"), "1.000003");
    const struct {
        std::string name;  // of the folder below expected/
        Files inputs;
        std::vector<std::string> modes;
    } runs[] = {
        {"nonspin", {{"CHGCAR", example("nonspin")}}, {"c", "s", "x", "i", "ia", "ib", "ic"}},
        {"spin", {{"CHGCAR", spin}}, {"c", "s", "x"}},
        {"noncollinear", {{"CHGCAR", noncollinear}}, {"c", "s", "x"}},
        {"old-layout", {{"CHGCAR", example("old-layout")}, {"POTCAR", example("old-layout", "POTCAR")}},
         {"c", "s", "i", "ia"}},
        {"left-handed", {{"CHGCAR", input("left-handed.chgcar")}}, {"i"}},
        // Two non-spin-polarised fragments of the spin-polarised Fe cell.
        {"spin-fragments", three(spin, input("fe-origin.chgcar"), centre), {"dc", "ds", "a"}},
        // Three copies of one file: the difference is minus its grid.
        {"spin-copies", three(spin, spin, spin), {"dc", "ds"}},
        {"noncollinear-copies", three(noncollinear, noncollinear, noncollinear), {"ds"}},
        {"slab-potential", {{"CHGCAR", example("slab-potential", "LOCPOT")}}, {"p", "pa", "pb", "pc"}},
        {"aeccar", {{"CHGCAR", example("aeccar", "AECCAR0")}, {"CHGCAR1", example("aeccar", "AECCAR2")}}, {"a"}},
    };
    for (const auto& [name, inputs, modes] : runs) {
        for (const std::string& mode : modes) {
            SCOPED_TRACE(name);
            Case run = expected_run({"-" + mode, "CHGCAR"}, inputs, data / "expected" / name / mode);
            // A difference or a sum takes the other files of its row.
            if (mode[0] == 'd' || mode == "a")
                for (int n = 1; inputs.contains("CHGCAR" + std::to_string(n)); ++n)
                    run.args.push_back("CHGCAR" + std::to_string(n));
            expect_run(run);
            // Each .vasp result is a charge density file in the new layout that reads back as itself.
            for (const auto& [file, content] : run.results) {
                if (!file.ends_with(".vasp")) continue;
                SCOPED_TRACE(file + " read back");
                ScratchDir dir;
                dir.write("result.vasp", content);
                const RunResult result = Voxmill({"-c", "result.vasp"}, dir.path()).wait();
                EXPECT_EQ(result.status, 0);
                EXPECT_NE(result.out.find(" ...result.vasp version: NEW\n ...Calculation type: non-spin polarized\n"),
                          std::string::npos);
                EXPECT_EQ(dir.read("CHGDEN.vasp"), content);
            }
        }
    }
}

// The help, and every refusal: of the command line, of inputs that do not fit
// together, of an old layout without its species and of a cell of zero volume.
TEST(Runs, RefusedOnesShowWhyAndWriteNothing)
{
    // Each refusal tells on standard error what failed. The reader's lines for a file in the new layout:
    const auto reading = [](const std::string& name, const std::string& calculation) {
        return " Reading " + name + ", please wait...\n ..." + name + " version: NEW\n ...Calculation type: "
             + calculation + "\n";
    };
    const std::string unsupported = banner + frame("Input argument not supported"),
                      no_files = banner + frame("No input file(s) specified"),
                      too_many = banner + frame("Too many input information");
    const std::vector<std::string> c{"-c", "CHGCAR"}, dc{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"},
        ds{"-ds", "CHGCAR", "CHGCAR1", "CHGCAR2"};
    const std::string spin = example("spin"), fragment = input("fe-origin.chgcar"), coarse = input("small-grid.chgcar"),
                      flat = input("flat-cell.chgcar"), old_layout = example("old-layout");
    std::string three_species;
    for (int m = 0; m < 3; ++m) three_species += "   TITEL  = PAW_PBE X 01Jan2000\n";
    // What each mode shows before it refuses.
    const std::string fragments = reading("CHGCAR1", "non-spin polarized") + reading("CHGCAR2", "non-spin polarized");
    const std::string get_c = banner + " Get charge density\n",
                      opened = " Reading CHGCAR, please wait...\n ...CHGCAR version: ";
    const std::string get_dc = banner + " Get charge density difference\n" + fragments,
                      get_ds = banner + " Get spin density difference\n" + fragments;
    const std::string get_a = banner + " Add charge densities\n" + reading("CHGCAR1", "non-spin polarized");
    const std::string grids = frame("Grid dimensions of input files differ"),
                      lattices = frame("Lattice vectors of input files differ");
    const std::string differ = reading("CHGCAR", "spin polarized") + grids;
    const std::string zero_volume =
        reading("CHGCAR", "non-spin polarized") + " ERROR: CHGCAR has a cell of zero volume\n \n";
    const std::string lattice_x = "lattices differ: component x of lattice vector 1 is ";
    const Case runs[] = {
        {{}, {}, banner + frame("No input argument(s) found"), 2, {}, said("no arguments: an option comes first, then its files")},
        {{"-h"}, {}, read_file(data / "expected/help.txt"), 0},
        {{"-h", "x"}, {}, too_many, 2, {}, said("-h takes no other argument, 1 given")},
        {{"CHGCAR"}, {}, unsupported, 2, {}, said("\"CHGCAR\" is no option: the option comes first")},
        {{"-C", "CHGCAR"}, {}, unsupported, 2, {}, said("unknown option \"-C\"")},
        {{"--c", "CHGCAR"}, {}, unsupported, 2, {}, said("unknown option \"--c\"")},
        {{"-h-and-more-than-twenty-characters"}, {}, unsupported, 2, {},
         said("unknown option \"-h-and-more-than-twenty-characters\"")},
        // The option is cut at 20 characters, its trailing blanks dropped.
        {{"-c" + std::string(18, ' ') + "ignored", "missing", "extra"}, {}, too_many, 2, {}, said("-c takes 1 file, 2 given")},
        {{"-c"}, {}, no_files, 2, {}, said("-c takes 1 file, none given")},
        {{"-c", "A", "B"}, {}, too_many, 2, {}, said("-c takes 1 file, 2 given")},
        {{"-ds", "A", "B"}, {}, no_files, 2, {}, said("-ds takes 3 files, 2 given")},
        {{"-dc", "A", "B", "C", "D"}, {}, too_many, 2, {}, said("-dc takes 3 files, 4 given")},
        {{"-a", "A"}, {}, no_files, 2, {}, said("-a takes at least 2 files, 1 given")},
        {dc, three(spin, fragment, coarse), get_dc + differ, 1, {}, said("grids differ: CHGCAR has 3 x 2 x 2 points, CHGCAR2 2 x 2 x 1")},
        {ds, three(spin, coarse, fragment), get_ds + differ, 1, {}, said("grids differ: CHGCAR has 3 x 2 x 2 points, CHGCAR1 2 x 2 x 1")},
        // A sum refuses the main file, or any other one as soon as it is read, on
        // another grid or lattice than the first: the nonspin example has the
        // spin one's grid in another cell; 1.000004 is 1.1e-5 angstrom longer.
        {{"-a", "CHGCAR", "CHGCAR1"}, {{"CHGCAR", spin}, {"CHGCAR1", coarse}}, get_a + differ, 1, {},
         said("grids differ: CHGCAR1 has 2 x 2 x 1 points, CHGCAR 3 x 2 x 2")},
        {{"-a", "CHGCAR", "CHGCAR1"}, {{"CHGCAR", example("nonspin")}, {"CHGCAR1", spin}},
         banner + " Add charge densities\n" + reading("CHGCAR1", "spin polarized")
             + reading("CHGCAR", "non-spin polarized") + lattices,
         1, {}, said(lattice_x + "2.860000 angstrom in CHGCAR1 and 4.000000 in CHGCAR, 1.1 apart (at most 1e-05 allowed)")},
        {{"-a", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR1", fragment}, {"CHGCAR2", coarse}},
         get_a + reading("CHGCAR2", "non-spin polarized") + grids, 1, {},
         said("grids differ: CHGCAR1 has 3 x 2 x 2 points, CHGCAR2 2 x 2 x 1")},
        {{"-a", "CHGCAR", "CHGCAR1", "CHGCAR2"}, {{"CHGCAR1", fragment}, {"CHGCAR2", stretched(fragment, "1.000004")}},
         get_a + reading("CHGCAR2", "non-spin polarized") + lattices, 1, {},
         said(lattice_x + "2.860000 angstrom in CHGCAR1 and 2.860011 in CHGCAR2, 1.1e-05 apart (at most 1e-05 allowed)")},
        // The full system is read last, so both fragments are read before it is missed.
        {dc, {{"CHGCAR1", fragment}, {"CHGCAR2", fragment}}, get_dc + " ERROR: CHGCAR does not exist!\n \n", 1, {},
         said("CHGCAR does not exist!")},
        // Densities per zero volume would be undefined: refused after reading
        // a single file or the full system of a difference alike.
        {c, {{"CHGCAR", flat}}, get_c + zero_volume, 1, {}, said("CHGCAR has a cell of zero volume")},
        {ds, three(flat, fragment, fragment), get_ds + zero_volume, 1, {}, said("CHGCAR has a cell of zero volume")},
        // An old layout without its POTCAR, and with a POTCAR of another file:
        // three species where the file counts two.
        {c, {{"CHGCAR", old_layout}}, get_c + opened + "OLD\n ERROR: POTCAR does not exist!\n \n", 1, {},
         said("no POTCAR for the species of CHGCAR (old layout): looked for <folder>/POTCAR")},
        {c, {{"CHGCAR", old_layout}, {"POTCAR", three_species}},
         get_c + opened + "OLD\n POTCAR existence: OK\n ERROR: POTCAR names 3 species in TITEL lines, but CHGCAR has 2\n \n",
         1, {}, said("POTCAR names 3 species in TITEL lines, but CHGCAR has 2")},
    };
    for (const Case& run : runs) expect_run(run);
}

// Long options stand anywhere after the option, or up to "--"; they choose the
// grid files, the folder they go to and the console, and change no other byte.
TEST(Runs, LongOptionsChooseWhatIsWrittenAndWhere)
{
    const fs::path c = data / "expected/nonspin/c";
    const std::string console = read_file(c / "console.txt"), unsupported = banner + frame("Input argument not supported");
    const auto without = [](std::string text, const std::string& line) { return text.erase(text.find(line), line.size()); };
    const std::string xsf_only = without(console, " Writing to VASPVIEW file, please wait...\n"),
                      vasp_only = without(console, " Writing to XCrySDen file, please wait...\n");
    const Files inputs{{"CHGCAR", example("nonspin")}}, xsf{{"CHGDEN.xsf", read_file(c / "CHGDEN.xsf")}},
        vasp{{"CHGDEN.vasp", read_file(c / "CHGDEN.vasp")}}, both{*xsf.begin(), *vasp.begin()};
    std::string dashed = console;  // of a file named "--CHGCAR"
    for (std::size_t at = 0; (at = dashed.find("CHGCAR,", at)) != std::string::npos; at += 9) dashed.insert(at, "--");
    dashed.replace(dashed.find("...CHGCAR"), 9, "...--CHGCAR");
    const Case runs[] = {
        {{"-c", "CHGCAR", "--format=vasp"}, inputs, vasp_only, 0, vasp},
        {{"-c", "--format=xsf", "CHGCAR"}, inputs, xsf_only, 0, xsf},
        {{"-c", "--format=vasp,xsf,vasp", "--", "CHGCAR"}, inputs, console, 0, both},
        {{"-c", "--", "--CHGCAR"}, {{"--CHGCAR", example("nonspin")}}, dashed, 0, both},
        {{"-c", "CHGCAR", "--quiet"}, inputs, "", 0, both},
        {{"--help"}, {}, read_file(data / "expected/help.txt"), 0},
        {{"-c", "CHGCAR", "--bogus"}, inputs, unsupported, 2, {}, said("unknown option \"--bogus\"")},
        {{"-c", "--quiet", "CHGCAR", "--bogus"}, inputs, "", 2, {}, said("unknown option \"--bogus\"")},
        {{"-i", "--format=xsf", "CHGCAR"}, inputs, unsupported, 2, {},
         said("--format does not apply to -i, only to -x, -c, -s, -dc, -ds, -a")},
        {{"-h", "--quiet"}, {}, unsupported, 2, {},
         said("--quiet does not apply to -h, only to -i, -ia, -ib, -ic, -p, -pa, -pb, -pc, -x, -c, -s, -dc, -ds, -a, "
              "-slice, -stm")},
        {{"-slice", "CHGCAR", "--plane=1,1"}, inputs, unsupported, 2, {},
         said("--plane takes three Miller indices from -24 to 24, as --plane=1,1,0, not \"1,1\"")},
        {{"-slice", "CHGCAR", "--plane=0,0,0"}, inputs, unsupported, 2, {}, said("--plane=0,0,0 is no plane")},
        {{"-stm", "CHGCAR", "--plane=1,1,1"}, inputs, unsupported, 2, {},
         said("--plane does not apply to -stm, only to -slice")},
        {{"-slice", "CHGCAR", "--through=1,0,2"}, inputs, unsupported, 2, {},
         said("--through takes three atom numbers, as --through=1,2,5, not \"1,0,2\"")},
        {{"-stm", "CHGCAR", "--isovalue=-1e-3"}, inputs, unsupported, 2, {},
         said("--isovalue takes a positive number, not \"-1e-3\"")},
        {{"-stm", "CHGCAR", "--height=2A"}, inputs, unsupported, 2, {},
         said("--height takes a number, not \"2A\"")},
        {{"-slice", "CHGCAR", "--through=1,2,3", "--offset=1"}, inputs, unsupported, 2, {},
         said("--through chooses the plane by atoms; it takes neither --plane nor --offset")},
        {{"-stm", "CHGCAR", "--isovalue=1e-3", "--height=2"}, inputs, unsupported, 2, {},
         said("--height and --isovalue ask for different images; give one of them")},
        {{"-slice", "CHGCAR", "--repeat=2,0"}, inputs, unsupported, 2, {},
         said("--repeat takes two numbers of cells from 1 to 100, as --repeat=3,3, not \"2,0\"")},
        {{"-c", "CHGCAR", "--format=xsf,pdf"}, inputs, unsupported, 2, {},
         said("--format takes a comma-separated list of xsf,vasp,cube, not \"xsf,pdf\"")},
        {{"-c", "CHGCAR", "--format"}, inputs, unsupported, 2, {}, said("--format needs a value: --format=LIST")},
        {{"-c", "CHGCAR", "--quiet=yes"}, inputs, unsupported, 2, {}, said("--quiet takes no value")},
        {{"-c", "CHGCAR", "--output-dir=out"}, inputs, banner + " Get charge density\n ERROR: out does not exist!\n \n", 1,
         {}, said("the output folder out does not exist")},
    };
    for (const Case& run : runs) expect_run(run);

    ScratchDir dir;
    dir.write("CHGCAR", example("nonspin"));
    fs::create_directory(dir.path() / "out");
    const RunResult result = Voxmill({"-x", "--output-dir=out", "CHGCAR"}, dir.path()).wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.substr(0, 500), read_file(data / "expected/nonspin/x/console.txt").substr(0, 500));
    Files split;
    for (const auto& entry : fs::directory_iterator(data / "expected/nonspin/x"))
        if (entry.path().filename() != "console.txt") split[entry.path().filename()] = read_file(entry.path());
    expect_files(dir.path() / "out", split);
    expect_files(dir.path(), {{"CHGCAR", example("nonspin")}, {"out", ""}});

    const RunResult version = Voxmill({"--version"}, dir.path()).wait();
    EXPECT_TRUE(version.out.starts_with(" voxmill " VOXMILL_VERSION "\n Compiler: ")) << version.out;
    EXPECT_NE(version.out.find("\n gzip decoder: "), std::string::npos) << version.out;
    EXPECT_NE(version.out.find("\n HDF5 files: "), std::string::npos) << version.out;
}

// The nonspin example to a cube, and that cube read for a density (written again as the same cube), for a potential
// (as written) and beside the CHGCAR it came from; the options of the spin refuse it.
TEST(Runs, CubesOutAndIn)
{
    const fs::path expected = data / "expected/cube";
    const std::string chgcar = example("nonspin"), cube = read_file(expected / "out/CHGDEN.cube");
    const struct {
        std::vector<std::string> args;
        Files inputs;
        std::string run;  // the folder below expected/cube
    } runs[] = {
        {{"-c", "CHGCAR", "--format=cube"}, {{"CHGCAR", chgcar}}, "out"},
        {{"-c", "NaCl.cube", "--format=vasp,cube"}, {{"NaCl.cube", cube}}, "in"},
        {{"-p", "NaCl.cube"}, {{"NaCl.cube", cube}}, "p"},
        {{"-a", "CHGCAR", "NaCl.cube", "--format=vasp"}, {{"CHGCAR", chgcar}, {"NaCl.cube", cube}}, "a"},
    };
    for (const auto& [args, inputs, run] : runs) {
        Case c{args, inputs, read_file(expected / run / "console.txt"), 0};
        for (const auto& entry : fs::directory_iterator(expected / run))
            if (entry.path().filename() != "console.txt") c.results[entry.path().filename()] = read_file(entry.path());
        if (run == "in") c.results["CHGDEN.cube"] = cube;
        expect_run(c);
    }
    const std::string refusal = "NaCl.cube is a Gaussian cube, which holds one grid and no spin density; -s, -x and "
                                "-ds need a CHGCAR of a spin-polarised run";
    expect_run({{"-s", "NaCl.cube"}, {{"NaCl.cube", cube}},
                banner + " Get spin density\n Reading NaCl.cube, please wait...\n ...NaCl.cube version: CUBE\n ERROR: "
                    + refusal + "\n \n",
                1, {}, said(refusal)});
}

// --macro adds a third column to a profile and --plot its picture; the first
// two columns keep their bytes. Widths that are no lengths are refused with the
// command line, windows that do not fit the planes once the file is read.
TEST(Runs, ProfilesTakeAMacroscopicAverageAndAPicture)
{
    const fs::path p = data / "expected/slab-potential/p";
    const std::string console = read_file(p / "console.txt"), profile = read_file(p / "POTPLANE");
    const std::size_t writing = console.find(" Writing to POTPLANE"), report_end = console.find(" Vacuum level");
    const std::string unsupported = banner + frame("Input argument not supported");
    const std::string macro_2_86 = " Macro window    =    2.860   angstroms\n Macro spread    =    8.079   eV\n",
                      macro_two = " Macro windows   =    1.000     and   1.500   angstroms\n";
    const auto with = [&](const std::string& lines, const std::string& more = "") {
        return std::string(console).insert(writing + 42, more).insert(writing, lines);
    };
    const std::string bad = "--macro takes one or two positive lengths in angstrom, as --macro=4.05 or --macro=4.05,2.86";
    const std::string locpot = example("slab-potential", "LOCPOT");
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status;
        std::set<std::string> files;  // written
    } runs[] = {
        {{"-p", "--macro=2.86", "CHGCAR"}, with(macro_2_86), "", 0, {"POTPLANE"}},
        {{"-p", "CHGCAR", "--macro=1,1.5", "--plot"}, with(macro_two, " Writing to POTPLANE.png file, please wait...\n"),
         "", 0, {"POTPLANE", "POTPLANE.png"}},
        {{"-p", "--macro=0.4", "CHGCAR"}, console.substr(0, report_end),
         said("--macro: a window of 0.400 angstroms is narrower than the spacing of the planes, 0.500 angstroms along c"),
         1, {}},
        {{"-p", "--macro=2,20.5", "CHGCAR"}, console.substr(0, report_end),
         said("--macro: a window of 20.500 angstroms is wider than the cell, 20.000 angstroms along c"), 1, {}},
        {{"-p", "--macro=abc", "CHGCAR"}, unsupported, said(bad + ", not \"abc\""), 2, {}},
        {{"-p", "--macro=1,2,3", "CHGCAR"}, unsupported, said(bad + ", not \"1,2,3\""), 2, {}},
        {{"-p", "--macro=0", "CHGCAR"}, unsupported, said(bad + ", not \"0\""), 2, {}},
        {{"-p", "--macro=2,", "CHGCAR"}, unsupported, said(bad + ", not \"2,\""), 2, {}},
        {{"-c", "--plot", "CHGCAR"}, unsupported,
         said("--plot does not apply to -c, only to -i, -ia, -ib, -ic, -p, -pa, -pb, -pc"), 2, {}},
    };
    for (const auto& [args, out, err, status, files] : runs) {
        SCOPED_TRACE(::testing::PrintToString(args));
        ScratchDir dir;
        dir.write("CHGCAR", locpot);
        RunResult result = Voxmill(args, dir.path()).wait();
        if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos)
            result.out.replace(at + 15, 8, "   #.###");
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, err);
        EXPECT_EQ(result.status, status);
        std::set<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir.path())) written.insert(entry.path().filename());
        written.erase("CHGCAR");
        EXPECT_EQ(written, files);
        if (files.empty()) continue;
        // Each record: the two columns of the plain profile, then the average in a third of 12 columns.
        std::string first_columns, records = dir.read("POTPLANE");
        for (std::size_t at = 0; at < records.size(); at += 37) {
            EXPECT_EQ(records[at + 36], '\n');
            first_columns += records.substr(at, 24) + '\n';
        }
        EXPECT_EQ(first_columns, profile);
        if (files.contains("POTPLANE.png")) {
            EXPECT_TRUE(dir.read("POTPLANE.png").starts_with("\x89PNG\r\n\x1a\n"));
        }
    }
}

}  // namespace
}  // namespace voxmill::testing
