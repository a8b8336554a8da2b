// The texts the run driver prints itself: banner, help, error frames, mode
// lines, CPU time line and completion banner.
#pragma once

#include <string>
#include <string_view>

namespace voxmill::texts {

// Reasons shown in the third line of an error frame.
inline constexpr std::string_view no_arguments = "No input argument(s) found";
inline constexpr std::string_view unsupported_argument = "Input argument not supported";
inline constexpr std::string_view no_input_files = "No input file(s) specified";
inline constexpr std::string_view too_many_arguments = "Too many input information";
inline constexpr std::string_view grids_differ = "Grid dimensions of input files differ";
inline constexpr std::string_view lattices_differ = "Lattice vectors of input files differ";

inline constexpr std::string_view allocation_failure = "Failed to allocate data!";

// The start-up banner, printed first in every run.
std::string banner();

// The help text and the empty line after it.
std::string help();

// What --version prints: the version, the compiler and the libraries chosen at build time.
std::string version();

// The five-line error frame with `reason` in its third line.
std::string error_frame(std::string_view reason);

// The empty line, the CPU time line and the completion banner that end a mode run.
std::string completion(double cpu_seconds);

}  // namespace voxmill::texts
