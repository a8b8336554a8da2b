// Records and their line numbers, read from a file or a string, again from a mark behind or ahead
// or after a step back. Free-form reading: items over records, repeats, null values and the slash; reals in every
// form, converted as strtod converts them; the messages. Fixed-width fields by their edit descriptors; the
// 24-column real field by both paths, the fast one against the exact one wherever their cases meet, and the
// records of such fields; result files, which replace the file of their name only when committed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "support/scratch.hpp"
#include "text/fixed_fields.hpp"
#include "text/free_form_reader.hpp"
#include "text/free_form_writer.hpp"
#include "text/output_file.hpp"
#include "text/progress_line.hpp"
#include "text/real_form.hpp"
#include "text/text_source.hpp"

namespace voxmill::testing {
namespace {

TEST(TextSource, SplitsRecordsAtLineEndsAndReadsThemAgain)
{
    // Lines of many lengths and one of 3 MiB: more than a file's window holds.
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
        for (TextSource* source : {&file, &given}) {
            // Read whole; then again from the start and from the middle record, each after a look beyond the end.
            std::vector<TextSource::Mark> marks;  // before each record
            std::vector<std::size_t> entries;     // where each record's entry starts in `read`
            std::string read;
            std::string_view record;
            for (marks.push_back(source->mark()); source->next_record(record); marks.push_back(source->mark())) {
                entries.push_back(read.size());
                read += std::to_string(source->line()) + ":" + std::string(record) + "|";
            }
            EXPECT_TRUE(read == records) << text.substr(0, 20) << (source == &file ? " from a file" : "");
            entries.push_back(read.size());
            for (const std::size_t from : {std::size_t{0}, entries.size() / 2}) {
                source->return_to({text.size() + 1, 0});
                EXPECT_FALSE(source->next_record(record));
                source->return_to(marks[from]);
                std::string again;
                while (source->next_record(record)) again += std::to_string(source->line()) + ":" + std::string(record) + "|";
                EXPECT_TRUE(again == records.substr(entries[from])) << text.substr(0, 20) << " from record " << from;
            }
        }
    }
    // Again from a mark or a step back; a line too long stops the reading.
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

// One statement on CHGCAR holding `text`, reading an item for each of `kinds`: 'i' an integer, 'r' a real, 't' a
// text of 6 characters, a digit that many reals in one call. Items start as -1 or "xxxxxx", which a null value
// leaves. Gives the items and the record the next statement starts at, or the failure.
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
        {std::string(400, '9'), "r", "CHGCAR:1: expected a real number, found \"" + std::string(40, '9') + "...\" (out of range)"},
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
    // VASP's forms, with three-digit exponents written with no letter, subnormals and values that underflow; every
    // third record plain values of 15 to 19 digits or exact ties, decimals midway between two neighbouring doubles;
    // some records ending in CR LF; then other forms.
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

using fields::fixed_field, fields::integer_field, fields::text_field, fields::Overflow;
constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();

std::string field(char* (*put)(char*, double) noexcept, double value)
{
    char out[real_field_width];
    EXPECT_EQ(put(out, value), out + real_field_width);
    return std::string(out, real_field_width);
}

TEST(FixedFields, TextsIntegersAndReals)
{
    // Aw right-justified or cut, trailing blanks being characters; Iw, or w asterisks
    std::string texts, integers;
    for (const auto& [text, w] : {std::pair<std::string_view, int>{"Fe", 5}, {"Carbon", 5}, {"#Si bulk  ", 10}, {"", 3}})
        text_field(texts, text, w);
    EXPECT_EQ(texts, "   FeCarbo#Si bulk     ");
    for (const long long value : {1000LL, -5LL, 0LL, -100LL, -99LL, 2147483647LL}) integer_field(integers, value, value > 1000 ? 10 : 3);
    EXPECT_EQ(integers, "*** -5  0***-992147483647");
    // Fw.d, rounded from the exact binary value
    const std::tuple<double, int, int, std::string_view> reals[] = {  // a value, w, d, its field
        {1.0, 12, 8, "  1.00000000"}, {-0.25, 12, 6, "   -0.250000"}, {0.1234, 8, 3, "   0.123"}, {1234.5678, 8, 3, "1234.568"},
        {-0.0000004, 12, 6, "   -0.000000"}, {-0.0, 12, 6, "   -0.000000"},  // rounds to zero, keeps its sign
        {12345.678, 8, 3, "********"}, {1e300, 8, 3, "********"}, {9999.9996, 8, 3, "********"},  // 10000.000 is 9 wide
        {0.5, 4, 3, ".500"}, {-0.5, 5, 3, "-.500"}, {0.5, 3, 3, "***"},  // one column short: the zero goes
        {0.9995, 5, 3, "1.000"}, {0.9995, 4, 3, "****"},                // 0.99950000000000005... in binary
        {2.675, 5, 2, " 2.67"},                                          // 2.67499999999999982... in binary
        {-0.0005, 6, 3, "-0.001"}, {7.0, 5, 0, "   7."}, {-2.5, 4, 0, " -2."}, {0.3, 2, 0, "0."}, {0.3, 1, 0, "*"},
        {inf, 8, 3, "Infinity"}, {inf, 7, 3, "    Inf"}, {inf, 3, 3, "Inf"}, {inf, 2, 3, "**"}, {-inf, 9, 3, "-Infinity"},
        {-inf, 8, 3, "    -Inf"}, {-inf, 4, 3, "-Inf"}, {-inf, 3, 3, "***"}, {nan, 12, 3, "         NaN"}, {nan, 3, 3, "NaN"},
        {nan, 2, 3, "**"},
    };
    for (const auto& [value, w, d, expected] : reals) {
        std::string record;
        fixed_field(record, value, w, d);
        EXPECT_EQ(record, expected) << "F" << w << "." << d << " of " << value;
    }
    // Widened: a number too wide for its field is written whole; one that fits keeps its bytes.
    std::string widened;
    for (const auto& [value, w, d] : {std::tuple{15625.0, 8, 3}, {9999.9996, 8, 3}, {-10.5, 6, 3}, {1234.5678, 8, 3},
                                      {0.5, 4, 3}, {-inf, 4, 3}})
        fixed_field(widened, value, w, d, Overflow::widen), widened += '|';
    for (const long long value : {1000LL, -100LL, 99LL}) integer_field(widened, value, 3, Overflow::widen), widened += '|';
    EXPECT_EQ(widened, "15625.000|10000.000|-10.500|1234.568|.500|-Inf|1000|-100| 99|");
}

TEST(RealForm, ExamplesByBothPaths)
{
    constexpr double max = std::numeric_limits<double>::max();
    const std::pair<double, std::string_view> examples[] = {
        // fixed form, F19.(15-s) and 5 blanks, from 0.1 - 0.5e-16 to below 1e15 - 0.5; exponent form
        {1.0, "   1.00000000000000     "}, {-0.5, " -0.500000000000000     "}, {1.0 / 3, "  0.333333333333333     "},
        {0.3 - 0.1, "  0.200000000000000     "}, {999999999999999.0, "   999999999999999.     "},
        {0.1, "  0.100000000000000     "}, {0.09999999999999995, "  0.100000000000000     "},
        {0.09999999999999994, "  9.999999999999994E-002"}, {999999999999999.375, "   999999999999999.     "},
        {999999999999999.5, "  9.999999999999995E+014"}, {9.9999999999999999e14, "  1.000000000000000E+015"},
        {std::nextafter(10.0, 0.0), "   10.0000000000000     "}, {std::nextafter(0.01, 0.0), "  9.999999999999998E-003"},
        {0.0123, "  1.230000000000000E-002"}, {0.0, "  0.000000000000000E+000"}, {-0.0, " -0.000000000000000E+000"},
        {-2.5e-7, " -2.500000000000000E-007"}, {1.0 / 300, "  3.333333333333334E-003"}, {1e-6, "  1.000000000000000E-006"},
        {1e-300, "  1.000000000000000E-300"}, {5e-324, "  4.940656458412465E-324"}, {max, "  1.797693134862316E+308"},
        // exact decimal ties, rounded to even
        {100000000000000.5, "   100000000000000.     "}, {100000000000001.5, "   100000000000002.     "},
        {1000000000000000.5, "  1.000000000000000E+015"}, {1000000000000001.5, "  1.000000000000002E+015"},
        {0x1p-24, "  5.960464477539062E-008"}, {inf, "                Infinity"}, {-inf, "               -Infinity"},
        {nan, "                     NaN"},
    };
    for (const auto& [value, expected] : examples)
        for (const auto put : {put_real_field, put_real_field_exact})
            EXPECT_EQ(field(put, value), expected) << (put == put_real_field ? "fast" : "exact") << " path, " << value;
}

TEST(RealForm, FastPathMatchesExactPath)
{
    int failures = 0;
    const auto same = [&](double value) {
        for (const double v : {value, -value}) {
            const std::string fast = field(put_real_field, v), exact = field(put_real_field_exact, v);
            if (fast != exact && ++failures < 10)
                ADD_FAILURE() << std::hexfloat << v << std::defaultfloat << " = " << v << ": \"" << fast << "\", not \"" << exact << '"';
        }
    };
    const auto around = [&](double value) {  // and two neighbours on either side
        double v = std::nextafter(std::nextafter(value, 0.0), 0.0);
        for (int i = 0; i < 5; ++i, v = std::nextafter(v, 1e300)) same(v);
    };
    const auto parsed = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    std::mt19937_64 random(20240611);
    // Any bit pattern; full mantissas around the fast range; values as a CHGCAR holds them.
    std::uniform_real_distribution<double> log_magnitude(-32, 42);
    for (int i = 0; i < 200'000; ++i) {
        same(std::bit_cast<double>(random()));
        same(std::pow(10.0, log_magnitude(random)) / 3.0);
        same(parsed("0." + std::to_string(10'000'000'000 + random() % 90'000'000'000) + "E" + std::to_string(int(random() % 60) - 40)));
    }
    // Every binary exponent around the integer products, whose scales have one word down to about 1e-11 and two
    // below, with full, short and one-bit mantissas.
    for (int e2 = -135; e2 <= 60; ++e2)
        for (int i = 0; i < 400; ++i)
            same(std::bit_cast<double>(std::uint64_t(e2 + 1023) << 52 | (i % 4 == 0 ? 0 : i % 4 == 1 ? random() << 40 : random()) >> 12));
    // Decimals of 16 to 18 digits ending in 5, the ties of 15 and 16 digits, and their neighbours.
    for (int i = 0; i < 30'000; ++i) {
        std::string text = std::to_string(1 + random() % 9) + ".";
        for (int d = 0; d < 14 + i % 3; ++d) text += static_cast<char>('0' + random() % 10);
        around(parsed(text + "5e" + std::to_string(static_cast<int>(random() % 70) - 32)));
    }
    // Every power of ten; the midpoints from which a value takes the exponent
    // of the power above; the edges of the forms, of the two-word scales and of the fast range.
    for (int e = -330; e <= 308; ++e) around(parsed("1e" + std::to_string(e)));
    for (int e = -38; e <= 15; ++e)
        for (const std::string nines : {"9.9999999999999995e", "9.999999999999995e"}) around(parsed(nines + std::to_string(e)));
    for (const double edge : {0.09999999999999995, 0.1, 999999999999999.5, 1e15, 1e14, 1.0, 1e-11, 1e-12, 0x1p-36, 0x1p-37,
                              0x1p-38, 0x1p-124, 0x1p-125, 0x1p-126, 0x1p50, 0x1p51, 0x1p49})
        around(edge);
    // Exact ties: 16 digits of exponent form, m * 2^(e - 16) for odd m, and 15 of fixed form, whole numbers and a half.
    for (int e = -8; e <= -2; ++e) {
        const double unit = std::ldexp(1.0, e - 16);
        const auto first = std::int64_t(std::ceil(std::pow(10.0, e) / unit)) | 1;
        const auto last = (std::int64_t(std::ceil(std::pow(10.0, e + 1) / unit)) - 2) | 1;
        for (std::int64_t m = 0; m < 800; m += 2) same(double(m < 400 ? first + m : last - m + 400) * unit);
    }
    for (int i = 0; i < 2000; ++i)
        for (const double tie : {1e14 + 0.5 + i, 1e15 - 0.5 - i, 1e15 + 0.5 + i, 1e14 + 0.5 + double(random() % 900'000'000'000'000)})
            same(tie);
}

TEST(RealRecords, ThreeFieldsARecordTheRestInTheLast)
{
    // Counts around whole records and the blocks of records divided at once; zeros and huge values in each place of
    // a record send it from the fast path to the plain one. 27.75 / 1080.4331 is not 27.75 * (1 / 1080.4331).
    for (const double divisor : {1.0, 1080.4331})
        for (const std::size_t count : {1u, 2u, 3u, 4u, 47u, 48u, 49u, 50u, 95u, 96u, 97u, 161u}) {
            std::vector<double> values;
            std::string expected;
            for (std::size_t i = 0; i < count; ++i) {
                values.push_back(i == 0 ? 27.75 : i % 17 == 0 ? 0.0 : i % 29 == 0 ? 1e300 : (i % 2 ? -1.0 : 1.0) * double(i * i * i) / 7);
                expected += field(put_real_field_exact, values.back() / divisor) + (i % 3 == 2 || i + 1 == count ? "\n" : "");
            }
            std::string out(real_records_size(count), '?');
            EXPECT_EQ(put_real_records(out.data(), values.data(), count, divisor), out.data() + out.size()) << count;
            EXPECT_EQ(out, expected) << count << " values / " << divisor;
        }
    EXPECT_EQ(real_records_size(0), 0u);
}

TEST(ProgressLine, FitsTheTerminalCuttingTheNameInTheMiddle)
{
    // A label, its figures, the terminal's columns: the line, never in the last column.
    const std::tuple<std::string_view, std::string_view, std::size_t, std::string_view> lines[] = {
        {"reading CHGCAR", ": 37%, 85 MB/s", 80, "reading CHGCAR: 37%, 85 MB/s"},
        {"reading CHGCAR", ": 37%, 85 MB/s", 29, "reading CHGCAR: 37%, 85 MB/s"},
        {"reading /scratch/project/a/very/long/path/CHGCAR", ": 37%, 85 MB/s", 40, "reading /scratc.../CHGCAR: 37%, 85 MB/s"},
        {"reading /données/été/CHGCAR", ": 5%", 32, "reading /donnée.../CHGCAR: 5%"},  // whole characters
        {"writing CHGDEN.xsf", ": 64%, 127 MB/s", 12, "writing CHG"},  // no room for a name: the line is cut
    };
    for (const auto& [label, figures, columns, line] : lines) EXPECT_EQ(progress_line::fitted(label, figures, columns), line);
}

TEST(OutputFile, ReplacesTheFileOnlyOnCommitAndLeavesNothingElse)
{
    ScratchDir dir;
    const std::string path = (dir.path() / "CHGDEN.xsf").string();
    dir.write("CHGDEN.xsf", "old\n");
    const mode_t mask = ::umask(027);
    for (const bool commit : {false, true}) {
        std::string written;
        {
            // more than the buffer holds: small writes, a large one and reserved room
            OutputFile file(path);
            for (int i = 0; i < 100'000; ++i) {
                const std::string record = "record " + std::to_string(i) + "\n";
                file.write(record), written += record;
            }
            file.write(std::string(3 << 20, 'x')), written += std::string(3 << 20, 'x');
            file.advance(std::copy_n("tail\n", 5, file.reserve(5))), written += "tail\n";
            EXPECT_EQ(dir.read("CHGDEN.xsf"), "old\n");
            if (commit) file.commit();
        }
        EXPECT_TRUE(dir.read("CHGDEN.xsf") == (commit ? written : "old\n")) << (commit ? "committed" : "not committed");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "a temporary file left";
    }
    ::umask(mask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));  // a new file's
    const std::string nowhere = (dir.path() / "missing" / "CHGDEN.xsf").string();
    EXPECT_EQ(failure_of([&] { OutputFile{nowhere}; }), "cannot write " + nowhere + ": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace voxmill::testing
