#include "formats/elements.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace voxmill {

namespace {

constexpr std::array<std::string_view, 119> symbols = {
    "X",  "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",
    "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As",
    "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn",
    "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho",
    "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po",
    "At", "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md",
    "No", "Lr", "Rf", "Db", "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og",
};

}  // namespace

int atomic_number(std::string_view label)
{
    const auto letters =
        std::ranges::find_if(label, [](char c) { return !std::isalpha(static_cast<unsigned char>(c)); });
    const std::string_view symbol = label.substr(0, static_cast<std::size_t>(letters - label.begin()));
    const auto found = std::ranges::find(symbols.begin() + 1, symbols.end(), symbol);
    return found == symbols.end() ? 0 : static_cast<int>(found - symbols.begin());
}

std::string_view element_symbol(int Z)
{
    return Z > 0 && Z < static_cast<int>(symbols.size()) ? symbols[Z] : symbols[0];
}

}  // namespace voxmill
