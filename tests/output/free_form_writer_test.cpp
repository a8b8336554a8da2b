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
    // Counts around whole records and whole blocks of records (which are divided
    // before they are written), with values of every field kind: fixed,
    // exponent, and zero and huge in each place of a record, which send the
    // record from put_real_field_records' fast path to its plain one.
    // 27.75 / 1080.4331 and 27.75 * (1 / 1080.4331) differ in the last digit.
    for (const double divisor : {1.0, 1080.4331})
        for (const std::size_t count : {1u, 2u, 3u, 4u, 47u, 48u, 49u, 50u, 95u, 96u, 97u, 161u}) {
            std::vector<double> values = {27.75};
            std::vector<double> divided = {27.75 / divisor};
            for (std::size_t i = 1; i < count; ++i) {
                values.push_back(i % 17 == 0 ? 0.0 : i % 29 == 0 ? 1e300 : (i % 2 ? -1.0 : 1.0) * static_cast<double>(i * i * i) / 7.0);
                divided.push_back(values.back() / divisor);
            }
            std::string out(real_records_size(count), '?');
            EXPECT_EQ(put_real_records(out.data(), values.data(), count, divisor), out.data() + out.size()) << count;
            EXPECT_EQ(out, reals_statement(divided)) << count;
            EXPECT_EQ(out.substr(0, 24), divisor == 1.0 ? "   27.7500000000000     " : "  2.568414462681679E-002");
        }
    EXPECT_EQ(real_records_size(0), 0u);
}

}  // namespace
}  // namespace voxmill
