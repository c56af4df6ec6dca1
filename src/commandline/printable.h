#pragma once

#include <string>
#include <string_view>

namespace veltara::commandline {

// Text someone else wrote (an argument, a file name, a link's target, standard input) made safe to print
// on one line: control characters and bytes that are not UTF-8 become \xNN, so that nothing read can
// move the cursor, recolour the terminal or start a line of its own in output that scripts parse.
std::string printable(std::string_view text);

}  // namespace veltara::commandline
