// Input files looked up by name.
#pragma once

#include <string>

namespace voxmill {

// Refuses a name that surely names nothing ("ERROR: CHGCAR does not exist!"),
// told on standard error by `detail` if given. Any other trouble, such as a
// loop of symbolic links or a search permission, is left to the opening,
// which reports the system's reason.
void require_existence(const std::string& name, std::string detail = {});

}  // namespace voxmill
