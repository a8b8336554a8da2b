// Runs the built voxmill binary the way a user does and captures what it shows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_binary.hpp"

namespace voxmill::testing {

struct RunResult {
    std::string out;  // standard output
    std::string err;  // standard error
    int status = -1;  // exit status, or -1 when the process did not exit normally
    int signal = 0;   // the signal that ended the process, if one did
};

struct RunOptions {
    // A file-size limit in bytes (RLIMIT_FSIZE, as "ulimit -f" sets), or 0 for none.
    // SIGXFSZ keeps its default action, as a shell leaves it.
    unsigned long file_size_limit = 0;
};

// Runs voxmill with `args` in the directory `cwd`.
RunResult run_voxmill(const std::vector<std::string>& args, const std::filesystem::path& cwd = ".",
                      const RunOptions& options = {});

// A voxmill process running in the background, for tests that signal it.
// Reaped, killed first if need be, when the object goes.
class VoxmillProcess {
public:
    VoxmillProcess(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                   const RunOptions& options = {});
    ~VoxmillProcess();  // not copied, as its ScratchDir is not

    // Sends `signal` to the process.
    void send(int signal) const;
    // Waits for the end of the process and returns what it showed.
    RunResult wait();

private:
    ScratchDir capture_;  // receives the standard output and error
    int pid_ = -1;
};

// The path of a bundled example file, relative to the examples folder.
std::filesystem::path example(const std::string& relative);

// Replaces the seconds of the CPU time line with "#.###" so that outputs compare.
std::string mask_cpu_time(std::string console);

}  // namespace voxmill::testing
