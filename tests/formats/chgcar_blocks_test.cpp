// The density blocks: each found by the grid line before it, counted on the
// way, and what the spin holds by their count; whatever is kept, the same.
// A text is read from just after its first grid line, as the header leaves it.
#include "formats/chgcar_blocks.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "support/scratch.hpp"

namespace voxmill::testing {
namespace {

std::string shown(std::span<const double> values)
{
    std::string text;
    for (const double v : values) {
        char digits[32];
        text.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr) += ' ';
    }
    return text;
}

// What idata makes of CHGCAR holding `text`, as far as kept: the charge, the
// spin, the sums; and the count of grid lines, with the failure if any.
std::array<std::string, 4> read(const std::string& text, Keep keep, bool with_sums, const GridExtents& extents)
{
    TextSource source("CHGCAR", text);
    StructureHeader header;
    header.NGRID = extents;
    for (std::string_view record; source.next_record(record) && !is_grid_line(record, extents);) {}
    std::array<std::string, 4> parts;
    const std::string failure = failure_of([&] {
        const FileDensities d = idata(source, header, keep, with_sums);
        if (d.CHG) parts[0] = shown(d.CHG->values());
        if (d.SPN) parts[1] = shown(d.SPN->values());
        const DensitySums& s = d.sums;
        if (with_sums) parts[2] = shown(std::array{s.charge, s.spin, s.up, s.down}) + "of " + std::to_string(s.points);
    });
    parts[3] = "NBLOCKS=" + std::to_string(header.NBLOCKS) + (failure == "no failure" ? "" : ", " + failure);
    return parts;
}

TEST(BlockReader, CountsTheBlocksAndKeepsWhatIsAskedFor)
{
    const std::string g = "    2    1    1\n";
    const std::string eof = ", CHGCAR:", while_3 = ": unexpected end of file while reading density block 3 (0 of 2 values read)";
    struct Case {
        std::string text, outcome;  // with everything kept and the sums
        GridExtents extents = {2, 1, 1};
    };
    std::vector<Case> cases = {
        {"title\n\t2  1\t1 \n 1.5 2.5\naugmentation occupancies 1 2\n 0.5 0.5\nnot a number\n 2 1 1 x\n",
         "NBLOCKS=1: 1.5 2.5 | 0 0 | 4 0 4 4 of 2"},
        {g + " 1 2\naugmentation\n" + g + " 3 4\n", "NBLOCKS=2: 1 2 | 3 4 | 3 7 10 -4 of 2"},
        {g + " 1 2\n" + g + " -3 /\n", "NBLOCKS=2: 1 2 | -3 0 | 3 -3 0 6 of 2"},
        {g + " 1 2\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n", "NBLOCKS=4: 1 2 | 5 2 | 3 7 10 -4 of 2"},
        {g + " 9 9\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n" + g + " x\n", "NBLOCKS=5: 9 9 | 5 2 | 18 7 25 11 of 2"},
        {g + " 1 2\n" + g + " 3 4\n" + g, "NBLOCKS=3" + eof + "5" + while_3},
        {g + " 1 x\n" + g + " 3 4\n", "NBLOCKS=2, CHGCAR:2: expected a real number, found \"x\""},
        {g + " 1 2\n" + g + " 3 x\n", "NBLOCKS=2, CHGCAR:4: expected a real number, found \"x\""},
        {g + " 1 2\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0\n",
         "NBLOCKS=4, CHGCAR:8: unexpected end of file while reading density block 4 (1 of 2 values read)"},
        // a repeat fills a block in fewer bytes than its values
        {"   3    1    1\n 3*1.5\n    3    1    1\n 3*0.5\n", "NBLOCKS=2: 1.5 1.5 1.5 | 0.5 0.5 0.5 | 4.5 1.5 6 3 of 3",
         {3, 1, 1}},
        // the guess at block 2, blocks as long as block 1, proved wrong by the count
        {g + " 1.0000000000000000000000000 2.00000000000000000000000\n" + g + " 3 0\n" + g + " 4 0\n" + g + " 0 -2\n",
         "NBLOCKS=4: 1 2 | 5 2 | 3 7 10 -4 of 2"},
        {g + " 1 2\n" + g + " 3 4\n" + std::string(81, ' ') + "\n" + g, "NBLOCKS=3" + eof + "6" + while_3},
        // the title of a further snapshot after the blocks: the last one is read
        {"title\n" + g + " 1 2\n" + g + " 3 4\ntitle\n", "NBLOCKS=2: 1 2 | 3 4 | 3 7 10 -4 of 2"},
    };
    // Blocks longer than the pieces that components and an unkept spin are
    // read in: every point must meet the values of its own place.
    for (const int blocks : {2, 4}) {
        std::string text, charge, spin;
        double sums[4] = {};
        for (int block = 1; block <= blocks; ++block) {
            text += "70000    1    1\n";
            for (long p = 0; p < 70000; ++p) text += std::to_string(p * (2 * block + 1) % 23 - 11) + (p % 5 == 4 ? "\n" : " ");
        }
        for (long p = 0; p < 70000; ++p) {
            const auto m = [&](int block) { return static_cast<double>(p * (2 * block + 1) % 23 - 11); };
            const double c = m(1), s = blocks == 2 ? m(2) : std::sqrt((m(2) * m(2) + m(3) * m(3)) + m(4) * m(4));
            charge += shown({&c, 1});
            spin += shown({&s, 1});
            const double terms[] = {c, s, c + s, c - s};
            for (int i = 0; i < 4; ++i) sums[i] += terms[i];
        }
        const std::string outcome = "NBLOCKS=" + std::to_string(blocks) + ": " + charge + "| " + spin + "| " + shown(sums) + "of 70000";
        cases.push_back({text, outcome, {70000, 1, 1}});
    }
    for (const Case& c : cases) {
        const auto both = read(c.text, Keep::Both, true, c.extents);
        EXPECT_EQ(both[0].empty() ? both[3] : both[3] + ": " + both[0] + "| " + both[1] + "| " + both[2], c.outcome)
            << c.text.substr(0, 60);
        for (const Keep keep : {Keep::Charge, Keep::Spin, Keep::Both})
            for (const bool with_sums : {false, true}) {
                auto expected = both;
                if (keep == Keep::Spin) expected[0].clear();
                if (keep == Keep::Charge) expected[1].clear();
                if (!with_sums) expected[2].clear();
                EXPECT_EQ(read(c.text, keep, with_sums, c.extents), expected) << c.text.substr(0, 60) << (with_sums ? ", with sums" : "");
            }
    }
}

}  // namespace
}  // namespace voxmill::testing
