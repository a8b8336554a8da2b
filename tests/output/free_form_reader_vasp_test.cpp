// The quick way through a density block: values in the exact form VASP writes
// them ("0.12345678901E+01", "-.12345678901E-03") must read as any other real does.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "output/failure.hpp"
#include "output/free_form_reader.hpp"
#include "support/run_binary.hpp"

namespace voxmill {
namespace {

std::vector<double> read_reals(const std::string& content, std::size_t count)
{
    testing::ScratchDir dir;
    dir.write("CHGCAR", content);
    TextSource source((dir.path() / "CHGCAR").string());
    std::vector<double> values(count, -7.0);
    FreeFormRead(source).reals(values, "density block 1");
    return values;
}

// The correctly rounded value of a VASP-form token, by the C library.
double reference(const std::string& token)
{
    std::string text = token;
    if (text.rfind("-.", 0) == 0) text.insert(1, "0");
    return std::strtod(text.c_str(), nullptr);
}

TEST(FreeFormReadVaspForm, ValuesReadAsTheirCorrectlyRoundedDecimal)
{
    // Every exponent from -99 to +99, so that the quick way and the general
    // one both serve; 11 random digits; both signs; VASP's five to a line.
    std::mt19937_64 random(5);
    std::vector<std::string> tokens;
    for (int i = 0; i < 40'000; ++i) {
        std::string token = random() % 3 == 0 ? "-." : "0.";
        for (int d = 0; d < 11; ++d) token += static_cast<char>('0' + random() % 10);
        const int exponent = static_cast<int>(random() % 199) - 99;
        token += exponent < 0 ? "E-" : "E+";
        token += std::to_string(std::abs(exponent) / 10) + std::to_string(std::abs(exponent) % 10);
        tokens.push_back(token);
    }
    std::string content;
    for (std::size_t i = 0; i < tokens.size(); ++i) content += " " + tokens[i] + (i % 5 == 4 ? "\n" : "");
    const std::vector<double> values = read_reals(content, tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(reference(tokens[i])))
            << tokens[i];
}

TEST(FreeFormReadVaspForm, SeparatorsLineEndsAndSigns)
{
    const struct {
        std::string content;
        std::vector<double> values;
    } cases[] = {
        {" 0.12345678901E+01 -.12345678901E-03", {1.2345678901, -1.2345678901e-4}},
        {"0.50000000000E+00,0.25000000000E+00\t0.12500000000E+00", {0.5, 0.25, 0.125}},
        {" 0.50000000000E+00\r\n 0.25000000000E+00\r\n", {0.5, 0.25}},
        {" 0.50000000000E+00 0.25000000000E+00/ 0.5", {0.5, 0.25, -7.0}},
        {" 0.50000000000E+00 2*0.25000000000E+00", {0.5, 0.25, 0.25}},
        {" 0.10000000000E+34 0.10000000000E-32", {1e33, 1e-33}},
        {" 0.12345678901e+01 0.12345678901D+01 0.12345678901+001", {1.2345678901, 1.2345678901, 1.2345678901}},
        {" -.00000000000E+00 0.00000000000E+00", {-0.0, 0.0}},
    };
    for (const auto& c : cases) {
        const std::vector<double> values = read_reals(c.content, c.values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(c.values[i]))
                << c.content << " [" << i << "]";
    }
}

TEST(FreeFormReadVaspForm, NearMissesAreRefusedAsBefore)
{
    const struct {
        std::string content;
        std::string message;
    } cases[] = {
        {" 0.12345678901E+01x", "expected a real number, found \"0.12345678901E+01x\""},
        {" 0.1234567890xE+01", "expected a real number, found \"0.1234567890xE+01\""},
        {" 0.12345678901E+0x", "expected a real number, found \"0.12345678901E+0x\""},
        {" 0.12345678901E+x1", "expected a real number, found \"0.12345678901E+x1\""},
        {" 0.12345678901E+/1", "expected a real number, found \"0.12345678901E+\""},
        {" 0.x2345678901E+01", "expected a real number, found \"0.x2345678901E+01\""},
        {" 0.12345678901X+01", "expected a real number, found \"0.12345678901X+01\""},
        {" -.12345678901E*01", "expected a real number, found \"-.12345678901E*01\""},
    };
    for (const auto& c : cases) {
        std::string message = "no failure";
        try {
            read_reals(c.content + "\n", 1);
        } catch (const Failure& failure) {
            message = failure.what();
        }
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace voxmill
