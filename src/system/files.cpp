#include "system/files.hpp"

#include <filesystem>
#include <fstream>

#include "system/failure.hpp"

namespace voxmill {

void require_existence(const std::string& name, std::string detail)
{
    std::error_code error;
    if (std::filesystem::status(name, error).type() == std::filesystem::file_type::not_found)
        refuse(name + " does not exist!", std::move(detail));
}

bool file_starts_with(const std::string& name, std::string_view bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error)) return false;
    std::ifstream file(name, std::ios::binary);
    std::string first(bytes.size(), '\0');
    return file.read(first.data(), static_cast<std::streamsize>(first.size())) && first == bytes;
}

}  // namespace voxmill
