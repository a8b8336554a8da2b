// Scratch folders, whole files, failures, and the built binary run as a user runs it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include "system/failure.hpp"

namespace voxmill::testing {
namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // contents by name

std::string failure_of(auto&& action)  // the message of the Failure it throws, or "no failure"
{
    try { action(); } catch (const Failure& failure) { return failure.what(); }
    return "no failure";
}
inline std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : throw std::runtime_error("cannot read " + path.string());
}
inline std::string example(const std::string& name, const std::string& file = "CHGCAR")  // a bundled one
{
    return read_file(fs::path(VOXMILL_EXAMPLES) / name / file);
}

// `text` with line `number` (from 1) replaced by `lines`, which may be several or none.
inline std::string with_line(std::string text, int number, const std::string& lines)
{
    std::size_t at = 0;
    while (--number > 0) at = text.find('\n', at) + 1;
    return text.replace(at, text.find('\n', at) + 1 - at, lines);
}

// A fresh empty directory below the temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string made = fs::temp_directory_path() / "voxmill-test-XXXXXX";
        path_ = ::mkdtemp(made.data()) ? made : throw std::runtime_error("cannot create " + made);
    }
    ScratchDir(ScratchDir&&) = delete;
    ~ScratchDir() { std::error_code ignored; fs::remove_all(path_, ignored); }
    const fs::path& path() const { return path_; }
    std::string read(const std::string& name) const { return read_file(path_ / name); }
    void write(const std::string& name, const std::string& content) const
    {
        fs::create_directories((path_ / name).parent_path());
        if (!(std::ofstream(path_ / name, std::ios::binary) << content)) throw std::runtime_error("cannot write " + name);
    }
private:
    fs::path path_;
};

// What a run showed; its exit status or -1, and the signal that ended it or 0.
struct RunResult { std::string out, err; int status = -1, signal = 0; };

// voxmill started with `args` in `cwd`, reading /dev/null, under a file-size limit
// in bytes ("ulimit -f") unless 0; killed if need be and reaped with the object.
class Voxmill {
public:
    Voxmill(const std::vector<std::string>& args, const fs::path& cwd, rlim_t file_size_limit = 0)
    {
        const std::string out = capture_.path() / "out", err = capture_.path() / "err";
        std::vector<char*> argv{const_cast<char*>(VOXMILL_BINARY)};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if ((pid_ = fork()) < 0) throw std::runtime_error("fork failed");
        if (pid_ > 0) return;
        const rlimit limit{file_size_limit, file_size_limit};
        if (dup2(open("/dev/null", O_RDONLY), 0) < 0 || dup2(open(out.c_str(), O_WRONLY | O_CREAT, 0644), 1) < 0
            || dup2(open(err.c_str(), O_WRONLY | O_CREAT, 0644), 2) < 0 || chdir(cwd.c_str()) != 0
            || (file_size_limit > 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0))
            _exit(127);
        for (const int signal : {SIGINT, SIGTERM, SIGXFSZ}) ::signal(signal, SIG_DFL);  // as from a shell
        execv(VOXMILL_BINARY, argv.data());
        _exit(127);
    }
    ~Voxmill() { if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0); }
    void send(int signal) const { kill(pid_, signal); }
    RunResult wait()  // what it showed, once it has ended
    {
        int status = 0;
        waitpid(std::exchange(pid_, -1), &status, 0);
        return {capture_.read("out"), capture_.read("err"), WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                WIFSIGNALED(status) ? WTERMSIG(status) : 0};
    }
private:
    ScratchDir capture_;  // its standard output and error
    int pid_ = -1;
};

inline Files files_in(const fs::path& dir)  // all but regular files with an empty content
{
    Files files;
    for (const auto& entry : fs::directory_iterator(dir))
        files[entry.path().filename()] = fs::is_regular_file(entry.symlink_status()) ? read_file(entry.path()) : "";
    return files;
}

// The bytes of `text` compressed by the shell command `command`, then changed by `change`.
inline std::string archive(const std::string& command, const std::string& text, void (*change)(std::string&) = nullptr)
{
    ScratchDir dir;
    dir.write("text", text);
    EXPECT_EQ(std::system(("cd '" + dir.path().string() + "' && " + command + " <text >archive").c_str()), 0);
    std::string bytes = dir.read("archive");
    if (change != nullptr) change(bytes);
    return bytes;
}

inline void expect_files(const fs::path& dir, const Files& files)  // exactly these, byte for byte
{
    const Files found = files_in(dir);
    for (const auto& [name, content] : found)
        EXPECT_TRUE(files.contains(name) && files.at(name) == content) << dir / name << " holds:\n" << content.substr(0, 2000);
    for (const auto& [name, content] : files) EXPECT_TRUE(found.contains(name)) << dir / name << " is missing";
}

inline const std::string banner =
    " \n V O X M I L L\n Version 2.0 32/64-bit Intel Mac\n Last modified Nov 04, 2012 19:10 JST\n \n";

}  // namespace voxmill::testing
