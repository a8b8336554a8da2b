#include "formats/report.hpp"

#include <vector>

#include "text/blank_padding.hpp"
#include "text/fixed_fields.hpp"
#include "text/free_form_writer.hpp"

namespace voxmill {

namespace {

// A figure too wide for its field is printed in full, a few columns wider.
constexpr auto widen = fields::Overflow::widen;

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
        fields::text<5>(lists.back(), without_blanks(SPECS[m]));
    }
    if (!lists.empty()) lists.back().resize(without_trailing_blanks(lists.back()).size());
    return lists;
}

// Every line but the free-form ones starts with its label, written under A17
// after a blank: the label's 18th character, a blank, is dropped.
void put_label(std::string& report, std::string_view label)
{
    report += ' ';
    fields::text<17>(report, label);
}

void count_line(std::string& report, std::string_view label, long long value)  // (1X,A17,1X,I4)
{
    put_label(report, label);
    report += ' ';
    fields::integer<4, widen>(report, value);
    report += '\n';
}

void figure_line(std::string& report, std::string_view label, double value, std::string_view unit)
{
    put_label(report, label);  // (1X,A17,1X,F8.3,1X,A11)
    report += ' ';
    fields::fixed<8, 3, widen>(report, value);
    report += ' ';
    fields::text<11>(report, unit);
    report += '\n';
}

void vector_line(std::string& report, std::string_view label, double s, const Vector3& a)
{
    put_label(report, label);  // (1X,A17,1X,F6.3,1X,F6.3,1X,F6.3)
    for (const double component : a) {
        report += ' ';
        fields::fixed<6, 3, widen>(report, s * component);
    }
    report += '\n';
}

}  // namespace

std::string vacuum_level_line(const PlaneMean& highest)
{
    std::string line;  // (1X,A17,1X,F8.3,A8,F8.3,1X,A11)
    put_label(line, "Vacuum level    = ");
    line += ' ';
    fields::fixed<8, 3, widen>(line, highest.mean);
    line += "   eV at";
    fields::fixed<8, 3, widen>(line, highest.height);
    line += ' ';
    fields::text<11>(line, "  angstroms");
    return line + '\n';
}

std::string macroscopic_lines(std::span<const double> windows, double spread, bool potential)
{
    std::string lines;  // (1X,A17,1X,F8.3,A8,F8.3,1X,A11) with two windows
    put_label(lines, windows.size() == 1 ? "Macro window    = " : "Macro windows   = ");
    lines += ' ';
    fields::fixed<8, 3>(lines, windows[0]);
    if (windows.size() == 2) {
        lines += "     and";
        fields::fixed<8, 3>(lines, windows[1]);
    }
    lines += "   angstroms\n";
    if (windows.size() == 1) {
        put_label(lines, "Macro spread    = ");  // (1X,A17,1X,F8.3,3X,A) or F8.6 for a density
        lines += ' ';
        if (potential) {
            fields::fixed<8, 3>(lines, spread);
            lines += "   eV\n";
        } else {
            fields::fixed<8, 6>(lines, spread);
            lines += "   e/angstrom^3\n";
        }
    }
    return lines;
}

std::string iinfo(const StructureHeader& header, const DensitySums& sums)
{
    const GridMeans means = grid_means(sums);
    const double s = header.SCALE;

    std::string report = free_form_line();
    const std::string_view title[] = {"System name     = ", without_trailing_blanks(header.SNAME)};
    put_free_form_texts(report, title);
    const std::vector<std::string> lists = species_lists(header.SPECS);
    std::vector<std::string_view> species{"Species         = "};
    species.insert(species.end(), lists.begin(), lists.end());
    put_free_form_texts(report, species);

    count_line(report, "Number species  = ", header.NSPEC);
    count_line(report, "Number atoms    = ", header.NATOMS);
    figure_line(report, "Magnetization   = ", means.magnetization, "  magnetons");
    figure_line(report, "Total charge    = ", means.total, "  electrons");
    figure_line(report, "       ...up    = ", means.up, "  electrons");
    figure_line(report, "     ...down    = ", means.down, "  electrons");
    figure_line(report, "Scale const.    = ", s, "  angstroms");
    figure_line(report, "Unitcell volume = ", cell_volume(header), "angstroms^3");
    vector_line(report, "                  ", s, header.A[0]);
    vector_line(report, "Lattice vector  = ", s, header.A[1]);
    vector_line(report, "                  ", s, header.A[2]);

    put_label(report, "The FFT grid    = ");  // (1X,A17,2X,I3,A5,I3,A5,I3)
    report += "  ";
    fields::integer<3, widen>(report, header.NGRID[0]);
    report += "  x  ";
    fields::integer<3, widen>(report, header.NGRID[1]);
    report += "  x  ";
    fields::integer<3, widen>(report, header.NGRID[2]);
    report += '\n';
    report += free_form_line();
    return report;
}

}  // namespace voxmill
