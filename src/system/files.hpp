// Input files looked up by name.
#pragma once

#include <string>
#include <string_view>

namespace voxmill {

// Refuses a name that surely names nothing ("ERROR: CHGCAR does not exist!"),
// told on standard error by `detail` if given. Any other trouble, such as a
// loop of symbolic links or a search permission, is left to the opening,
// which reports the system's reason.
void require_existence(const std::string& name, std::string detail = {});

// Whether `name` is a regular file whose first bytes are `bytes`. Nothing
// else is looked into: a pipe would lose what was read of it.
bool file_starts_with(const std::string& name, std::string_view bytes);

}  // namespace voxmill
