// Speed of the free-form real input: the density blocks of a CHGCAR.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "text/free_form_reader.hpp"

namespace {

// A block as VASP writes it, five values a line, " 0.44062142953E+01" and
// " -.76001653512E-02", in a temporary file removed at exit.
class BlockFile {
public:
    static constexpr std::size_t value_count = 2'400'000;  // about 43 MB

    BlockFile() : path_(std::filesystem::temp_directory_path() / ("voxmill-read-bench-" + std::to_string(::getpid())))
    {
        std::FILE* file = std::fopen(path_.c_str(), "w");
        if (file == nullptr) throw std::runtime_error("cannot write " + path_.string());
        std::mt19937_64 random(11);
        std::uniform_real_distribution<double> log_magnitude(-4, 3);
        for (std::size_t i = 0; i < value_count; ++i) {
            const double magnitude = std::pow(10.0, log_magnitude(random));
            const int exponent = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
            const auto digits = static_cast<long long>(std::llround(magnitude / std::pow(10.0, exponent) * 1e11));
            std::fprintf(file, random() % 4 == 0 ? " -.%011lldE%+03d" : " 0.%011lldE%+03d",
                         std::min(digits, 99999999999LL), exponent);
            if (i % 5 == 4) std::fputc('\n', file);
        }
        size_ = static_cast<std::size_t>(std::ftell(file));
        std::fclose(file);
    }
    ~BlockFile() { std::filesystem::remove(path_); }

    std::string path() const { return path_.string(); }
    std::size_t size() const { return size_; }

private:
    std::filesystem::path path_;
    std::size_t size_ = 0;
};

const BlockFile& block_file()
{
    static const BlockFile file;
    return file;
}

// One density block read whole, as the block reader does it.
void read_density_block(benchmark::State& state)
{
    const BlockFile& file = block_file();
    std::vector<double> values(BlockFile::value_count);
    for (auto _ : state) {
        voxmill::TextSource source(file.path());
        voxmill::FreeFormRead(source).reals(values, "density block 1");
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(read_density_block)->Unit(benchmark::kMillisecond);

// The records alone: what reading the file costs before any number is converted.
void read_records(benchmark::State& state)
{
    const BlockFile& file = block_file();
    for (auto _ : state) {
        voxmill::TextSource source(file.path());
        std::string_view record;
        std::size_t count = 0;
        while (source.next_record(record)) ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(read_records)->Unit(benchmark::kMillisecond);

}  // namespace
