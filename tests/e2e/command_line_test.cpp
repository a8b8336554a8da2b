// Every path of the command line, run through the built binary: the complete
// console output, byte for byte, and the exit status.
#include <gtest/gtest.h>

#include "expected_console.hpp"
#include "voxmill_run.hpp"

namespace voxmill::testing {
namespace {

const std::string help_text =
    " ::: HELP :::\n"
    " This program is to manipulate CHGCAR file(s) created by VASP calculation(s)\n"
    " REQUIREMENTS:\n"
    "  VASP 4.x: POTCAR, PARCHG/CHGCAR file(s) from VASP calculation(s)\n"
    "  VASP 5.x: PARCHG/CHGCAR file(s) from VASP calculation(s)\n"
    " USAGE:\n"
    "  voxmill -h                    : Display program help\n"
    "  voxmill -x file               : Split charge into up and down\n"
    "  voxmill -i file               : Get charge density on a plane\n"
    "  voxmill -s file               : Get spin density\n"
    "  voxmill -c file               : Get charge density\n"
    "  voxmill -ds file file1 file2  : Get spin density difference\n"
    "  voxmill -dc file file1 file2  : Get charge density difference\n"
    " NOTES:\n"
    "  For charge/spin difference, the first file is CHGCAR of full system and\n"
    "  only information of this file is printed out.\n"
    " EXAMPLES:\n"
    "  Get spin density from CHGCAR\n"
    "    voxmill -s CHGCAR                   -> create SPNDEN.xsf & SPNDEN.vasp\n"
    "  Get charge density difference\n"
    "    voxmill -dc CHGCAR CHGCAR1 CHGCAR2  -> create CHGDIFF.xsf & CHGDIFF.vasp\n"
    " PLEASE CONTACT ME IF THERE IS ANY PROBLEM.\n"
    " \n";

const std::string unsupported = "Input argument not supported";
const std::string no_files = "No input file(s) specified";
const std::string too_many = "Too many input information";

struct Case {
    std::vector<std::string> args;
    std::string reason;  // empty for help
};

TEST(CommandLine, PrintsBannerThenHelpOrTheRightErrorFrame)
{
    const std::string long_option = "-c" + std::string(18, ' ') + "ignored";  // cut at 20 characters
    const Case cases[] = {
        {{}, "No input argument(s) found"},
        {{"-h"}, ""},
        {{"-h", "x"}, too_many},
        {{"CHGCAR"}, unsupported},
        {{"-C", "CHGCAR"}, unsupported},
        {{"--c", "CHGCAR"}, unsupported},
        {{"-dcx", "A", "B", "C"}, unsupported},
        {{"-h-and-more-than-twenty-characters"}, unsupported},
        {{long_option, "missing", "extra"}, too_many},
        {{"-c"}, no_files},
        {{"-s"}, no_files},
        {{"-c", "A", "B"}, too_many},
        {{"-s", "A", "B", "C"}, too_many},
        {{"-dc", "A"}, no_files},
        {{"-ds", "A", "B"}, no_files},
        {{"-dc", "A", "B", "C", "D"}, too_many},
        {{"-ds", "A", "B", "C", "D", "E"}, too_many},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        std::string call;
        for (const auto& arg : c.args) call += "[" + arg + "]";
        SCOPED_TRACE(call);
        const RunResult result = run_voxmill(c.args, dir.path());
        if (c.reason.empty()) {
            EXPECT_EQ(result.out, banner + help_text);
            EXPECT_EQ(result.status, 0);
        } else {
            EXPECT_EQ(result.out, banner + error_frame(c.reason));
            EXPECT_EQ(result.status, 2);
        }
        EXPECT_EQ(result.err, "");
    }
}

}  // namespace
}  // namespace voxmill::testing
