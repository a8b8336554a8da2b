#include "ops/macroscopic.hpp"

#include <algorithm>
#include <cmath>

namespace voxmill {

namespace {

// One box of `planes` = L/h spacings. Offsets d = -reach .. reach from the
// centre carry the weights; plane (k + d) mod N gets the weight of d.
std::vector<double> box_average(const std::vector<double>& values, double planes)
{
    const auto N = static_cast<long>(values.size());
    const double half = planes / 2 + 0.5;
    const auto reach = static_cast<long>(std::ceil(half)) - 1;  // the farthest offset of a positive weight
    std::vector<double> weights;
    for (long d = 0; d <= reach; ++d) weights.push_back(std::min(1.0, half - static_cast<double>(d)));

    std::vector<double> averaged(values.size());
    for (long k = 0; k < N; ++k) {
        double sum = weights[0] * values[static_cast<std::size_t>(k)];
        for (long d = 1; d <= reach; ++d) {
            const long below = ((k - d) % N + N) % N, above = (k + d) % N;
            sum += weights[static_cast<std::size_t>(d)]
                   * (values[static_cast<std::size_t>(below)] + values[static_cast<std::size_t>(above)]);
        }
        averaged[static_cast<std::size_t>(k)] = sum / planes;
    }
    return averaged;
}

}  // namespace

std::vector<double> macroscopic_average(std::span<const PlaneMean> profile, std::span<const double> windows)
{
    std::vector<double> averaged;
    for (const PlaneMean& plane : profile) averaged.push_back(plane.mean);
    if (averaged.empty()) return averaged;
    const double spacing = std::abs(profile.front().height);
    for (const double window : windows) averaged = box_average(averaged, window / spacing);
    return averaged;
}

}  // namespace voxmill
