// Compressed files and inputs that can only be read once (a pipe, a process
// substitution, a FIFO): each gives exactly the console output and the result
// files of the plain file. A broken archive ends with its message and exit
// status 1, and leaves the folder, earlier results included, as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

// Runs the bash script `script` in `dir`, the binary as $V and `plain` (the
// plain input) as $P: its standard output, the CPU time masked and the names
// of a stream shown as CHGCAR, its standard error and its exit status.
RunResult run_script(const fs::path& dir, const std::string& plain, const std::string& script)
{
    ScratchDir capture;
    capture.write("plain", plain);
    capture.write("script", "V='" VOXMILL_BINARY "'; P='" + (capture.path() / "plain").string() + "'\n" + script);
    const std::string command = "cd '" + dir.string() + "' && bash '" + (capture.path() / "script").string() + "' >'"
                              + (capture.path() / "out").string() + "' 2>'" + (capture.path() / "err").string() + "'";
    const int status = std::system(command.c_str());
    RunResult result{capture.read("out"), capture.read("err"), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    if (const auto at = result.out.find(" CPU time (s): "); at != std::string::npos) result.out.erase(at + 15, 8);
    for (const std::string_view name : {"/dev/stdin", "/dev/fd/", "fifo"})
        for (std::size_t at; (at = result.out.find(name)) != std::string::npos;) {
            std::size_t end = at + name.size();
            while (end < result.out.size() && std::isdigit(static_cast<unsigned char>(result.out[end]))) ++end;
            result.out.replace(at, end - at, "CHGCAR");  // /dev/fd/63 with its number
        }
    return result;
}

TEST(CompressedInput, ReadsAsThePlainFile)
{
    // Each way runs voxmill $M on its input, with the fragments $R of a difference.
    const std::string ways[] = {
        "gzip -c $P >CHGCAR; \"$V\" $M CHGCAR $R",
        "(head -c 500 $P | gzip; tail -c +501 $P | gzip -1) >CHGCAR; \"$V\" $M CHGCAR $R",  // two members
        "bzip2 -c $P >CHGCAR; \"$V\" $M CHGCAR $R",
        "(head -c 500 $P | xz; tail -c +501 $P | xz -9) >CHGCAR; \"$V\" $M CHGCAR $R",  // two streams
        "zstd -q --long=26 <$P >CHGCAR; \"$V\" $M CHGCAR $R",  // a window of 64 MiB, as xz -9 has
        "cat $P | \"$V\" $M /dev/stdin $R",
        "\"$V\" $M <(zstd -q -c $P) $R",
        "mkfifo fifo; cat $P >fifo & \"$V\" $M fifo $R; rm fifo",
    };
    for (const std::string name : {"nonspin", "spin", "noncollinear"})
        for (const std::string mode : {"-c", "-s", "-x", "-ds"}) {
            const std::string head = mode == "-ds" ? "M=-ds; R='F F'; cp $P F\n" : "M=" + mode + "; R=\n";
            ScratchDir plain_dir;
            const RunResult plain = run_script(plain_dir.path(), example(name), head + "cp $P CHGCAR; \"$V\" $M CHGCAR $R");
            ASSERT_EQ(plain.status, 0) << plain.out;
            for (const std::string& way : ways) {
                SCOPED_TRACE(name + " " + mode + ": " + way);
                ScratchDir dir;
                const RunResult result = run_script(dir.path(), example(name), head + way);
                EXPECT_EQ(result.status, 0);
                EXPECT_EQ(result.out, plain.out);
                EXPECT_EQ(result.err, plain.err);
                Files files = files_in(plain_dir.path());
                files.erase("CHGCAR");
                if (fs::exists(dir.path() / "CHGCAR")) files["CHGCAR"] = read_file(dir.path() / "CHGCAR");
                expect_files(dir.path(), files);
            }
        }
}

void cut_in_half(std::string& bytes) { bytes.resize(bytes.size() / 2); }
void flip_middle(std::string& bytes) { bytes[bytes.size() / 2] ^= 0x55; }
void flip_gzip_checksum(std::string& bytes) { bytes[bytes.size() - 8] ^= 0x01; }
void flip_last(std::string& bytes) { bytes.back() ^= 0x01; }
void add_text(std::string& bytes) { bytes += "garbage\n"; }

// The first `count` lines of `text`.
std::string head(const std::string& text, int count)
{
    std::size_t end = 0;
    for (int n = 0; n < count; ++n) end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

TEST(CompressedInput, BrokenArchivesEndWithTheirMessage)
{
    const std::string spin = example("spin"), nonspin = example("nonspin");
    // Block 1 of 12 values, under a grid line that claims 10^9.
    std::string huge_grid = head(nonspin, 15);
    huge_grid.replace(huge_grid.find("    3    2    2"), 15, " 1000 1000 1000");
    // 64 MiB of blank lines where block 1 should be, in 64 kB of gzip.
    std::string bomb = head(nonspin, 12);
    for (int n = 0; n < 65536; ++n) bomb += std::string(1023, ' ') + "\n";
    const struct {
        std::string archive, err;
    } cases[] = {
        {archive("gzip", spin, cut_in_half), "cannot read CHGCAR: the gzip data is cut short"},
        {archive("gzip", spin, flip_gzip_checksum), "cannot read CHGCAR: the gzip data fails its checksum"},
        {archive("gzip", spin, flip_middle), "cannot read CHGCAR: the gzip data is corrupt"},
        {archive("gzip", spin, add_text), "cannot read CHGCAR: the gzip data is followed by bytes that are no gzip data"},
        {archive("bzip2", spin, cut_in_half), "cannot read CHGCAR: the bzip2 data is cut short"},
        {archive("bzip2", spin, flip_middle), "cannot read CHGCAR: the bzip2 data is corrupt or fails its checksum"},
        {archive("xz", spin, cut_in_half), "cannot read CHGCAR: the xz data is cut short"},
        {archive("xz", spin, flip_last), "cannot read CHGCAR: the xz data is corrupt or fails its checksum"},
        {archive("zstd", spin, cut_in_half), "cannot read CHGCAR: the zstd data is cut short"},
        {archive("zstd", spin, flip_last), "cannot read CHGCAR: the zstd data fails its checksum"},
        {archive("zstd", spin, flip_middle), "cannot read CHGCAR: the zstd data is corrupt"},
        {archive("gzip", huge_grid),
         "CHGCAR:15: unexpected end of file while reading density block 1 (12 of 1000000000 values read)"},
        {archive("gzip -9", bomb), "CHGCAR:65548: unexpected end of file while reading density block 1 (0 of 12 values read)"},
        {archive("xz", std::string(17 << 20, 'x')), "CHGCAR:1: line is longer than 16 MiB"},
    };
    for (const auto& [bytes, err] : cases) {
        SCOPED_TRACE(err);
        ScratchDir dir;
        dir.write("CHGCAR", bytes);
        dir.write("CHGDEN.xsf", "an earlier result\n");
        const Files before = files_in(dir.path());
        const RunResult result = Voxmill({"-c", "CHGCAR"}, dir.path()).wait();
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "voxmill: " + err + "\n");
        expect_files(dir.path(), before);
    }
}

}  // namespace
}  // namespace voxmill::testing
