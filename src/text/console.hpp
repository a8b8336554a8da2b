// Standard output, record by record, and notes on standard error. Each record
// is handed to the system at once, so that a progress line shows before the
// long step it announces.
#pragma once

#include <string_view>

namespace voxmill::console {

// Writes records already laid out, each ended by a line feed.
void write(std::string_view records);

// A free-form line of one text: a blank, then the text.
void line(std::string_view text);

// The empty line of free-form output: one blank.
void empty_line();

// A message on standard error: "voxmill: " + text.
void note(std::string_view text);

// Standard output stays empty from here on; notes still go to standard error.
void silence();

}  // namespace voxmill::console
