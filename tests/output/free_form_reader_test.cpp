#include "output/free_form_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "output/failure.hpp"
#include "support/run_binary.hpp"
#include "support/failure_of.hpp"

namespace voxmill {
namespace {

using testing::failure_of;

// A file named CHGCAR with the given content, opened as a source.
struct Input {
    explicit Input(const std::string& content) : source((dir.write("CHGCAR", content), path())) {}
    std::string path() const { return (dir.path() / "CHGCAR").string(); }
    // The first text of the next record: where the next statement starts.
    std::string next_text()
    {
        std::string text;
        return FreeFormRead(source).try_text(text, 4) ? text : "<end of file>";
    }
    testing::ScratchDir dir;
    TextSource source;
};

TEST(FreeFormRead, FillsIntegersFromRecordsAndSkipsTheRest)
{
    const struct {
        std::string content;
        std::vector<int> values;  // items start as -1, which a null value keeps
    } cases[] = {
        {"   48\n\n \t\n48\t96 7 8", {48, 48, 96}}, {"1 , 2 ,3,", {1, 2, 3}},
        {"1\r\n2 3\r", {1, 2, 3}},                 {"+5 -0 007", {5, 0, 7}},
        {"2147483647 -2147483648 0", {2147483647, -2147483648, 0}},
        {"1,,3", {1, -1, 3}},                       {"1, ,3", {1, -1, 3}},
        {"1,\n,3", {1, -1, 3}},                     {" \n ,2,3", {-1, 2, 3}},
        {"1\n,3 4", {1, 3, 4}},                     {"1 4*9", {1, 9, 9}},
        {"2*,5", {-1, -1, 5}},                      {"2* 5", {-1, -1, 5}},
        {"1/2 3", {1, -1, -1}},                     {"1 2*/ 3", {1, -1, -1}},
        {"/", {-1, -1, -1}},
    };
    for (const auto& c : cases) {
        Input input(c.content + "\nnext\n");
        std::vector<int> values(3, -1);
        FreeFormRead(input.source).integer(values[0]).integer(values[1]).integer(values[2]);
        EXPECT_EQ(values, c.values) << c.content;
        EXPECT_EQ(input.next_text(), "next") << c.content;
    }
}

TEST(FreeFormRead, ReadsTexts)
{
    const struct {
        std::string content;
        std::size_t length;
        std::vector<std::string> texts;  // items start as "x"s, which a null value keeps
    } cases[] = {
        {"Direct configuration= 1", 80, {"Direct" + std::string(74, ' ')}},
        {"   TITEL  = PAW_PBE Ga_d 06Sep2000", 5, {"TITEL", "=    ", "PAW_P", "Ga_d "}},
        {"abc,def/ghi", 3, {"abc", "def", "xxx"}},
        {"'a b'\t\"c,d\" 'it''s' \"\"\"\"", 4, {"a b ", "c,d ", "it's", "\"   "}},
        {"'open ended", 12, {"open ended  "}},
        {"2*Fe O '' ,, x", 2, {"Fe", "Fe", "O ", "  ", "xx", "x "}},
    };
    for (const auto& c : cases) {
        Input input(c.content);
        FreeFormRead read(input.source);
        for (const auto& expected : c.texts) {
            std::string text(c.length, 'x');
            read.text(text, c.length);
            EXPECT_EQ(text, expected) << c.content;
        }
    }
}

TEST(FreeFormRead, ReadsRealsInEveryForm)
{
    const struct {
        std::string token;
        double value;
    } cases[] = {
        {"0.52918E+00", 0.52918}, {"-12", -12.0}, {".5", 0.5}, {"5.", 5.0}, {"1.0D-3", 1e-3}, {"1.0d-3", 1e-3},
        {"2e3", 2e3}, {"+1.5", 1.5}, {"+.5E+1", 5.0}, {"0.5-100", 0.5e-100}, {"1.0+3", 1000.0},
        {"-.30233300000-128", -.302333e-128}, {"1e308", 1e308},
        {"1.7976931348623157D308", 1.7976931348623157e308}, {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"2.5D-310", 2.5e-310}, {"1e-400", 0.0}, {"-1-400", -0.0}, {"18446744073709551616", 18446744073709551616.0},
        {"0.000000000000000000001", 1e-21},
    };
    for (const auto& c : cases) {
        Input input(" " + c.token + " \n");
        double value = 7;
        FreeFormRead(input.source).real(value);
        EXPECT_EQ(value, c.value) << c.token;
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.token;
    }
}

TEST(FreeFormRead, NamesTheFileLineAndTokenItCannotRead)
{
    // Near misses of VASP's form are in ReadsFieldsThatNearlyHaveVaspsFormAsFromCharsDoes.
    const std::string nines(400, '9');
    const struct {
        std::string token;    // "i " before it: read as an integer
        std::string message;  // after "CHGCAR:2: expected "; empty: a real number, found the token
    } cases[] = {
        {"0.5x", ""}, {"1.2.3", ""}, {"E5", ""}, {"-", ""}, {"1e", ""}, {"1+", ""}, {"--1", ""}, {"0x10", ""},
        {"Infinity", ""}, {"NaN", ""},
        {"1e400", "a real number, found \"1e400\" (out of range)"},
        {"-1D400", "a real number, found \"-1D400\" (out of range)"},
        {nines, "a real number, found \"" + nines.substr(0, 40) + "...\" (out of range)"},
        {"3*0.5x", "a real number, found \"0.5x\""},   {"0*5", "a repeat count, found \"0*5\""},
        {"i 1.5", "the count, found \"1.5\""},         {"i +-5", "the count, found \"+-5\""},
        {"i 2147483648", "the count, found \"2147483648\" (out of range)"},
    };
    for (const auto& c : cases) {
        const bool integer = c.token.starts_with("i ");
        Input input("first\n 1 " + c.token.substr(integer ? 2 : 0) + "\n");
        input.next_text();
        FreeFormRead read(input.source);
        double values[2];
        int count = 0;
        EXPECT_EQ(failure_of([&] { integer ? read.integer(count).integer(count, "the count") : read.reals(values, "block"); }),
                  input.path() + ":2: expected " + (c.message.empty() ? "a real number, found \"" + c.token + "\"" : c.message));
    }
}

TEST(FreeFormRead, ReportsTheEndOfTheFileAtItsLastLine)
{
    Input block("1 2 3\n4 5\n");
    std::vector<double> values(10);
    EXPECT_EQ(failure_of([&] { FreeFormRead(block.source).reals(values, "density block 2"); }),
              block.path() + ":2: unexpected end of file while reading density block 2 (5 of 10 values read)");

    Input counts("7\n\n");
    int count = 0;
    EXPECT_EQ(failure_of([&] { FreeFormRead(counts.source).integer(count).integer(count, "the number of atoms of species 2"); }),
              counts.path() + ":2: unexpected end of file, expected the number of atoms of species 2");
    EXPECT_EQ(count, 7);

    Input empty("");
    std::string text;
    EXPECT_EQ(failure_of([&] { FreeFormRead(empty.source).text(text, 4); }), empty.path() + ": unexpected end of file, expected a text");
}

TEST(FreeFormRead, FillsRealsWithNullsRepeatsAndASlash)
{
    Input input("1,2\n3*4 2*\n5,,6 ,7\n\n8 /9\nnext\n");
    std::vector<double> values(12, -1);
    FreeFormRead read(input.source);
    read.reals(std::span(values).first(4), "block").reals(std::span(values).subspan(4), "block");
    EXPECT_EQ(values, (std::vector<double>{1, 2, 4, 4, 4, -1, -1, 5, -1, 6, 7, 8}));
    double after_slash = -1;
    read.reals(values, "block").real(after_slash);
    EXPECT_EQ(after_slash, -1);
    EXPECT_EQ(input.next_text(), "next");
}

// The value from_chars gives for `text`, which must be one.
double from_chars_value(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc{} && end == text.data() + text.size()) << text;
    return value;
}

TEST(FreeFormRead, ReadsFieldsThatNearlyHaveVaspsFormAsFromCharsDoes)
{
    // Each field stands in turn in every column of a record of five fields
    // " 0.25000000000E+00", which then has VASP's layout but for that field.
    const struct {
        std::string field;
        std::vector<std::string> values;  // as from_chars takes them
        std::string error;                // the token of the message, if any
    } cases[] = {
        {" 0.12345678901E+01", {"1.2345678901"}, ""},
        {" -.98765432109E-03", {"-0.98765432109e-3"}, ""},
        {" -.00000000000E+00", {"-0"}, ""},
        // the exponents at which the 11 digits and the power stop being exact
        {" 0.99999999999E+33", {"0.99999999999e33"}, ""},
        {" 0.99999999999E+34", {"0.99999999999e34"}, ""},
        {" -.99999999999E-11", {"-0.99999999999e-11"}, ""},
        {" -.99999999999E-12", {"-0.99999999999e-12"}, ""},
        {" 0.12345678901E+11", {"12345678901"}, ""},
        {" 0.12345678901E+12", {"123456789010"}, ""},
        // other forms of the same length, and one digit more or fewer
        {" 0.12345678901+001", {"1.2345678901"}, ""},
        {" 0.12345678901e-01", {"0.12345678901e-1"}, ""},
        {" 0.12345678901D+01", {"1.2345678901"}, ""},
        {" +.12345678901E+01", {"1.2345678901"}, ""},
        {" 1.12345678901E+01", {"11.2345678901"}, ""},
        {"  .12345678901E+01", {"1.2345678901"}, ""},
        {" 0.123456789012E+01", {"1.23456789012"}, ""},
        {" 0.1234567890E+01", {"1.23456789"}, ""},
        {" 0.12345678901E+001", {"1.2345678901"}, ""},
        // separators where VASP puts a blank or a character
        {"\t0.12345678901E+01", {"1.2345678901"}, ""},
        {" 0,12345678901E+01", {"0", "12345678901e1"}, ""},
        {" 0.12345678901E+01\t", {"1.2345678901"}, ""},
        {" 0.12345678901E+01,", {"1.2345678901"}, ""},
        {" 0.12345678901E+2 ", {"12.345678901"}, ""},
        {" -.12345678901E-1,", {"-0.012345678901"}, ""},
        // a character that breaks the form
        {" 0.12345x78901E+01", {}, "0.12345x78901E+01"},
        {" 0.1234567890xE+01", {}, "0.1234567890xE+01"},
        {" 0.12345678901F+01", {}, "0.12345678901F+01"},
        {" 0.12345678901E,01", {}, "0.12345678901E"},
        {" 0.12345678901E+0x", {}, "0.12345678901E+0x"},
        {" 0.12345678901E+x1", {}, "0.12345678901E+x1"},
        {" 0.12345678901E+01x", {}, "0.12345678901E+01x"},
        {" x.12345678901E+01", {}, "x.12345678901E+01"},
        {" ..12345678901E+01", {}, "..12345678901E+01"},
        {" 0..2345678901E+01", {}, "0..2345678901E+01"},
        {" -.12345678901E 01", {}, "-.12345678901E"},
        {" 0.12345678901E+ 1", {}, "0.12345678901E+"},
        {" -.12345678901E*01", {}, "-.12345678901E*01"},  // just below '+'
        {" 0.12345678901E+/1", {}, "0.12345678901E+"},     // just below '0'
        {" 0.12345678901E+01\x80", {}, "0.12345678901E+01\\x80"},
    };
    const std::string quarter = " 0.25000000000E+00";
    for (const auto& c : cases)
        for (std::size_t column = 0; column < 5; ++column) {
            std::string record;
            std::vector<double> expected;  // of one record
            for (std::size_t i = 0; i < 5; ++i) {
                record += i == column ? c.field : quarter;
                if (i != column) expected.push_back(0.25);
                else for (const auto& v : c.values) expected.push_back(from_chars_value(v));
            }
            Input input(record + "\r\n" + record + "\n");
            std::vector<double> values(2 * expected.size(), -1);
            const std::string failure = failure_of([&] { FreeFormRead(input.source).reals(values, "block"); });
            const std::string where = c.field + " in column " + std::to_string(column + 1);
            EXPECT_EQ(failure, c.error.empty() ? "no failure" : input.path() + ":1: expected a real number, found \"" + c.error + "\"") << where;
            for (std::size_t i = 0; i < values.size() && c.error.empty(); ++i)
                EXPECT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(expected[i % expected.size()])) << where;
        }
}

TEST(FreeFormRead, VaspRecordsEndAtASlashAndLeaveTheRestUnchanged)
{
    // A record that would have VASP's layout but for a slash in place of a blank.
    const std::string quarter = " 0.25000000000E+00";
    for (std::size_t column = 0; column < 5; ++column) {
        std::string record;
        for (std::size_t i = 0; i < 5; ++i) record += i == column ? "/" + quarter.substr(1) : quarter;
        Input input(record + "\n" + quarter + "\nnext\n");
        std::vector<double> values(6, -1);
        std::vector<double> expected(6, -1);
        std::fill_n(expected.begin(), column, 0.25);
        FreeFormRead(input.source).reals(values, "block");
        EXPECT_EQ(values, expected) << "slash in column " << column + 1;
        EXPECT_EQ(input.next_text(), "0.25") << "slash in column " << column + 1;
    }
}

TEST(FreeFormRead, ReadsVaspRecordsPieceByPieceAsInOneCall)
{
    // Pieces that end inside a record of five values, as the component
    // blocks of a non-collinear file are read.
    std::string content;
    std::vector<double> expected;
    for (int i = 1; i <= 20; ++i) {
        const std::string value = (i % 3 == 0 ? "-." : "0.") + std::to_string(12345678900LL + i) + "E+0" + std::to_string(i % 10);
        content += " " + value + (i % 5 == 0 ? "\n" : "");
        expected.push_back(from_chars_value((i % 3 == 0 ? "-0." : "0.") + value.substr(2)));
    }
    for (const std::size_t piece : {1, 3, 4, 6, 7}) {
        Input input(content + "next\n");
        std::vector<double> values(expected.size(), -1);
        FreeFormRead read(input.source);
        for (std::size_t first = 0; first < values.size(); first += piece)
            read.reals(std::span(values).subspan(first, std::min(piece, values.size() - first)), "block", values.size());
        EXPECT_EQ(values, expected) << "pieces of " << piece;
        EXPECT_EQ(input.next_text(), "next") << "pieces of " << piece;
    }
}

TEST(FreeFormRead, CountsTheLinesOfLongRunsOfVaspRecords)
{
    // Runs of records read straight from the file, longer than the stretches
    // they are taken in: what follows them is read and named at its own line.
    constexpr long records = 30000;  // about 2.7 MB
    std::string run;
    std::vector<double> expected;
    for (long r = 0; r < records; ++r)
        for (long i = 0; i < 5; ++i) {
            const long n = 5 * r + i;
            run += (n % 2 ? " -." : " 0.") + std::to_string(10000000000 + n) + "E+02";
            expected.push_back((n % 2 ? -1 : 1) * static_cast<double>(10000000000 + n) / 1e9);
            if (i == 4) run += "\n";
        }
    const std::string line_after = ":" + std::to_string(records + 1) + ": ";
    const struct {
        std::string after;
        std::size_t extra;    // values asked for beyond the run
        std::string outcome;  // after the path
    } cases[] = {
        {"", 1, ":" + std::to_string(records) + ": unexpected end of file while reading block (150000 of 150001 values read)"},
        {" 0.5x\n", 1, line_after + "expected a real number, found \"0.5x\""},
        {" 1 2 3 4 5 6\nnext\n", 2, "next"},
        {" 0.25000000000E+00 0.25000000000E+00 0.25000000000E+00 0.25000000000E+00 0.25000000000E+00\r\nnext\n", 5, "next"},
    };
    for (const auto& c : cases) {
        Input input(run + c.after);
        std::vector<double> values(expected.size() + c.extra, -1);
        const std::string failure = failure_of([&] { FreeFormRead(input.source).reals(values, "block"); });
        const std::string outcome = failure == "no failure" ? input.next_text() : failure.substr(input.path().size());
        EXPECT_EQ(outcome, c.outcome) << c.after;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), values.begin())) << c.after;
    }
}

TEST(FreeFormRead, ReadsVaspRealsLikeStrtod)
{
    // VASP's forms, " 0.xxxE+yy", " -.xxxE-yy" and three-digit exponents with
    // no letter, and shortest round-trip forms, over several buffer refills;
    // exponents from -12 to 34 reach past both ends of the exact powers of ten,
    // and some records end in CR LF.
    std::mt19937_64 random(20240611);
    std::string content;
    std::vector<double> expected;
    char vasp[40];
    char plain[40];
    for (int n = 0; n < 200000; ++n) {
        const auto digits = static_cast<unsigned long long>(random() % 100000000000);
        const int exponent = static_cast<int>(n % 2 == 0 ? random() % 47 - 12 : random() % 639 - 330);
        const char* sign = random() % 2 == 1 ? "-" : "0";
        std::snprintf(plain, sizeof plain, "%s.%011lluE%+03d", sign, digits, exponent);
        std::snprintf(vasp, sizeof vasp, std::abs(exponent) < 100 ? "%s.%011lluE%+03d" : "%s.%011llu%+04d", sign, digits, exponent);
        if (n % 10 == 9) std::snprintf(vasp, sizeof vasp, "%.17g", std::ldexp(static_cast<double>(digits), exponent % 40));
        content += std::string(" ") + vasp + (n % 5 == 4 ? (n % 3 == 0 ? "\r\n" : "\n") : "");
        expected.push_back(std::strtod(n % 10 == 9 ? vasp : plain, nullptr));
    }
    Input input(content);
    std::vector<double> values(expected.size());
    FreeFormRead(input.source).reals(values, "density block 1");
    for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], expected[i]) << "value " << i + 1;
}

}  // namespace
}  // namespace voxmill
