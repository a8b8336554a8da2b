#include "text/free_form_writer.hpp"

#include "text/real_form.hpp"

namespace voxmill {

namespace {

constexpr std::size_t reals_per_record = 3;
constexpr std::size_t full_record_size = reals_per_record * real_field_width + 1;

}  // namespace

void put_free_form_texts(std::string& out, std::span<const std::string_view> texts)
{
    std::size_t column = 0;
    for (const std::string_view text : texts) {
        if (column > 0 && column + text.size() > free_form_record_width) {
            out += '\n';
            column = 0;
        }
        if (column == 0) {
            out += ' ';
            column = 1;
        }
        out += text;
        column += text.size();
    }
    if (column == 0) out += ' ';
    out += '\n';
}

std::string free_form_line(std::string_view text)
{
    std::string line;
    line.reserve(text.size() + 2);
    line += ' ';
    line += text;
    line += '\n';
    return line;
}

namespace {

// The records of put_real_records, with `divide` telling whether each value is
// divided by `divisor` (x / 1.0 is x, so the division can be left out).
template <bool divide>
char* put_records(char* out, const double* values, std::size_t count, double divisor) noexcept
{
    std::size_t records = count / reals_per_record;
    if constexpr (divide) {
        // The quotients of a block of records first: the compiler divides two
        // at a time, and the divisions stay off the long chains of the fields.
        constexpr std::size_t block_records = 16;
        double quotients[block_records * reals_per_record];
        for (; records >= block_records; records -= block_records) {
            for (std::size_t i = 0; i < block_records * reals_per_record; ++i) quotients[i] = values[i] / divisor;
            out = put_real_field_records(out, quotients, block_records);
            values += block_records * reals_per_record;
        }
        for (std::size_t i = 0; i < records * reals_per_record; ++i) quotients[i] = values[i] / divisor;
        out = put_real_field_records(out, quotients, records);
    } else {
        out = put_real_field_records(out, values, records);
    }
    values += records * reals_per_record;
    if (const std::size_t rest = count % reals_per_record; rest != 0) {
        for (std::size_t i = 0; i < rest; ++i) out = put_real_field(out, divide ? values[i] / divisor : values[i]);
        *out++ = '\n';
    }
    return out;
}

}  // namespace

char* put_real_records(char* out, const double* values, std::size_t count, double divisor) noexcept
{
    return divisor == 1.0 ? put_records<false>(out, values, count, divisor)
                          : put_records<true>(out, values, count, divisor);
}

std::size_t real_records_size(std::size_t count) noexcept
{
    const std::size_t rest = count % reals_per_record;
    return count / reals_per_record * full_record_size + (rest != 0 ? rest * real_field_width + 1 : 0);
}

}  // namespace voxmill
