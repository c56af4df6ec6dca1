#pragma once

#include <string>

#include "fakes.h"

namespace veltara::test {

// The small programs that tests run as another user (or kill mid-way) report on stdout, a line for each
// message shown: "PHASE<tab>TITLE<tab>TEXT". The messages are cleared, so each phase prints its own.
void printMessages(const char* phase, FakeMessageBoxes& messages);

// Makes `directory` the current one, as the program is started there; says why not on stderr.
bool enterDirectory(const char* directory);

// runuser's path, or empty when the system has none.
std::string runuserPath();

}  // namespace veltara::test
