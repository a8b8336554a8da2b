// The chemical elements by atomic number, for formats that name atoms by it.
#pragma once

#include <string_view>

namespace voxmill {

// The atomic number of the element a species label names: its leading letters
// up to the first character that is no letter ("Fe_pv", "O_h", "Mn/f474" name
// Fe, O, Mn), compared with the symbols as written; 0 when they name none.
int atomic_number(std::string_view label);

// The symbol of atomic number Z ("Fe" for 26), or "X" where Z names no element.
std::string_view element_symbol(int Z);

}  // namespace voxmill
