#include "targets.hpp"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/run.hpp"
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
    if (data.empty()) return exit_success;
    static const char* const options[] = {"-c", "-s", "-x", "-i", "-dc", "-ds"};
    const std::string option = options[data[0] % 6];
    InScratchDir in_scratch;
    const std::vector<std::string_view> files_and_potcar = split_at_lines(as_text(data.subspan(1)), "%%POTCAR");
    const std::vector<std::string_view> pieces = split_at_lines(files_and_potcar[0], "%%");
    const std::string names[] = {"CHGCAR", "CHGCAR1", "CHGCAR2"};
    for (std::size_t f = 0; f < 3; ++f) write_file(names[f], pieces[f < pieces.size() ? f : 0]);
    write_file("POTCAR", files_and_potcar.size() > 1
                             ? files_and_potcar[1]
                             : "   TITEL  = PAW_PBE Ga_d 06Jul2010\n   TITEL  = PAW_PBE As 22Sep2009\n");

    std::vector<std::string> args{option, names[0]};
    if (option.size() == 3) args.insert(args.end(), {names[1], names[2]});
    const int status = run(args);
    promise(status == exit_success || status == exit_failure, "exit status " + std::to_string(status));
    for (const auto& entry : fs::directory_iterator("."))
        promise(entry.path().filename().string()[0] != '.', "a temporary file left behind");
    return status;
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
