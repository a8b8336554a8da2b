#include "voxmill_run.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

namespace voxmill::testing {

Voxmill::Voxmill(const std::vector<std::string>& args, const fs::path& cwd, unsigned long file_size_limit)
{
    const std::string out_path = capture_.path() / "out", err_path = capture_.path() / "err";
    std::vector<char*> argv{const_cast<char*>(VOXMILL_BINARY)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ > 0) return;
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const rlimit limit{file_size_limit, file_size_limit};
    if (in < 0 || out < 0 || err < 0 || chdir(cwd.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0
        || dup2(err, 2) < 0 || (file_size_limit > 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0))
        _exit(127);
    for (const int signal : {SIGINT, SIGTERM, SIGXFSZ}) ::signal(signal, SIG_DFL);
    execv(VOXMILL_BINARY, argv.data());
    _exit(127);
}

Voxmill::~Voxmill()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void Voxmill::send(int signal) const { kill(pid_, signal); }

RunResult Voxmill::wait()
{
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return {capture_.read("out"), capture_.read("err"), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

Files files_in(const fs::path& dir)
{
    Files files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[entry.path().filename()] = fs::is_regular_file(entry.symlink_status()) ? read_file(entry.path()) : "";
    return files;
}

void expect_files(const fs::path& dir, const Files& files)
{
    const Files found = files_in(dir);
    std::vector<std::string> names, expected;
    for (const auto& [name, content] : found) names.push_back(name);
    for (const auto& [name, content] : files) expected.push_back(name);
    EXPECT_EQ(names, expected) << "in " << dir;
    for (const auto& [name, content] : files) {
        const std::string& held = found.contains(name) ? found.at(name) : content;  // a missing one is reported above
        EXPECT_TRUE(held == content) << name << " holds:\n" << held.substr(0, 2000);
    }
}

}  // namespace voxmill::testing
