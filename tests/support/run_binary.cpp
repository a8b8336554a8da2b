#include "support/run_binary.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace voxmill::testing {

namespace fs = std::filesystem;

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchDir::ScratchDir()
{
    std::string pattern = (fs::temp_directory_path() / "voxmill-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& content) const
{
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream out(path_ / name, std::ios::binary);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + (path_ / name).string());
}

std::string ScratchDir::read(const std::string& name) const { return read_file(path_ / name); }

}  // namespace voxmill::testing
