#include "output/report.hpp"

#include "output/blank_padding.hpp"
#include "output/console.hpp"
#include "output/fixed_fields.hpp"
#include "output/format_list.hpp"
#include "output/free_form_writer.hpp"

namespace voxmill {

namespace {

struct GridMeans {
    double magnetization;
    double total;
    double up;
    double down;
};

GridMeans grid_means(const DensitySums& sums)
{
    const auto N = static_cast<double>(sums.points);
    return {sums.spin / N, sums.charge / N, (sums.up / N) * 0.5, (sums.down / N) * 0.5};
}

// Species names right-justified in 5 columns each, in texts of at most 15
// names, so that no line of the report runs past 80 columns.
std::vector<std::string> species_lists(const std::vector<std::string>& SPECS)
{
    constexpr std::size_t names_per_list = 15;
    std::vector<std::string> lists;
    for (std::size_t m = 0; m < SPECS.size(); ++m) {
        if (m % names_per_list == 0) lists.emplace_back();
        fields::text(lists.back(), without_blanks(SPECS[m]), 5);
    }
    if (!lists.empty()) lists.back().resize(without_trailing_blanks(lists.back()).size());
    return lists;
}

}  // namespace

std::string information_report(const StructureHeader& header, const DensitySums& sums)
{
    const GridMeans means = grid_means(sums);
    const double s = header.SCALE;

    std::string report = free_form_line();
    {
        FreeFormStatement title(report);
        title.text("System name     = ").text(without_trailing_blanks(header.SNAME));
    }
    {
        FreeFormStatement species(report);
        species.text("Species         = ");
        for (const std::string& list : species_lists(header.SPECS)) species.text(list);
    }
    const FormatList count_line("(1X,A17,1X,I4)");
    const FormatList figure_line("(1X,A17,1X,F8.3,1X,A11)");
    const FormatList vector_line("(1X,A17,1X,F6.3,1X,F6.3,1X,F6.3)");
    const auto counted = [&](std::string_view label, long long value) {
        const FormatItem items[] = {label, value};
        report += count_line.write(items);
    };
    const auto figure = [&](std::string_view label, double value, std::string_view unit) {
        const FormatItem items[] = {label, value, unit};
        report += figure_line.write(items);
    };
    const auto lattice_vector = [&](std::string_view label, const Vector3& a) {
        const FormatItem items[] = {label, s * a[0], s * a[1], s * a[2]};
        report += vector_line.write(items);
    };

    counted("Number species  = ", header.NSPEC);
    counted("Number atoms    = ", header.NATOMS);
    figure("Magnetization   = ", means.magnetization, "  magnetons");
    figure("Total charge    = ", means.total, "  electrons");
    figure("       ...up    = ", means.up, "  electrons");
    figure("     ...down    = ", means.down, "  electrons");
    figure("Scale const.    = ", s, "  angstroms");
    figure("Unitcell volume = ", cell_volume(header), "angstroms^3");
    lattice_vector("                  ", header.A[0]);
    lattice_vector("Lattice vector  = ", header.A[1]);
    lattice_vector("                  ", header.A[2]);
    report += format_record("(1X,A17,2X,I3,A5,I3,A5,I3)", {"The FFT grid    = ", header.NGRID[0], "  x  ",
                                                              header.NGRID[1], "  x  ", header.NGRID[2]});
    report += free_form_line();
    return report;
}

void iinfo(const StructureHeader& header, const DensitySums& sums)
{
    console::write(information_report(header, sums));
}

}  // namespace voxmill
