// Records and their line numbers, read from a file or a string, again after a
// rewind, a return to a mark or a step back. Free-form reading: items over
// records, repeats, null values and the slash; reals in every form, converted
// as strtod converts them; the messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>

#include "support/scratch.hpp"
#include "system/interrupts.hpp"
#include "text/free_form_reader.hpp"
#include "text/text_source.hpp"

namespace voxmill::testing {
namespace {

TEST(TextSource, SplitsRecordsAtLineEndsAndReadsThemAgainAfterARewind)
{
    // Lines of many lengths and one of 3 MiB: more pages than a mapped file lets go of on the way.
    std::string long_text, long_records;
    for (int n = 1; n <= 2000; ++n) {
        const std::string line(n == 1000 ? 3u << 20 : n * 7 % 3001u, static_cast<char>('a' + n % 26));
        long_text += line + (n % 3 == 0 ? "\r\n" : "\n");
        long_records += std::to_string(n) + ":" + line + "|";
    }
    ScratchDir dir;
    for (const auto& [text, records] : Files{{"", ""}, {"a\nlast", "1:a|2:last|"}, {"\n\r\n \n", "1:|2:|3: |"},
                                             {"a\rb\n", "1:a\rb|"}, {long_text, long_records}}) {
        dir.write("in", text);
        TextSource file((dir.path() / "in").string()), given("in", text);
        for (TextSource* source : {&file, &given})
            for (int pass = 0; pass < 2; ++pass, source->rewind()) {
                std::string read;
                for (std::string_view record; source->next_record(record);)
                    read += std::to_string(source->line()) + ":" + std::string(record) + "|";
                EXPECT_TRUE(read == records) << text.substr(0, 20) << (source == &file ? " from a file" : "");
            }
    }
}

TEST(TextSource, ReadsAgainFromAMarkOrAStepBackAndStopsAtALineTooLong)
{
    TextSource source("CHGCAR", "a\nb\n" + std::string(TextSource::max_record_length + 1, 'c') + "\nd\n");
    auto next = [&, record = std::string_view()]() mutable {
        return source.next_record(record) ? std::string(record) + " at line " + std::to_string(source.line()) : "<eof>";
    };
    next();
    const TextSource::Mark after_a = source.mark();
    next();
    source.step_back();
    EXPECT_EQ(next(), "b at line 2");
    // The line too long stays unread: reading on meets it again.
    for (int tries = 0; tries < 2; ++tries) EXPECT_EQ(failure_of(next), "CHGCAR:3: line is longer than 16 MiB");
    source.return_to(after_a);
    EXPECT_EQ(next(), "b at line 2");
}

TEST(TextSourceDeathTest, AFileCutShortWhileItIsReadEndsTheRunNamingIt)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "CHGCAR").string();
    dir.write("CHGCAR", std::string(100'000, 'x') + "\n");
    EXPECT_EXIT(
        {
            interrupts::install();
            TextSource source(path);
            fs::resize_file(path, 0);
            std::string_view record;
            source.next_record(record);
        },
        ::testing::ExitedWithCode(1), "^voxmill: cannot read " + path + ": the file was cut short while it was read\n$");
}

// One statement on CHGCAR holding `text`, reading an item for each of `kinds`:
// 'i' an integer, 'r' a real, 't' a text of 6 characters, a digit that many
// reals in one call. Items start as -1 or "xxxxxx", which a null value leaves.
// Gives the items and the record the next statement starts at, or the failure.
std::string read(const std::string& text, std::string_view kinds)
{
    TextSource source("CHGCAR", text);
    std::string items, next = "|<eof>";
    const auto add = [&](const std::string& item) { items += (items.empty() ? "" : ",") + item; };
    const std::string failure = failure_of([&] {
        FreeFormRead read(source);
        for (const char kind : kinds) {
            int integer = -1;
            std::string text(6, 'x');
            std::vector<double> reals(kind == 'r' ? 1 : std::isdigit(kind) ? kind - '0' : 0, -1.0);
            char shortest[32];  // "-0" for a negative zero
            if (kind == 'i') add(std::to_string((read.integer(integer, "the count"), integer)));
            if (kind == 't') add(read.try_text(text, 6) ? text : "<eof>");
            if (kind == 'r') read.real(reals[0]);
            if (std::isdigit(kind)) read.reals(reals, "block");
            for (const double value : reals) add({shortest, std::to_chars(shortest, shortest + 32, value).ptr});
        }
        if (std::string_view record; source.next_record(record)) next = "|" + std::string(record);
    });
    return failure == "no failure" ? items + next : failure;
}

const std::string q = " 0.25000000000E+00";  // a field as VASP writes it

TEST(FreeFormRead, ReadsItemsOverRecordsWithRepeatsNullsSlashesAndVaspsFields)
{
    const std::string nines(400, '9');
    // A text, the kinds of items read, the items and the next statement's first record, or the failure.
    std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"   48\n\n \t\n48\t96 7 8\nnext", "iii", "48,48,96|next"}, {"1 , 2 ,3,\nnext", "iii", "1,2,3|next"},
        {"1\r\n2 3\r\nnext", "iii", "1,2,3|next"}, {"+5 -0 007", "iii", "5,0,7|<eof>"},
        {"2147483647 -2147483648 0", "iii", "2147483647,-2147483648,0|<eof>"}, {"1,,3", "iii", "1,-1,3|<eof>"},
        {"1, ,3", "iii", "1,-1,3|<eof>"}, {"1,\n,3", "iii", "1,-1,3|<eof>"}, {" \n ,2,3", "iii", "-1,2,3|<eof>"},
        {"1\n,3 4", "iii", "1,3,4|<eof>"}, {"1 4*9", "iii", "1,9,9|<eof>"}, {"2*,5", "iii", "-1,-1,5|<eof>"},
        {"2* 5", "iii", "-1,-1,5|<eof>"}, {"1/2 3\nnext", "iii", "1,-1,-1|next"}, {"1 2*/ 3", "iii", "1,-1,-1|<eof>"},
        {"/", "iii", "-1,-1,-1|<eof>"}, {"1,2\n3*4 2*\n5,,6 ,7\n\n8 /9\nnext", "48r", "1,2,4,4,4,-1,-1,5,-1,6,7,8,-1|next"},
        // a slash where a record in VASP's layout has a blank
        {"/" + q.substr(1) + q + q + q + q + "\nnext", "2", "-1,-1|next"},
        {q + q + q + q + "/" + q.substr(1) + "\n" + q + "\nnext", "6", "0.25,0.25,0.25,0.25,-1,-1|" + q},
        {"   TITEL  = PAW_PBE Ga_d 06Sep2000", "tttt", "TITEL ,=     ,PAW_PB,Ga_d  |<eof>"},
        {"abc,def/ghi", "ttt", "abc   ,def   ,xxxxxx|<eof>"}, {"'open ended\nnext", "t", "open e|next"},
        {"'a b'\t\"c,d\" 'it''s' \"\"\"\"", "tttt", "a b   ,c,d   ,it's  ,\"     |<eof>"}, {"", "t", "<eof>|<eof>"},
        {"2*Fe O '' ,, x", "tttttt", "Fe    ,Fe    ,O     ,      ,xxxxxx,x     |<eof>"},
        {"1 2 3\n4 5\n", "9", "CHGCAR:2: unexpected end of file while reading block (5 of 9 values read)"},
        {"7\n\n", "ii", "CHGCAR:2: unexpected end of file, expected the count"},
        {"", "r", "CHGCAR: unexpected end of file, expected a real number"},
        {"\n 1 1e400", "2", "CHGCAR:2: expected a real number, found \"1e400\" (out of range)"},
        {" -1D400", "r", "CHGCAR:1: expected a real number, found \"-1D400\" (out of range)"},
        {nines, "r", "CHGCAR:1: expected a real number, found \"" + nines.substr(0, 40) + "...\" (out of range)"},
        {"3*0.5x", "2", "CHGCAR:1: expected a real number, found \"0.5x\""},
        {"0*5", "i", "CHGCAR:1: expected a repeat count, found \"0*5\""}, {"1.5", "i", "CHGCAR:1: expected the count, found \"1.5\""},
        {"+-5", "i", "CHGCAR:1: expected the count, found \"+-5\""},
        {"2147483648", "i", "CHGCAR:1: expected the count, found \"2147483648\" (out of range)"},
    };
    for (const std::string token : {"0.5x", "1.2.3", "E5", "-", "1e", "1+", "--1", "0x10", "Infinity", "NaN"})
        cases.emplace_back("\n 1 " + token, "2", "CHGCAR:2: expected a real number, found \"" + token + "\"");
    // Fields that nearly have VASP's form and their values as from_chars reads them, or "the token" refused,
    // each in turn in each place of a record of five quarters, twice over.
    const std::pair<std::string, std::string> fields[] = {
        {" 0.12345678901E+01", "1.2345678901"}, {" -.98765432109E-03", "-0.00098765432109"}, {" -.00000000000E+00", "-0"},
        // the exponents at which the 11 digits and the power stop being exact
        {" 0.99999999999E+33", "9.9999999999e+32"}, {" 0.99999999999E+34", "9.9999999999e+33"},
        {" -.99999999999E-11", "-9.9999999999e-12"}, {" -.99999999999E-12", "-9.9999999999e-13"},
        {" 0.12345678901E+11", "12345678901"}, {" 0.12345678901E+12", "123456789010"},
        // other forms of the same length, and one digit more or fewer
        {" 0.12345678901+001", "1.2345678901"}, {" 0.12345678901e-01", "0.012345678901"}, {" 0.12345678901D+01", "1.2345678901"},
        {" +.12345678901E+01", "1.2345678901"}, {" 1.12345678901E+01", "11.2345678901"}, {"  .12345678901E+01", "1.2345678901"},
        {" 0.123456789012E+01", "1.23456789012"}, {" 0.1234567890E+01", "1.23456789"}, {" 0.12345678901E+001", "1.2345678901"},
        // separators where VASP has a blank or a character
        {"\t0.12345678901E+01", "1.2345678901"}, {" 0,12345678901E+01", "0,123456789010"}, {" 0.12345678901E+01\t", "1.2345678901"},
        {" 0.12345678901E+01,", "1.2345678901"}, {" 0.12345678901E+2 ", "12.345678901"}, {" -.12345678901E-1,", "-0.012345678901"},
        // a character that breaks the form
        {" 0.12345x78901E+01", "\"0.12345x78901E+01\""}, {" 0.1234567890xE+01", "\"0.1234567890xE+01\""},
        {" 0.12345678901F+01", "\"0.12345678901F+01\""}, {" 0.12345678901E,01", "\"0.12345678901E\""},
        {" 0.12345678901E+0x", "\"0.12345678901E+0x\""}, {" 0.12345678901E+x1", "\"0.12345678901E+x1\""},
        {" 0.12345678901E+01x", "\"0.12345678901E+01x\""}, {" x.12345678901E+01", "\"x.12345678901E+01\""},
        {" ..12345678901E+01", "\"..12345678901E+01\""}, {" 0..2345678901E+01", "\"0..2345678901E+01\""},
        {" -.12345678901E 01", "\"-.12345678901E\""}, {" 0.12345678901E+ 1", "\"0.12345678901E+\""},
        {" -.12345678901E*01", "\"-.12345678901E*01\""}, {" 0.12345678901E+/1", "\"0.12345678901E+\""},  // below '+', '0'
        {" 0.12345678901E+01\x80", "\"0.12345678901E+01\\x80\""},
    };
    for (const auto& [field, shown] : fields)
        for (std::size_t place = 0; place < 5; ++place) {
            std::string record, values;
            for (std::size_t i = 0; i < 5; ++i) {
                record += i == place ? field : q;
                values += (i ? "," : "") + (i != place ? "0.25" : shown[0] == '"' ? "" : shown);
            }
            cases.emplace_back(record + "\r\n" + record + "\nnext", std::string(2, static_cast<char>('1' + std::ranges::count(values, ','))),
                               shown[0] == '"' ? "CHGCAR:1: expected a real number, found " + shown : values + "," + values + "|next");
        }
    for (const auto& [text, kinds, items] : cases) EXPECT_EQ(read(text, kinds), items) << text.substr(0, 100) << " as " << kinds;
}

TEST(FreeFormRead, ReadsRealsAsStrtodDoes)
{
    // VASP's forms, with three-digit exponents written with no letter, subnormals and values
    // that underflow; every third record plain values of 15 to 19 digits or exact ties,
    // decimals midway between two neighbouring doubles; some records ending in CR LF; then other forms.
    std::vector<std::pair<std::string, std::string>> reals;  // a token and what strtod is given for it
    std::mt19937_64 random(20240611);
    char token[128], given[128];
    for (int n = 0; n < 200'000; ++n) {
        const auto digits = static_cast<unsigned long long>(random() % 100'000'000'000);
        const int exponent = static_cast<int>(n % 2 ? random() % 47 - 12 : random() % 639 - 330);
        const char* sign = random() % 2 ? "-" : "0";
        std::snprintf(given, sizeof given, "%s.%011lluE%+03d", sign, digits, exponent);
        std::snprintf(token, sizeof token, std::abs(exponent) < 100 ? "%s.%011lluE%+03d" : "%s.%011llu%+04d", sign, digits, exponent);
        if (n / 5 % 3 == 2) {
            const long double value = std::ldexp(static_cast<long double>(random() >> 10 | 1), exponent % 64);
            std::snprintf(token, sizeof token, "%.*Lg", n % 2 ? 15 + n % 5 : 90, *sign == '-' ? -value : value);
            std::strcpy(given, token);
        }
        reals.emplace_back(token, given);
    }
    for (const std::string pair : {"0.52918E+00", "-12", ".5", "5.", "1.0D-3=1.0e-3", "1.0d-3=1.0e-3", "+1.5=1.5", "+.5E+1=.5e1",
                                   "0.5-100=0.5e-100", "1.0+3=1.0e3", "-.30233300000-128=-.30233300000e-128", "2.5D-310=2.5e-310",
                                   "1.7976931348623157D308=1.7976931348623157e308", "4.9406564584124654e-324", "1e-400",
                                   "-1-400=-1e-400", "-0", "-.00000000000E+00", "18446744073709551616", "0.000000000000000000001",
                                   "9007199254740993", "0.1000000000000000055511151231257827"})  // a token=what strtod is given
        reals.emplace_back(pair.substr(0, pair.find('=')), pair.substr(pair.find('=') + 1));
    std::string text;
    for (std::size_t i = 0; i < reals.size(); ++i) text += " " + reals[i].first + (i % 5 == 4 ? (i % 3 ? "\n" : "\r\n") : "");
    TextSource source("CHGCAR", text);
    std::vector<double> values(reals.size());
    FreeFormRead(source).reals(values, "block");
    for (std::size_t i = 0; i < reals.size(); ++i) {
        const auto& [token, given] = reals[i];
        const auto expected = std::bit_cast<std::uint64_t>(std::strtod(given.c_str(), nullptr));
        double value = -1;
        const auto [end, error] = read_real(token.data(), token.data() + token.size(), value);
        ASSERT_TRUE(error == std::errc{} && end == token.data() + token.size()) << token;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(value), expected) << token;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(values[i]), expected) << token << " in a record";
    }
}

TEST(FreeFormRead, CountsLinesAfterLongRunsOfVaspRecords)
{
    // 30000 records, 2.7 MB, taken straight from the text a stretch of 1 MiB at a time, read whole or in
    // pieces that end inside records; then what follows them, read and named at its own line, and the records left.
    std::string run;
    std::vector<double> expected;
    for (long n = 0; n < 150'000; ++n) {
        run += (n % 2 ? " -." : " 0.") + std::to_string(10'000'000'000 + n) + "E+02" + (n % 5 == 4 ? "\n" : "");
        expected.push_back((n % 2 ? -1 : 1) * static_cast<double>(10'000'000'000 + n) / 1e9);
    }
    const std::string grid = "   70   70   70";
    // What follows, the values asked for beyond the run; the failure or "read", the records left, the line after them.
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"", 1, "CHGCAR:30000: unexpected end of file while reading block (150000 of 150001 values read), 0 at line 30000"},
        {" 0.5x\n" + grid + "\n", 1, "CHGCAR:30001: expected a real number, found \"0.5x\", 1 at line 30002"},
        {grid + "\n" + grid + "\n", 2, "read, 1 at line 30002"},
        {q + q + q + q + q + "\r\n" + grid + "\n", 5, "read, 1 at line 30002"},
    };
    for (const auto& [after, extra, expected_outcome] : cases)
        for (const std::size_t piece : {1, 4, 7, 1 << 20}) {
            TextSource source("CHGCAR", run + after);
            std::vector<double> values(expected.size() + extra, -1);
            const std::string failure = failure_of([&] {
                FreeFormRead read(source);
                for (std::size_t first = 0; first < values.size(); first += piece)
                    read.reals(std::span(values).subspan(first, std::min(piece, values.size() - first)), "block", values.size());
            });
            long left = 0;
            for (std::string_view record; source.next_record(record);) ++left;
            EXPECT_EQ((failure == "no failure" ? "read" : failure) + ", " + std::to_string(left) + " at line " + std::to_string(source.line()),
                      expected_outcome) << "pieces of " << piece;
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), values.begin())) << "pieces of " << piece;
        }
}

}  // namespace
}  // namespace voxmill::testing
