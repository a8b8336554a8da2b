// Scratch folders and whole files for the tests. The runs of the built binary
// itself are in tests/e2e/voxmill_run.hpp.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace voxmill::testing {

// A fresh empty directory below the system's temporary folder, removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `content` to the file `name` inside the directory.
    void write(const std::string& name, const std::string& content) const;
    // The whole content of the file `name` inside the directory.
    std::string read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file.
std::string read_file(const std::filesystem::path& path);

// The lines of a text, without their line ends; a last line need not have one.
std::vector<std::string> lines_of(const std::string& text);

}  // namespace voxmill::testing
