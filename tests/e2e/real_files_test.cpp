// Files as users have them, each case a form that real files take: the run's
// whole console output and standard error, its exit status and every file it
// leaves. A successful case shows and writes what a folder below expected/
// holds (console.txt and the result files), often that of the plain file it
// was made from.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

const fs::path data = VOXMILL_TEST_DATA;

struct Outcome {
    std::string out;  // the seconds of the CPU time as "#.###"
    std::string err;
    int status = 0;
    Files results = {};  // written besides the inputs
};

// What expected/FOLDER holds.
Outcome as_in(const std::string& folder)
{
    Outcome outcome;
    for (const auto& entry : fs::directory_iterator(data / "expected" / folder))
        if (entry.path().filename() == "console.txt")
            outcome.out = read_file(entry.path());
        else
            outcome.results[entry.path().filename()] = read_file(entry.path());
    return outcome;
}

// A run that ends with exit status 1: the console up to the failure, and its message.
Outcome failed(std::string out, std::string err) { return {std::move(out), std::move(err), 1}; }

struct Case {
    std::string what;
    Files inputs;
    std::vector<std::string> args;
    Outcome expected;
};

void expect_run(const Case& run)
{
    SCOPED_TRACE(run.what);
    ScratchDir dir;
    for (const auto& [name, content] : run.inputs) dir.write(name, content);
    RunResult result = Voxmill(run.args, dir.path()).wait();
    if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos)
        result.out.replace(at + 15, 8, "   #.###");
    EXPECT_EQ(result.out, run.expected.out);
    EXPECT_EQ(result.err, run.expected.err);
    EXPECT_EQ(result.status, run.expected.status);
    Files after = run.expected.results;
    after.insert(run.inputs.begin(), run.inputs.end());
    expect_files(dir.path(), after);
}

// Diamond, a 4 x 4 x 4 supercell of its 16-atom cell (two cubic cells side by side): 1,024 atoms.
std::string diamond_supercell()
{
    std::string text = "Diamond, 4x4x4 supercell of 16 atoms\n 3.567\n 8 0 0\n 0 4 0\n 0 0 4\n C\n 1024\nDirect\n";
    const double basis[8][3] = {{0, 0, 0},          {0, .5, .5},        {.5, 0, .5},        {.5, .5, 0},
                                {.25, .25, .25}, {.25, .75, .75}, {.75, .25, .75}, {.75, .75, .25}};
    char line[64];
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                for (const auto& b : basis) {
                    std::snprintf(line, sizeof line, " %.6f %.6f %.6f\n", (i + b[0]) / 8, (j + b[1]) / 4, (k + b[2]) / 4);
                    text += line;
                }
    return text + "\n    2    2    2\n 1.0 2.0 3.0 4.0 5.0\n 6.0 7.0 8.0\n";
}

// The nonspin example with 101 species of one atom each, named Aa, Ab, ...
std::string hundred_and_one_species()
{
    std::string names, counts, positions;
    for (int m = 0; m < 101; ++m) {
        names += std::string(" ") + char('A' + m / 26) + char('a' + m % 26);
        counts += " 1";
        positions += " 0.0 0.0 " + std::to_string(m / 101.0) + "\n";
    }
    const std::string nonspin = example("nonspin");
    return with_line(with_line(with_line(with_line(nonspin, 10, ""), 9, positions), 7, counts + "\n"), 6, names + "\n");
}

TEST(RealFiles, ShowAndWriteWhatTheyMust)
{
    const std::string nonspin = example("nonspin"), nine = example("nine-species"), spin = example("spin");
    const std::vector<std::string> c{"-c", "CHGCAR"}, i{"-i", "CHGCAR"};
    const std::string reading = banner + " Get charge density\n Reading CHGCAR, please wait...\n";
    const std::string window = "voxmill: cannot read CHGCAR: the FORMAT data needs more than the 64 MiB voxmill "
                               "allows to decode; read it through a pipe from ";
    const auto too_large = [&](const std::string& format, const std::string& command) {
        return failed(reading, std::string(window).replace(window.find("FORMAT"), 6, format) + command + "\n");
    };
    const auto not_text = [&](int byte) {
        return failed(reading, "voxmill: CHGCAR is not a text file (binary data at byte " + std::to_string(byte) + ")\n");
    };
    const auto read_as = [](const std::string& name, const std::string& calculation) {
        return " Reading " + name + ", please wait...\n ..." + name + " version: NEW\n ...Calculation type: " + calculation
             + "\n";
    };
    const std::string frame = " ::: ERROR :::\n Nothing has been done!\n REASON\n Please use -h option for more information\n \n";
    const auto framed = [&](const std::string& reason) { return std::string(frame).replace(frame.find("REASON"), 6, reason); };
    const Case cases[] = {
        // Species lines of any length, read for as many names as there are atom counts.
        {"9 species on 45 columns", {{"CHGCAR", nine}}, c, as_in("real-files/nine-species")},
        {"names beyond the counts", {{"CHGCAR", with_line(nine, 6, "   Li   Na    K   Mg   Ca   Al   Si    O    S   Xe\n")}},
         c, as_in("real-files/nine-species")},
        {"fewer names than counts", {{"CHGCAR", with_line(nine, 6, "   Li   Na    K   Mg   Ca   Al   Si    O\n")}}, c,
         failed(reading + " ...CHGCAR version: NEW\n",
                "voxmill: CHGCAR:6: expected 9 species names, one for each atom count on line 7, found 8\n")},
        // No limit on atoms or species; the report lists the species 15 a line.
        {"1,024 atoms", {{"CHGCAR", diamond_supercell()}}, i, as_in("real-files/1024-atoms")},
        {"101 species", {{"CHGCAR", hundred_and_one_species()}}, i, as_in("real-files/101-species")},
        // Names with the hash of their POTCAR, as VASP 6.4.2 and later write them: the element symbols.
        {"POTCAR hashes", {{"CHGCAR", with_line(nonspin, 6, "   Na_pv/f474ac0d  Cl_h/79d9987ad87\n")}}, c,
         as_in("nonspin/c")},
        // The line between the positions and the grid line: any text, or none.
        {"text before the grid line", {{"CHGCAR", with_line(nonspin, 11, "random\n")}}, c, as_in("nonspin/c")},
        {"no line before the grid line", {{"CHGCAR", with_line(nonspin, 11, "")}}, c, as_in("nonspin/c")},
        // Cartesian positions in a hexagonal cell, 15 digits of the Direct ones of AECCAR0.
        {"Cartesian positions, hexagonal cell",
         {{"CHGCAR", with_line(with_line(with_line(example("aeccar", "AECCAR0"), 10, " 1.605001605 0.926646406686 3.9075\n"),
                                         9, " -0.000001605 1.853295593314 1.3025\n"),
                               8, "Cartesian\n")},
          {"CHGCAR1", example("aeccar", "AECCAR2")}},
         {"-a", "CHGCAR", "CHGCAR1"}, as_in("aeccar/a")},
        // Files of no text, plain or compressed: the offset is in the text.
        {"1 MB of zero bytes", {{"CHGCAR", std::string(1'000'000, '\0')}}, c, not_text(0)},
        {"a PNG image", {{"CHGCAR", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29)}}, c,
         not_text(6)},
        {"an HDF5 file", {{"CHGCAR", std::string("\x89HDF\r\n\x1a\n\0\0\0\0\0\x08\x08\0\x04\0\x10\0", 20)}}, c, not_text(6)},
        {"gzip of a text with a NUL", {{"CHGCAR", archive("gzip", with_line(nonspin, 2, std::string(" 1.0\0\n", 6)))}}, c,
         not_text(19)},
        // A compressed file with a window beyond 64 MiB: the command that reads it.
        {"zstd --long=28", {{"CHGCAR", archive("zstd -q --long=28", spin)}}, c, too_large("zstd", "zstd -dc --long=31")},
        {"xz with a 65 MiB dictionary", {{"CHGCAR", archive("xz --lzma2=dict=65MiB,mf=hc3", spin)}}, c,
         too_large("xz", "xz -dc")},
        // Fragments of another cell on the same grid: the nonspin example has the spin one's 3 x 2 x 2 grid.
        {"-dc with a fragment of another cell",
         {{"CHGCAR", spin}, {"CHGCAR1", read_file(data / "inputs/fe-origin.chgcar")}, {"CHGCAR2", nonspin}},
         {"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"},
         failed(banner + " Get charge density difference\n" + read_as("CHGCAR1", "non-spin polarized")
                    + read_as("CHGCAR2", "non-spin polarized") + read_as("CHGCAR", "spin polarized")
                    + framed("Lattice vectors of input files differ"),
                "voxmill: lattices differ: component x of lattice vector 1 is 2.860000 angstrom in CHGCAR and 4.000000 "
                "in CHGCAR2, 1.1 apart (at most 1e-05 allowed)\n")},
        // A report figure too wide for its field, in full: the volume of a 25 A cubic box.
        {"a 25 A cubic box",
         {{"CHGCAR", with_line(with_line(with_line(nonspin, 5, ""), 4, ""), 3, " 25 0 0\n 0 25 0\n 0 0 25\n")}}, i,
         as_in("real-files/25-angstrom-box")},
        // Failures the console shows in its own words are told on standard error too.
        {"-a in a folder without its files", {}, {"-a", "AECCAR0", "AECCAR2"},
         failed(banner + " Add charge densities\n ERROR: AECCAR2 does not exist!\n \n",
                "voxmill: AECCAR2 does not exist!\n")},
        {"an unknown option", {{"CHGCAR", nonspin}}, {"-q", "CHGCAR"},
         {banner + framed("Input argument not supported"), "voxmill: unknown option \"-q\"\n", 2}},
    };
    for (const Case& run : cases) expect_run(run);
}

}  // namespace
}  // namespace voxmill::testing
