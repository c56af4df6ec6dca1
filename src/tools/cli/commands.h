#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commandline/commandline.h"

namespace veltara::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitConverterSaidNo = 1;  // also: a frame whose checksum is wrong
inline constexpr int kExitUsageOrIo = 2;

inline constexpr std::string_view kProgram = "veltara-cli";

// Where a command reads and writes. Passed in, never std::cin/std::cerr directly, so that a whole
// command line runs in-process (the usage tests) exactly as it runs from a shell.
struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;   // nobody types a frame into a terminal: decode does not wait for one
    bool errIsTerminal = false;  // progress is drawn only where a person watches
};

// One command of the table: what `veltara-cli NAME` does, its help and its options.
struct Command {
    std::string_view name;
    std::string_view summary;  // its line in the general help
    commandline::Help help;
    int (*run)(const commandline::Arguments& arguments, Streams& io);
    // What a script that asked for JSON gets when the command line is wrong; null when the command
    // prints no JSON.
    void (*usageDocument)(std::span<const std::string> args, std::string_view error, Streams& io) = nullptr;
};

// The command table, one entry per family file.
extern const Command kEncodeCommand;
extern const Command kSaveCommand;
extern const Command kDecodeCommand;
extern const Command kProgramCommand;
extern const Command kPortsCommand;

// "veltara-cli: TEXT" on stderr, with the text made printable; returns kExitUsageOrIo.
int fail(Streams& io, std::string_view text);
// The usage error line that points at the command's help; returns kExitUsageOrIo.
int usageError(Streams& io, std::string_view command, std::string_view text);

// Runs one command line (without the program name); a QCoreApplication must exist.
int run(std::span<const std::string> args, Streams& io);

}  // namespace veltara::cli
