// Files as users have them, each case a form that real files take: the run's
// whole console output and standard error, its exit status and every file it
// leaves, each run once in an empty folder and once over earlier results. A
// successful case shows and writes what a folder below expected/ holds, often
// that of the plain file it was made from.
#include <gtest/gtest.h>

#include "support/runs.hpp"

namespace voxmill::testing {
namespace {

const fs::path data = VOXMILL_TEST_DATA, expected = data / "expected";

// 1,024 carbon atoms on a lattice of 16 x 8 x 8 sites.
std::string many_atoms()
{
    std::string text = "Carbon, 1024 atoms\n 1.5\n 16 0 0\n 0 8 0\n 0 0 8\n C\n 1024\nDirect\n";
    for (int n = 0; n < 1024; ++n)
        text += std::to_string(n % 16 / 16.0) + " " + std::to_string(n / 16 % 8 / 8.0) + " " + std::to_string(n / 128 / 8.0) + "\n";
    return text + "\n    2    2    2\n 1.0 2.0 3.0 4.0 5.0\n 6.0 7.0 8.0\n";
}

TEST(RealFiles, ShowAndWriteWhatTheyMust)
{
    const std::string nonspin = example("nonspin"), nine = example("nine-species"), spin = example("spin");
    const std::vector<std::string> c{"-c", "CHGCAR"};
    const std::string reading = banner + " Get charge density\n Reading CHGCAR, please wait...\n";
    // -c on CHGCAR holding `chgcar`, which shows and writes what expected/FOLDER holds.
    const auto as_in = [&](const std::string& folder, const std::string& chgcar) {
        return expected_run(c, {{"CHGCAR", chgcar}}, expected / folder);
    };
    // -c on CHGCAR holding `chgcar`, ending with exit status 1: the console up to the failure, and its message.
    const auto fails = [&](const std::string& chgcar, const std::string& out, const std::string& err) {
        return Case{c, {{"CHGCAR", chgcar}}, reading + out, 1, {}, "voxmill: " + err + "\n"};
    };
    const auto read_as = [](const std::string& name, const std::string& calculation) {
        return " Reading " + name + ", please wait...\n ..." + name + " version: NEW\n ...Calculation type: " + calculation
             + "\n";
    };
    const std::string frame = " ::: ERROR :::\n Nothing has been done!\n REASON\n Please use -h option for more information\n \n";
    const auto framed = [&](const std::string& reason) { return std::string(frame).replace(frame.find("REASON"), 6, reason); };
    const auto not_text = [](int byte) { return "CHGCAR is not a text file (binary data at byte " + std::to_string(byte) + ")"; };
    const auto too_large = [](const std::string& format, const std::string& command) {
        return "cannot read CHGCAR: the " + format + " data needs more than the 64 MiB voxmill allows to decode; read it "
               "through a pipe from " + command;
    };
    const std::pair<std::string, Case> cases[] = {
        // Species lines of any length, read for as many names as there are atom counts.
        {"9 species on 45 columns", as_in("real-files/nine-species", nine)},
        {"names beyond the counts",
         as_in("real-files/nine-species", with_line(nine, 6, "   Li   Na    K   Mg   Ca   Al   Si    O    S   Xe\n"))},
        {"fewer names than counts",
         fails(with_line(nine, 6, "   Li   Na    K   Mg   Ca   Al   Si    O\n"), " ...CHGCAR version: NEW\n",
               "CHGCAR:6: expected 9 species names, one for each atom count on line 7, found 8")},
        // No limit on atoms.
        {"1,024 atoms", expected_run({"-i", "CHGCAR"}, {{"CHGCAR", many_atoms()}}, expected / "real-files/1024-atoms")},
        // Names with the hash of their POTCAR, as VASP 6.4.2 and later write them: the element symbols.
        {"POTCAR hashes", as_in("nonspin/c", with_line(nonspin, 6, "   Na_pv/f474ac0d  Cl_h/79d9987ad87\n"))},
        // The line between the positions and the grid line: any text, or none.
        {"text before the grid line", as_in("nonspin/c", with_line(nonspin, 11, "random\n"))},
        {"no line before the grid line", as_in("nonspin/c", with_line(nonspin, 11, ""))},
        // Cartesian positions in a hexagonal cell, 15 digits of the Direct ones of AECCAR0.
        {"Cartesian positions, hexagonal cell",
         expected_run({"-a", "CHGCAR", "CHGCAR1"},
                      {{"CHGCAR", with_line(with_line(with_line(example("aeccar", "AECCAR0"), 10, " 1.605001605 0.926646406686 3.9075\n"),
                                                      9, " -0.000001605 1.853295593314 1.3025\n"),
                                            8, "Cartesian\n")},
                       {"CHGCAR1", example("aeccar", "AECCAR2")}},
                      expected / "aeccar/a")},
        // Files of no text, plain or compressed: the offset is in the text.
        {"1 MB of zero bytes", fails(std::string(1'000'000, '\0'), "", not_text(0))},
        {"a PNG image", fails(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29), "", not_text(6))},
        // An HDF5 file, told by its signature, goes to the HDF5 reader: this one is cut short.
        {"an HDF5 file", fails(std::string("\x89HDF\r\n\x1a\n\0\0\0\0\0\x08\x08\0\x04\0\x10\0", 20),
                               " ...CHGCAR version: HDF5\n",
                               "CHGCAR: not a readable HDF5 file (ring type mismatch occurred for cache entry)")},
        {"gzip of a text with a NUL", fails(archive("gzip", with_line(nonspin, 2, std::string(" 1.0\0\n", 6))), "", not_text(19))},
        // A compressed file with a window beyond 64 MiB: the command that reads it.
        {"zstd --long=28", fails(archive("zstd -q --long=28", spin), "", too_large("zstd", "zstd -dc --long=31"))},
        {"xz with a 65 MiB dictionary", fails(archive("xz --lzma2=dict=65MiB,mf=hc3", spin), "", too_large("xz", "xz -dc"))},
        // Fragments of another cell on the same grid: the nonspin example has the spin one's 3 x 2 x 2 grid.
        {"-dc with a fragment of another cell",
         {{"-dc", "CHGCAR", "CHGCAR1", "CHGCAR2"},
          {{"CHGCAR", spin}, {"CHGCAR1", read_file(data / "inputs/fe-origin.chgcar")}, {"CHGCAR2", nonspin}},
          banner + " Get charge density difference\n" + read_as("CHGCAR1", "non-spin polarized")
              + read_as("CHGCAR2", "non-spin polarized") + read_as("CHGCAR", "spin polarized")
              + framed("Lattice vectors of input files differ"),
          1,
          {},
          "voxmill: lattices differ: component x of lattice vector 1 is 2.860000 angstrom in CHGCAR and 4.000000 "
          "in CHGCAR2, 1.1 apart (at most 1e-05 allowed)\n"}},
        // A report figure too wide for its field, in full: the volume of a 25 A cubic box.
        {"a 25 A cubic box",
         expected_run({"-i", "CHGCAR"},
                      {{"CHGCAR", with_line(with_line(with_line(nonspin, 5, ""), 4, ""), 3, " 25 0 0\n 0 25 0\n 0 0 25\n")}},
                      expected / "real-files/25-angstrom-box")},
        // Failures the console shows in its own words are told on standard error too.
        {"-a in a folder without its files",
         {{"-a", "AECCAR0", "AECCAR2"}, {}, banner + " Add charge densities\n ERROR: AECCAR2 does not exist!\n \n", 1, {},
          "voxmill: AECCAR2 does not exist!\n"}},
        {"an unknown option",
         {{"-q", "CHGCAR"}, {{"CHGCAR", nonspin}}, banner + framed("Input argument not supported"), 2, {},
          "voxmill: unknown option \"-q\"\n"}},
    };
    for (const auto& [what, run] : cases) {
        SCOPED_TRACE(what);
        expect_run(run);
    }
}

}  // namespace
}  // namespace voxmill::testing
