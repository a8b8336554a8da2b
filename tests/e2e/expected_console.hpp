// Console texts that many end-to-end tests expect, written out as the user sees them.
#pragma once

#include <string>

namespace voxmill::testing {

inline const std::string banner =
    " \n"
    " V O X M I L L\n"
    " Version 2.0 32/64-bit Intel Mac\n"
    " Last modified Nov 04, 2012 19:10 JST\n"
    " \n";

// The five-line frame of a refused run, with its reason on the third line.
inline std::string error_frame(const std::string& reason)
{
    return " ::: ERROR :::\n"
           " Nothing has been done!\n"
           " " + reason + "\n"
           " Please use -h option for more information\n"
           " \n";
}

}  // namespace voxmill::testing
