#include "system/files.hpp"

#include <filesystem>

#include "system/failure.hpp"

namespace voxmill {

void require_existence(const std::string& name, std::string detail)
{
    std::error_code error;
    if (std::filesystem::status(name, error).type() == std::filesystem::file_type::not_found)
        refuse(name + " does not exist!", std::move(detail));
}

}  // namespace voxmill
