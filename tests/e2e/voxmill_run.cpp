#include "voxmill_run.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

namespace voxmill::testing {

namespace fs = std::filesystem;

VoxmillProcess::VoxmillProcess(const std::vector<std::string>& args, const fs::path& cwd, const RunOptions& options)
{
    const fs::path out_path = capture_.path() / "stdout";
    const fs::path err_path = capture_.path() / "stderr";
    std::vector<char*> argv{const_cast<char*>(VOXMILL_BINARY)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(cwd.c_str()) != 0) _exit(127);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (options.file_size_limit > 0) {
            const rlimit limit{options.file_size_limit, options.file_size_limit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
        }
        // The signals a test sends act as they would from a shell.
        for (const int signal : {SIGINT, SIGTERM, SIGXFSZ}) ::signal(signal, SIG_DFL);
        execv(VOXMILL_BINARY, argv.data());
        _exit(127);
    }
}

VoxmillProcess::~VoxmillProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void VoxmillProcess::send(int signal) const { kill(pid_, signal); }

RunResult VoxmillProcess::wait()
{
    int wait_status = 0;
    waitpid(pid_, &wait_status, 0);
    pid_ = -1;
    return {capture_.read("stdout"), capture_.read("stderr"), WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1,
            WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0};
}

RunResult run_voxmill(const std::vector<std::string>& args, const fs::path& cwd, const RunOptions& options)
{
    return VoxmillProcess(args, cwd, options).wait();
}

fs::path example(const std::string& relative) { return fs::path(VOXMILL_EXAMPLES) / relative; }

std::string mask_cpu_time(std::string console)
{
    const std::string label = " CPU time (s): ";
    const auto at = console.find(label);
    if (at != std::string::npos && at + label.size() + 8 <= console.size())
        console.replace(at + label.size(), 8, "   #.###");
    return console;
}

}  // namespace voxmill::testing
