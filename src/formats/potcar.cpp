#include "formats/potcar.hpp"

#include "model.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

std::vector<std::string> specpot(const std::string& path)
{
    TextSource potcar(path);
    std::vector<std::string> labels;
    // An item that a null value or a slash leaves unfilled keeps what the
    // group before gave it, as in any free-form read.
    std::string items[4];
    for (;;) {
        FreeFormRead group(potcar);
        for (std::string& item : items)
            if (!group.try_text(item, text_length)) return labels;
        if (without_trailing_blanks(items[0]) == "TITEL") labels.emplace_back(without_trailing_blanks(items[3]));
    }
}

}  // namespace voxmill
