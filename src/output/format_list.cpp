#include "output/format_list.hpp"

#include <cctype>
#include <stdexcept>
#include <string>

#include "output/fixed_fields.hpp"

namespace voxmill {

namespace {

[[noreturn]] void bad_list(std::string_view list, std::string_view why)
{
    throw std::invalid_argument("format list \"" + std::string(list) + "\": " + std::string(why));
}

// Reads an unsigned number at `pos`; -1 when there is no digit there.
int read_number(std::string_view text, std::size_t& pos)
{
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        return -1;
    int n = 0;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
        n = n * 10 + (text[pos] - '0');
        if (n > 100000)
            throw std::invalid_argument("format list: number too large");
    }
    return n;
}

template <class T>
const T& item_as(const FormatItem& item, char kind)
{
    const T* value = std::get_if<T>(&item);
    if (!value)
        throw std::invalid_argument(std::string("format list: item of the wrong type for descriptor ") + kind);
    return *value;
}

}  // namespace

FormatList::FormatList(std::string_view list)
{
    // Blanks inside a format list mean nothing.
    std::string compact;
    for (char c : list)
        if (c != ' ')
            compact += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (compact.size() < 2 || compact.front() != '(' || compact.back() != ')')
        bad_list(list, "not enclosed in parentheses");
    const std::string_view body = std::string_view(compact).substr(1, compact.size() - 2);

    std::size_t pos = 0;
    while (pos < body.size()) {
        const int count = read_number(body, pos);
        if (count == 0)
            bad_list(list, "a count of zero");
        if (pos >= body.size())
            bad_list(list, "a count without a descriptor");
        const char kind = body[pos++];
        Descriptor d{kind, -1, 0};
        switch (kind) {
        case 'X':
            d.width = count < 0 ? 1 : count;
            break;
        case 'A':
            d.width = read_number(body, pos);  // -1: A without width
            break;
        case 'I':
            d.width = read_number(body, pos);
            if (d.width < 0)
                bad_list(list, "I without a width");
            break;
        case 'F':
            d.width = read_number(body, pos);
            if (d.width <= 0 || pos >= body.size() || body[pos] != '.')
                bad_list(list, "F needs the form Fw.d");
            ++pos;
            d.decimals = read_number(body, pos);
            if (d.decimals < 0 || d.decimals > fields::max_decimals)
                bad_list(list, "F needs the form Fw.d");
            break;
        default:
            bad_list(list, std::string("unknown descriptor ") + kind);
        }
        // nX is one field of n blanks; a count before a data descriptor repeats it.
        const int copies = (kind == 'X' || count < 0) ? 1 : count;
        descriptors_.insert(descriptors_.end(), static_cast<std::size_t>(copies), d);
        if (pos < body.size() && body[pos++] != ',')
            bad_list(list, "descriptors must be separated by commas");
        if (pos == body.size() && body.back() == ',')
            bad_list(list, "a trailing comma");
    }
}

std::string FormatList::write(std::span<const FormatItem> items) const
{
    std::string out;
    write_records(out, items, false);
    return out;
}

std::string FormatList::write_text(std::span<const FormatItem> items, std::size_t length) const
{
    std::string text;
    write_records(text, items, true);
    text.resize(length, ' ');
    return text;
}

void FormatList::write_records(std::string& out, std::span<const FormatItem> items, bool one_record) const
{
    bool has_data = false;
    for (const Descriptor& d : descriptors_)
        has_data = has_data || d.kind != 'X';
    if (!has_data && !items.empty())
        throw std::invalid_argument("format list: items but no data descriptor");

    std::size_t next = 0;
    for (;;) {
        for (const Descriptor& d : descriptors_) {
            if (d.kind == 'X') {
                fields::blanks(out, d.width);
                continue;
            }
            if (next == items.size())
                break;
            const FormatItem& item = items[next++];
            switch (d.kind) {
            case 'A': {
                const std::string_view text = item_as<std::string_view>(item, 'A');
                if (d.width < 0)
                    out += text;
                else
                    fields::text(out, text, d.width);
                break;
            }
            case 'I':
                fields::integer(out, item_as<long long>(item, 'I'), d.width);
                break;
            case 'F':
                fields::fixed(out, item_as<double>(item, 'F'), d.width, d.decimals);
                break;
            }
        }
        if (next == items.size())
            break;
        // Reversion: the items outlast the list, so the record ends and the
        // list starts again on a new one.
        if (one_record)
            throw std::invalid_argument("format list: the items need more than one record of the text");
        out += '\n';
    }
    if (!one_record)
        out += '\n';
}

std::string format_record(std::string_view list, std::initializer_list<FormatItem> items)
{
    return FormatList(list).write(std::span<const FormatItem>(items.begin(), items.size()));
}

}  // namespace voxmill
