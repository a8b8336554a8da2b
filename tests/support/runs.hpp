// Whole runs of the binary compared with all they must show and leave: the
// console byte for byte (the CPU time masked), standard error, the exit
// status and every file in the folder afterwards.
#pragma once

#include "support/scratch.hpp"

namespace voxmill::testing {

// A run and what it must show and leave.
struct Case {
    std::vector<std::string> args;
    Files inputs;
    std::string out;  // standard output, the seconds of the CPU time as "#.###"
    int status;
    Files results = {};  // written besides the inputs
    std::string err = {};  // standard error
};

// The results of every mode.
inline const std::string result_names[] = {"CHGDEN.xsf",  "CHGDEN.vasp",  "SPNDEN.xsf", "SPNDEN.vasp", "CHGUP.xsf",
                                    "CHGUP.vasp",  "CHGDN.xsf",    "CHGDN.vasp", "CHGDIFF.xsf", "CHGDIFF.vasp",
                                    "SPNDIFF.xsf", "SPNDIFF.vasp", "CHGSUM.xsf", "CHGSUM.vasp", "CHGPLANE",
                                    "POTPLANE", "CHGDEN.cube"};

// An earlier result of a name the run writes is longer than the new one, so
// that a file not cut to its new length shows; the others must stay as they are.
inline void expect_run(const Case& run)
{
    for (const bool over_earlier : {false, true}) {
        SCOPED_TRACE(::testing::PrintToString(run.args) + (over_earlier ? " over earlier results" : ""));
        ScratchDir dir;
        Files before = run.inputs;
        if (over_earlier)
            for (const std::string& name : result_names)
                before[name] = run.results.contains(name) ? run.results.at(name) + "and more\n" : "earlier\n";
        for (const auto& [name, content] : before) dir.write(name, content);
        RunResult result = Voxmill(run.args, dir.path()).wait();
        if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos)
            result.out.replace(at + 15, 8, "   #.###");
        if (const auto at = result.err.find(dir.path().string()); at != std::string::npos)
            result.err.replace(at, dir.path().string().size(), "<folder>");
        EXPECT_EQ(result.out, run.out);
        EXPECT_EQ(result.err, run.err);
        EXPECT_EQ(result.status, run.status);
        Files after = run.results;
        after.merge(before);
        expect_files(dir.path(), after);
    }
}

// A run of `args` on `inputs` that shows the console.txt of the folder
// `expected` and writes the other files there.
inline Case expected_run(std::vector<std::string> args, Files inputs, const fs::path& expected)
{
    Case run{std::move(args), std::move(inputs), read_file(expected / "console.txt"), 0};
    for (const auto& entry : fs::directory_iterator(expected))
        if (entry.path().filename() != "console.txt") run.results[entry.path().filename()] = read_file(entry.path());
    return run;
}

}  // namespace voxmill::testing
