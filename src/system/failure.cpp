#include "system/failure.hpp"

namespace voxmill {

void fail_at(std::string_view file, long line, std::string_view what)
{
    std::string message(file);
    if (line > 0) message += ':' + std::to_string(line);
    message += ": ";
    message += what;
    throw Failure(std::move(message));
}

void refuse(std::string message, std::string detail)
{
    throw Failure(std::move(message), Shown::as_error, std::move(detail));
}

}  // namespace voxmill
