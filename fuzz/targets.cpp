#include "targets.hpp"

#include <fcntl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/decoders.hpp"
#include "compress.hpp"
#include "driver/run.hpp"
#include "picture/drawing.hpp"
#include "system/failure.hpp"
#include "text/free_form_reader.hpp"
#include "text/text_source.hpp"

namespace voxmill::fuzz {

namespace {

namespace fs = std::filesystem;

// One scratch directory for the whole process, removed at its end.
const fs::path& scratch_dir()
{
    static const struct Scratch {
        fs::path path;
        Scratch()
        {
            std::string pattern = (fs::temp_directory_path() / "voxmill-fuzz-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
            path = pattern;
        }
        ~Scratch()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } scratch;
    return scratch.path;
}

// Works inside the scratch directory, emptied first, and returns to the
// previous working directory afterwards.
class InScratchDir {
public:
    InScratchDir() : previous_(fs::current_path())
    {
        for (const auto& entry : fs::directory_iterator(scratch_dir())) fs::remove_all(entry.path());
        fs::current_path(scratch_dir());
    }
    ~InScratchDir() { fs::current_path(previous_); }
    InScratchDir(const InScratchDir&) = delete;
    InScratchDir& operator=(const InScratchDir&) = delete;

private:
    fs::path previous_;
};

void write_file(const fs::path& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string_view as_text(Input data) { return {reinterpret_cast<const char*>(data.data()), data.size()}; }

// Splits `text` at the lines that hold exactly `separator`.
std::vector<std::string_view> split_at_lines(std::string_view text, std::string_view separator)
{
    const std::string marker = "\n" + std::string(separator) + "\n";
    std::vector<std::string_view> pieces;
    for (std::size_t at; (at = text.find(marker)) != std::string_view::npos; text.remove_prefix(at + marker.size()))
        pieces.push_back(text.substr(0, at + 1));
    pieces.push_back(text);
    return pieces;
}

void promise(bool kept, const std::string& what)
{
    if (!kept) throw BrokenPromise(what);
}

// The exit status of a failure thrown by the code under test.
template <typename Body>
int status_of(Body body)
{
    try {
        body();
        return exit_success;
    } catch (const Failure&) {
    } catch (const std::bad_alloc&) {
    }
    return exit_failure;
}

// The text of the archive at `path` as its decoder gives it in reads of at
// most `most` bytes, of which 64 Ki at most and 16 MiB of text at most, and
// the failure that ended it. A file of plain text gives none.
struct Decoded {
    std::string text, failure;
    bool ended = true;  // by the end of the text or by a failure, not by the limit
};
Decoded decode(const char* path, std::size_t most)
{
    const std::size_t limit = std::min(most << 16, std::size_t{16} << 20);
    Decoded decoded;
    try {
        FileBytes bytes(::open(path, O_RDONLY | O_CLOEXEC), path);
        const std::unique_ptr<Decoder> decoder = decoder_for(bytes);
        const auto piece = std::make_unique_for_overwrite<char[]>(decoder ? most : 0);
        while (decoder && (decoded.ended = decoded.text.size() < limit)) {
            const std::size_t got = decoder->read(piece.get(), most);
            promise(got <= most, "a read beyond its room");
            if (got == 0) break;
            decoded.text.append(piece.get(), got);
        }
    } catch (const Failure& failure) {
        decoded.failure = failure.what();
    }
    return decoded;
}

void run_operations(TextSource& source, std::string_view operations)
{
    std::optional<FreeFormRead> statement(std::in_place, source);
    int integer = 0;
    double real = 0.0;
    std::string text;
    std::vector<double> reals;
    for (int step = 0; step < 1000; ++step) {
        const auto op = static_cast<unsigned char>(operations[static_cast<std::size_t>(step) % operations.size()]);
        const unsigned p = op >> 3;
        switch (op & 7) {
        case 0: statement->integer(integer); break;
        case 1:
            statement->real(real);
            promise(std::isfinite(real), "a real that is not finite");
            break;
        case 2:
        case 4:
            text.assign(op == 2 ? 3 * p + 1 : 80, '?');  // what a null value leaves
            if (!statement->try_text(text, text.size())) return;
            promise(text.size() == (op == 2 ? 3 * p + 1 : 80), "a text of the wrong length");
            break;
        case 3:
            reals.assign(p * p + 1, 0.0);
            statement->reals(reals, "the values");
            for (const double value : reals) promise(std::isfinite(value), "a real in a run that is not finite");
            break;
        case 5: statement.emplace(source); break;
        case 6:
            source.return_to({});
            statement.emplace(source);
            break;
        case 7: {
            std::string_view record;
            if (!source.next_record(record)) return;
            for (const char* first = record.data(); first != record.data() + record.size(); ++first) {
                const auto [after, error] = read_real(first, record.data() + record.size(), real);
                promise(after >= first && after <= record.data() + record.size(), "a token end outside the record");
                promise(error != std::errc{} || std::isfinite(real), "a real that is not finite");
            }
            statement.emplace(source);
            break;
        }
        }
    }
}

}  // namespace

int free_form(Input data)
{
    if (data.empty()) return exit_success;
    const std::size_t count = std::min<std::size_t>(data[0] % 32, data.size() - 1);
    std::string_view operations = as_text(data.subspan(1, count));
    if (operations.empty()) operations = "\x03\x05";  // runs of one value, statement by statement
    return status_of([&] {
        TextSource source("input", std::string(as_text(data.subspan(1 + count))));
        run_operations(source, operations);
    });
}

int whole_run(Input data)
{
    if (data.size() < 2) return exit_success;
    static const char* const options[] = {"-c",  "-s",  "-x",  "-i", "-dc", "-ds", "-a",
                                          "-ia", "-ib", "-ic", "-p", "-pa", "-pb", "-pc"};
    const std::string option = options[data[0] % 14];
    const auto format = static_cast<Compression>(data[1] % 5);
    const bool two_streams = data[1] / 5 % 2 == 1;
    InScratchDir in_scratch;
    const std::vector<std::string_view> files_and_potcar = split_at_lines(as_text(data.subspan(2)), "%%POTCAR");
    const std::vector<std::string_view> pieces = split_at_lines(files_and_potcar[0], "%%");
    const std::string names[] = {"CHGCAR", "CHGCAR1", "CHGCAR2"};
    write_file("POTCAR", files_and_potcar.size() > 1
                             ? files_and_potcar[1]
                             : "   TITEL  = PAW_PBE Ga_d 06Jul2010\n   TITEL  = PAW_PBE As 22Sep2009\n");
    std::vector<std::string> args{option, names[0]};
    if (option == "-a") args.insert(args.end(), names + 1, names + (pieces.size() > 2 ? 3 : 2));
    if (option == "-dc" || option == "-ds") args.insert(args.end(), {names[1], names[2]});
    if (data[1] / 10 % 2 == 1) args.emplace_back("--quiet");
    if (data[1] / 20 % 2 == 1) {
        fs::create_directory("out");
        args.emplace_back("--output-dir=out");
    }
    // The options of the profiles, or of the grids; --plot where this build can draw.
    static const char* const profile_options[] = {"", "--macro=2.5", "--plot", "--macro=2.5,1.5"};
    static const char* const grid_options[] = {"", "--format=cube", "--format=vasp", "--format=xsf,cube"};
    const bool profile = option[1] == 'i' || option[1] == 'p';
    const std::string_view extra = profile ? profile_options[data[1] / 40 % 4] : grid_options[data[1] / 40 % 4];
    if (!extra.empty() && (extra != "--plot" || !picture::drawing_library.empty())) args.emplace_back(extra);

    // The exit status and the results of a run on the files in `form`, the
    // results taken away.
    const auto run_on = [&](Compression form, bool two_streams) {
        for (std::size_t f = 0; f < 3; ++f) {
            const std::string_view text = pieces[f < pieces.size() ? f : 0];
            const std::size_t half = two_streams ? text.size() / 2 : text.size();
            write_file(names[f], compressed(form, text.substr(0, half)) + compressed(form, text.substr(half)));
        }
        const int status = run(args);
        promise(status == exit_success || status == exit_failure, "exit status " + std::to_string(status));
        std::map<std::string, std::string> results;
        for (const auto& entry : fs::recursive_directory_iterator(".")) {
            const std::string name = entry.path().lexically_relative(".").string();
            promise(entry.path().filename().string()[0] != '.', "a temporary file left behind");
            if (entry.is_directory() || name == "POTCAR" || std::ranges::find(names, name) != std::end(names)) continue;
            results[name] = read_file(name);
        }
        for (const auto& [name, content] : results) fs::remove(name);
        return std::pair(status, results);
    };
    const auto outcome = run_on(format, two_streams);
    if (format != Compression::none)
        promise(run_on(Compression::none, false) == outcome, "results that differ from those of the plain text");
    return outcome.first;
}

int stream(Input data)
{
    if (data.empty()) return exit_success;
    static const std::size_t read_sizes[] = {1, 7, 4 << 10, 64 << 10, 1 << 20, 64 << 20};
    InScratchDir in_scratch;
    write_file("archive", as_text(data.subspan(1)));
    const Decoded reference = decode("archive", 1 << 20);
    const Decoded decoded = decode("archive", read_sizes[data[0] % 6]);
    const std::size_t common = std::min(reference.text.size(), decoded.text.size());
    promise(decoded.text.compare(0, common, reference.text, 0, common) == 0, "a text that depends on the reads");
    // Broken data ends the same way, though a decoder may give more or less of the text ahead of the fault.
    if (reference.ended && decoded.ended)
        promise(decoded.failure == reference.failure
                    && (!reference.failure.empty() || decoded.text.size() == reference.text.size()),
                "an end that depends on the reads: " + decoded.failure + " / " + reference.failure);
    return reference.failure.empty() ? exit_success : exit_failure;
}

int vasp_h5(Input data)
{
    if (data.empty()) return exit_success;
    static const char* const options[] = {"-c", "-s", "-x", "-i", "-p"};
    InScratchDir in_scratch;
    const std::string_view file = as_text(data.subspan(1));
    write_file("vaspwave.h5", file);
    if (data[0] & 8) write_file("vaspout.h5", file);
    const int status = run(std::vector<std::string>{options[data[0] % 5], "vaspwave.h5"});
    promise(status == exit_success || status == exit_failure, "exit status " + std::to_string(status));
    return status;
}

}  // namespace voxmill::fuzz
