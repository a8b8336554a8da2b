#include "formats/potcar.hpp"

#include "model.hpp"
#include "text/blank_padding.hpp"
#include "text/free_form_reader.hpp"

namespace voxmill {

std::vector<std::string> specpot(const std::string& path)
{
    TextSource potcar(path);
    std::vector<std::string> labels;
    for (;;) {
        std::string keyword, ignored, label;
        FreeFormRead group(potcar);
        if (!group.try_text(keyword, text_length) || !group.try_text(ignored, text_length)
            || !group.try_text(ignored, text_length) || !group.try_text(label, text_length))
            break;
        if (without_trailing_blanks(keyword) == "TITEL") labels.emplace_back(without_trailing_blanks(label));
    }
    return labels;
}

}  // namespace voxmill
