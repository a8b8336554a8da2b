// VASP 6's HDF5 output: vaspwave.h5, whose charge density (or kinetic energy
// density) holds the blocks of a CHGCAR as components, and vaspout.h5, with
// the structure, the potentials and the partial charges. The components
// become the blocks of the equivalent CHGCAR-family file, read into the same
// StructureHeader and grids as the CHGCAR reader fills.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "formats/chgcar_blocks.hpp"

namespace voxmill {

// The first bytes of every HDF5 file.
inline constexpr std::string_view hdf5_signature{"\x89HDF\r\n\x1a\n", 8};

// What a run reads of a VASP HDF5 file, from its options.
struct H5Choice {
    bool potential = false;  // a potential profile (-p...): results/potential of vaspout.h5
    std::string dataset;     // --dataset: tau, or hartree, ionic, xc; empty for charge or total
    int band = 0;            // --band: a band's number in `bands`, 0 for the sum over all
    int kpoint = 0;          // --kpoint: likewise in `kpoints`
};

#ifdef VOXMILL_HDF5

// Opens the HDF5 file `name` and reads the structure, from the file itself or
// from the vaspout.h5 beside it, into `header`; NBLOCKS is the number of
// components of the dataset `choice` selects. Then read_values() reads the
// grids of `keep`, with the sums of the report if asked for, as idata does,
// and with a `plane_axis` the sums of the charge's planes instead of its grid.
class VaspH5Reading {
public:
    VaspH5Reading(const std::string& name, const H5Choice& choice, StructureHeader& header);
    ~VaspH5Reading();
    VaspH5Reading(const VaspH5Reading&) = delete;
    VaspH5Reading& operator=(const VaspH5Reading&) = delete;

    FileDensities read_values(Keep keep, bool with_sums, std::optional<int> plane_axis);

private:
    struct Source;
    std::unique_ptr<Source> source_;
};

#endif

}  // namespace voxmill
