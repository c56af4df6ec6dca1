#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace veltara::commandline {

// Text someone else wrote (an argument, a file name, a link's target, standard input) made safe to print
// on one line: control characters and bytes that are not UTF-8 become \xNN, so that nothing read can
// move the cursor, recolour the terminal or start a line of its own in output that scripts parse.
std::string printable(std::string_view text);

// The length of the well-formed UTF-8 sequence at the start of `text` (no overlong forms, no surrogates,
// nothing above U+10FFFF), or 0 when it starts with none.
std::size_t utf8SequenceLength(std::string_view text);

}  // namespace veltara::commandline
