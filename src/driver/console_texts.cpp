#include "driver/console_texts.hpp"

#include <algorithm>

#include "bytes/decoders.hpp"
#include "driver/long_options.hpp"
#include "picture/drawing.hpp"
#include "text/fixed_fields.hpp"
#include "text/free_form_writer.hpp"

namespace voxmill::texts {

namespace {

std::string lines(std::initializer_list<std::string_view> texts)
{
    std::string records;
    for (const std::string_view text : texts) records += free_form_line(text);
    return records;
}

}  // namespace

std::string banner()
{
    return lines({"", "V O X M I L L", "Version 2.0 32/64-bit Intel Mac", "Last modified Nov 04, 2012 19:10 JST", ""});
}

std::string help()
{
    std::string text = lines({
        "::: HELP :::",
        "This program is to manipulate CHGCAR file(s) created by VASP calculation(s)",
        "REQUIREMENTS:",
        " VASP 4.x: POTCAR, PARCHG/CHGCAR file(s) from VASP calculation(s)",
        " VASP 5.x: PARCHG/CHGCAR file(s) from VASP calculation(s)",
        "USAGE:",
        " voxmill -h                    : Display program help",
        " voxmill -x file               : Split charge into up and down",
        " voxmill -i file               : Get charge density on a plane",
        " voxmill -ia file              : Get charge density on a plane along a",
        " voxmill -ib file              : Get charge density on a plane along b",
        " voxmill -ic file              : Get charge density on a plane along c",
        " voxmill -p file               : Get potential on a plane",
        " voxmill -pa file              : Get potential on a plane along a",
        " voxmill -pb file              : Get potential on a plane along b",
        " voxmill -pc file              : Get potential on a plane along c",
        " voxmill -s file               : Get spin density",
        " voxmill -c file               : Get charge density",
        " voxmill -ds file file1 file2  : Get spin density difference",
        " voxmill -dc file file1 file2  : Get charge density difference",
        " voxmill -a file file1 ...     : Add charge densities",
        " voxmill -slice file           : Get a slice through the cell",
        " voxmill -stm file             : Get an STM image",
        " voxmill --help                : Display program help",
        " voxmill --version             : Display version, compiler and libraries",
        "OPTIONS, anywhere after the first argument (-- ends them):",
    });
    for (const LongOption& option : long_options()) {
        std::string usage = " --" + std::string(option.name);
        if (!option.value.empty()) usage += "=" + std::string(option.value);
        usage.resize(std::max<std::size_t>(usage.size(), 31), ' ');
        text += free_form_line(usage + ": " + option.help);
    }
    return text
           + lines({
               "NOTES:",
               " For charge/spin difference, the first file is CHGCAR of full system and",
               " only information of this file is printed out.",
               "EXAMPLES:",
               " Get spin density from CHGCAR",
               "   voxmill -s CHGCAR                   -> create SPNDEN.xsf & SPNDEN.vasp",
               " Get charge density difference",
               "   voxmill -dc CHGCAR CHGCAR1 CHGCAR2  -> create CHGDIFF.xsf & CHGDIFF.vasp",
               "PLEASE CONTACT ME IF THERE IS ANY PROBLEM.",
               "",
           });
}

std::string version()
{
    const std::string gzip = "gzip decoder: " + gzip_library();
    const std::string pictures =
        "Pictures: "
        + (picture::drawing_library.empty() ? "none (built without Cairo)" : std::string(picture::drawing_library));
#ifdef VOXMILL_HDF5
    const std::string hdf5 = "HDF5 files: libhdf5 " VOXMILL_HDF5;
#else
    const std::string hdf5 = "HDF5 files: none (built without libhdf5)";
#endif
    return lines({"voxmill " VOXMILL_VERSION, "Compiler: " VOXMILL_COMPILER, gzip, pictures, hdf5});
}

std::string error_frame(std::string_view reason)
{
    return lines({"::: ERROR :::", "Nothing has been done!", reason, "Please use -h option for more information", ""});
}

std::string completion(double cpu_seconds)
{
    std::string records = free_form_line() + " CPU time (s): ";  // (1X,A14,F8.3)
    fields::fixed<8, 3>(records, cpu_seconds);
    return records + '\n' + lines({"D O N E! S U C C E S S F U L L Y", ""});
}

}  // namespace voxmill::texts
