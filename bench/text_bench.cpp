// Speed of the real output: the grid values of XSF and ".vasp" files, and the
// E13.5 values of cubes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "text/exponent_field.hpp"
#include "text/free_form_writer.hpp"
#include "text/real_form.hpp"

namespace {

// CHGCAR-like values: densities times the cell volume from 1e-3 to 1e3 with
// full 17-digit mantissas, as a division leaves them.
std::vector<double> grid_values(std::size_t count)
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> log_magnitude(-3, 3);
    std::vector<double> values(count);
    for (double& v : values) v = std::pow(10.0, log_magnitude(random)) / 3.0;
    return values;
}

// A spread of magnitudes and signs, with some zeros, as a spin density has.
std::vector<double> spread_values(std::size_t count)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> log_magnitude(-12, 16);
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = i % 50 == 0 ? 0.0 : (i % 2 ? -1 : 1) * std::pow(10.0, log_magnitude(random)) / 7.0;
    return values;
}

constexpr std::size_t grid_size = 60 * 60 * 60;

// The values of a ".vasp" file: as they are.
void put_real_records_as_read(benchmark::State& state)
{
    const std::vector<double> values = grid_values(grid_size);
    std::string out(voxmill::real_records_size(values.size()), '\0');
    for (auto _ : state) {
        char* end = voxmill::put_real_records(out.data(), values.data(), values.size());
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(put_real_records_as_read)->Unit(benchmark::kMillisecond);

// The values of an XSF file: each divided by the cell volume in cubic bohr.
void put_real_records_per_bohr3(benchmark::State& state)
{
    const std::vector<double> values = grid_values(grid_size);
    std::string out(voxmill::real_records_size(values.size()), '\0');
    for (auto _ : state) {
        char* end = voxmill::put_real_records(out.data(), values.data(), values.size(), 1080.4331);
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(put_real_records_per_bohr3)->Unit(benchmark::kMillisecond);

// The values of a cube: runs of 60 along z, six E13.5 fields to a line.
void put_exponent_records_runs(benchmark::State& state)
{
    const std::vector<double> values = grid_values(grid_size);
    std::string out(voxmill::exponent_records_size(60) * (values.size() / 60), '\0');
    for (auto _ : state) {
        char* end = out.data();
        for (std::size_t run = 0; run < values.size(); run += 60)
            end = voxmill::put_exponent_records(end, values.data() + run, 60);
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(put_exponent_records_runs)->Unit(benchmark::kMillisecond);

template <char* (*put)(char*, double) noexcept>
void put_fields_spread(benchmark::State& state)
{
    const std::vector<double> values = spread_values(1 << 16);
    char field[voxmill::real_field_width];
    for (auto _ : state) {
        for (double v : values) {
            put(field, v);
            benchmark::DoNotOptimize(field);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}
BENCHMARK(put_fields_spread<voxmill::put_real_field>)->Name("put_real_field/spread");
BENCHMARK(put_fields_spread<voxmill::put_real_field_exact>)->Name("put_real_field_exact/spread");

}  // namespace
