// The fuzz targets: each feeds one fuzzed input through the program the way a
// hostile file would reach it, and returns the exit status the program would
// end with. A broken promise of the code under test (a real that is not
// finite, a header beyond its limits, a temporary file left behind) is thrown
// as BrokenPromise; memory faults are left to the sanitizers. The libFuzzer
// entry points and the corpus replay test share these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace voxmill::fuzz {

class BrokenPromise : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

using Input = std::span<const std::uint8_t>;

// Free-form reads on a fuzzed file. Byte 0 gives the number n (modulo 32) of
// operation bytes that follow; the rest is the file. Each operation byte holds
// the kind in its low 3 bits and a parameter in the others: 0 integer, 1 real,
// 2 text of 3p+1 characters, 3 reals of p*p+1 values, 4 text of 80
// characters, 5 a new statement, 6 rewind and a new statement, 7 the tokens of
// one record through read_real and a new statement. The operations repeat
// until the file ends or 1000 have run.
int free_form(Input data);

// A whole run, in-process, in a scratch directory. Byte 0 modulo 6 picks the
// mode (-c, -s, -x, -i, -dc, -ds); the rest is the main input file, or for the
// difference modes up to three files separated by lines "%%" (main, fragment
// 1, fragment 2; a missing fragment is the main file again). A line
// "%%POTCAR" ends the files: what follows it is POTCAR; without it a POTCAR
// of two species serves the old layout.
int whole_run(Input data);

// A whole run, in-process, on a fuzzed HDF5 file named vaspwave.h5. Byte 0
// modulo 5 picks the mode (-c, -s, -x, -i, -p); its bit 3 lays the same file
// beside it as vaspout.h5, where a vaspwave.h5 without a structure of its own
// takes one from. The rest is the file.
int vasp_h5(Input data);

}  // namespace voxmill::fuzz
