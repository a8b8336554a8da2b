#include "output/failure.hpp"

namespace voxmill {

void fail_at(std::string_view file, long line, std::string_view what)
{
    std::string message(file);
    message += ':';
    message += std::to_string(line);
    message += ": ";
    message += what;
    throw Failure(message);
}

}  // namespace voxmill
