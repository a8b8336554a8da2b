// The built voxmill binary run as a user runs it, and the files it leaves.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/run_binary.hpp"

namespace voxmill::testing {

namespace fs = std::filesystem;

struct RunResult {
    std::string out, err;
    int status = -1;  // the exit status, -1 if it did not exit
    int signal = 0;   // the signal that ended it, if one did
};

// voxmill started with `args` in `cwd`, reading /dev/null, under a file-size
// limit in bytes (as "ulimit -f" sets) unless 0; signals act on it as they do
// from a shell. Killed, if need be, and reaped when the object goes.
class Voxmill {
public:
    Voxmill(const std::vector<std::string>& args, const fs::path& cwd, unsigned long file_size_limit = 0);
    ~Voxmill();
    void send(int signal) const;
    RunResult wait();  // what it showed, once it has ended

private:
    ScratchDir capture_;  // its standard output and error
    int pid_ = -1;
};

using Files = std::map<std::string, std::string>;  // contents by name

// The entries of `dir`, all but regular files with an empty content.
Files files_in(const fs::path& dir);
// Expects `dir` to hold exactly `files`, byte for byte.
void expect_files(const fs::path& dir, const Files& files);

inline std::string example(const std::string& name, const std::string& file = "CHGCAR")
{
    return read_file(fs::path(VOXMILL_EXAMPLES) / name / file);
}

inline const std::string banner =
    " \n V O X M I L L\n Version 2.0 32/64-bit Intel Mac\n Last modified Nov 04, 2012 19:10 JST\n \n";

}  // namespace voxmill::testing
