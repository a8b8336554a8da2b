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

// A whole run, in-process, in a scratch directory. Byte 0 modulo 14 picks the
// option (-c, -s, -x, -i, -dc, -ds, -a, -ia, -ib, -ic, -p, -pa, -pb, -pc).
// Byte 1 gives the form of the input files: modulo 5 plain text, gzip, bzip2,
// xz or zstd, and where byte 1 / 5 is odd, each file is two streams, of its
// two halves, one after the other. Its higher digits add long options: where
// byte 1 / 10 is odd --quiet, where byte 1 / 20 is odd --output-dir=out, and
// byte 1 / 40 modulo 4 gives those of the profiles (none, --macro=2.5, --plot,
// --macro=2.5,1.5) or of the grids (none, --format= cube, vasp or xsf,cube).
// The rest is the main input file, or for the options of several files up to
// three files separated by lines "%%" (main, fragment 1, fragment 2, or the
// main file and those added to it; a missing fragment is the main file again,
// and -a adds the third file only where it is given). A line "%%POTCAR" ends
// the files: what follows it is POTCAR; without it a POTCAR of two species
// serves the old layout. A run on compressed files must end as the run on
// their text does, with the same result files.
int whole_run(Input data);

// The decoders on a fuzzed file: byte 0 modulo 6 picks the size of each read
// (1, 7, 4 KiB, 64 KiB, 1 MiB, 64 MiB), the rest is the file, an archive of
// any of the formats, cut, corrupted or concatenated. Its text, as far as 64 Ki
// reads or 16 MiB reach, and the failure that ends it, must be those that
// reads of 1 MiB give (of broken data, only the text both give).
int stream(Input data);

// A whole run, in-process, on a fuzzed HDF5 file named vaspwave.h5. Byte 0
// modulo 5 picks the mode (-c, -s, -x, -i, -p); its bit 3 lays the same file
// beside it as vaspout.h5, where a vaspwave.h5 without a structure of its own
// takes one from. The rest is the file.
int vasp_h5(Input data);

}  // namespace voxmill::fuzz
