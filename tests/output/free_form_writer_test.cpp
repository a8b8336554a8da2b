#include "output/free_form_writer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/real_form.hpp"

namespace voxmill {
namespace {

std::string reals_statement(const std::vector<double>& values)
{
    std::string out;
    FreeFormStatement statement(out);
    for (double v : values)
        statement.real(v);
    statement.end();
    return out;
}

// Texts, reals and the records they fill are checked through the report and the
// grid files (tests/output/writers_test.cpp and the expected files of the runs).
TEST(FreeFormStatement, Integers)
{
    std::string out;
    FreeFormStatement statement(out);
    for (long long i : {1, -23, 3, 4, 5, 6, 7})
        statement.integer(i);
    statement.end();
    EXPECT_EQ(out, "           1         -23           3           4           5           6\n"
                   "           7\n");
}

TEST(RealRecords, MatchTheStatementOfReals)
{
    const std::vector<double> values = {0.0123, -2.5e-7, 1.0, 123.456, 1e15, 0.5, -0.5};
    for (std::size_t count = 1; count <= values.size(); ++count) {
        const std::vector<double> head(values.begin(), values.begin() + static_cast<long>(count));
        std::string out(real_records_size(count), '?');
        char* end = put_real_records(out.data(), head.data(), count);
        EXPECT_EQ(end, out.data() + out.size()) << count;
        EXPECT_EQ(out, reals_statement(head)) << count;
    }
    EXPECT_EQ(real_records_size(0), 0u);
}

TEST(RealRecords, PiecesAndDivisor)
{
    // 27.75 / 1080.4331 and 27.75 * (1 / 1080.4331) differ in the last digit.
    const double divisor = 1080.4331;
    const std::vector<double> values = {27.75, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0};
    std::vector<double> divided;
    for (double v : values)
        divided.push_back(v / divisor);

    std::string whole(real_records_size(values.size()), '?');
    put_real_records(whole.data(), values.data(), values.size(), divisor);
    EXPECT_EQ(whole, reals_statement(divided));
    EXPECT_EQ(whole.substr(0, 24), "  2.568414462681679E-002");

    // a statement written as 6 values and then 1
    std::string pieces(whole.size(), '?');
    char* end = put_real_records(pieces.data(), values.data(), 6, divisor);
    end = put_real_records(end, values.data() + 6, 1, divisor);
    EXPECT_EQ(end, pieces.data() + pieces.size());
    EXPECT_EQ(pieces, whole);
}

TEST(RealRecords, DivisorOverBlocksOfRecords)
{
    // Counts around whole blocks of records, which are divided before they are
    // written, with values of every field kind: fixed, exponent, zero, huge.
    const double divisor = 1080.4331;
    for (const std::size_t count : {47u, 48u, 49u, 50u, 95u, 96u, 97u, 161u}) {
        std::vector<double> values;
        std::vector<double> divided;
        for (std::size_t i = 0; i < count; ++i) {
            values.push_back(i % 17 == 0 ? 0.0 : i % 29 == 0 ? 1e300 : (i % 2 ? -1.0 : 1.0) * static_cast<double>(i * i * i) / 7.0);
            divided.push_back(values.back() / divisor);
        }
        std::string out(real_records_size(count), '?');
        EXPECT_EQ(put_real_records(out.data(), values.data(), count, divisor), out.data() + out.size()) << count;
        EXPECT_EQ(out, reals_statement(divided)) << count;
    }
}

}  // namespace
}  // namespace voxmill
