#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace veltara::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitConverterSaidNo = 1;  // also: a frame whose checksum is wrong
inline constexpr int kExitUsageOrIo = 2;

// Runs one command line (without the program name); a QCoreApplication must exist.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace veltara::cli
