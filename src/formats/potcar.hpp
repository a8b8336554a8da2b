// POTCAR, read for the species labels of a file in the old layout.
#pragma once

#include <string>
#include <vector>

namespace voxmill {

// The labels of the TITEL groups of the POTCAR `path`, in order. The file is
// read as groups of four free-form text items; a group beginning with TITEL
// gives its fourth item as a label ("TITEL = PAW_PBE Fe_pv 06Sep2000": Fe_pv).
std::vector<std::string> specpot(const std::string& path);

}  // namespace voxmill
