#include "output/free_form_writer.hpp"

#include "output/fixed_fields.hpp"
#include "output/real_form.hpp"

namespace voxmill {

namespace {

constexpr int integer_field_width = 12;
constexpr std::size_t reals_per_record = 3;
constexpr std::size_t full_record_size = reals_per_record * real_field_width + 1;

}  // namespace

FreeFormStatement::FreeFormStatement(std::string& out) : out_(out) {}

FreeFormStatement::~FreeFormStatement()
{
    if (!ended_)
        end();
}

FreeFormStatement& FreeFormStatement::text(std::string_view text)
{
    make_room(static_cast<int>(text.size()));
    if (column_ == 0) {
        out_ += ' ';
        ++column_;
    }
    out_ += text;
    column_ += static_cast<int>(text.size());
    return *this;
}

FreeFormStatement& FreeFormStatement::integer(long long value)
{
    make_room(integer_field_width);
    fields::integer(out_, value, integer_field_width);
    column_ += integer_field_width;
    return *this;
}

FreeFormStatement& FreeFormStatement::real(double value)
{
    make_room(real_field_width);
    const std::size_t at = out_.size();
    out_.resize(at + real_field_width);
    put_real_field(out_.data() + at, value);
    column_ += real_field_width;
    return *this;
}

void FreeFormStatement::end()
{
    if (ended_)
        return;
    ended_ = true;
    if (column_ == 0)
        out_ += ' ';
    out_ += '\n';
}

void FreeFormStatement::make_room(int width)
{
    if (column_ > 0 && free_form_record_width - column_ < width) {
        out_ += '\n';
        column_ = 0;
    }
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
            for (std::size_t i = 0; i < block_records * reals_per_record; ++i)
                quotients[i] = values[i] / divisor;
            out = put_real_field_records(out, quotients, block_records);
            values += block_records * reals_per_record;
        }
        for (std::size_t i = 0; i < records * reals_per_record; ++i)
            quotients[i] = values[i] / divisor;
        out = put_real_field_records(out, quotients, records);
    } else {
        out = put_real_field_records(out, values, records);
    }
    values += records * reals_per_record;
    if (const std::size_t rest = count % reals_per_record; rest != 0) {
        for (std::size_t i = 0; i < rest; ++i)
            out = put_real_field(out, divide ? values[i] / divisor : values[i]);
        *out++ = '\n';
    }
    return out;
}

}  // namespace

char* put_real_records(char* out, const double* values, std::size_t count, double divisor) noexcept
{
    return divisor == 1.0 ? put_records<false>(out, values, count, divisor) : put_records<true>(out, values, count, divisor);
}

std::size_t real_records_size(std::size_t count) noexcept
{
    const std::size_t rest = count % reals_per_record;
    return count / reals_per_record * full_record_size + (rest != 0 ? rest * real_field_width + 1 : 0);
}

}  // namespace voxmill
