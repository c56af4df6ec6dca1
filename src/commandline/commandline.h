#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltara::commandline {

// One option of a program or command. Every program reads its command line through this table, so that
// an option behaves the same everywhere:
//   --name VALUE and --name=VALUE alike; the value is taken as it stands, even when it starts with '-'
//   or is empty (the command decides whether an empty value means anything);
//   a flag refuses a value (--json=yes); a single-valued option given twice is refused;
//   -- ends the options, and a lone - is an operand (standard input, where a command takes it).
struct Option {
    std::string_view name = {};       // the long name without dashes: "port"
    std::string_view valueName = {};  // "PORT" for an option that takes a value; empty for a flag
    std::string_view help = {};       // what the help says of it, wrapped there
    char shortName = 0;               // 'h' for -h
    bool repeatable = false;
    bool singleDash = false;  // also taken as -name (the toolkit's own options: -platform xcb)
    bool hidden = false;      // taken but not listed in the help
};

inline constexpr Option kHelpOption{.name = "help", .help = "show this text and exit", .shortName = 'h'};
inline constexpr Option kVersionOption{
    .name = "version", .help = "show the version and exit", .shortName = 'V'};

// What a command line said, by option name.
class Arguments {
public:
    bool has(std::string_view name) const { return m_values.find(name) != m_values.end(); }
    // The value of a single-valued option, if given.
    std::optional<std::string> value(std::string_view name) const;
    // Every value of a repeatable option, in the order given.
    const std::vector<std::string>& values(std::string_view name) const;
    const std::vector<std::string>& operands() const { return m_operands; }
    // The options given, in order, each once: for naming the first of two that exclude each other.
    const std::vector<std::string>& given() const { return m_given; }

private:
    friend std::optional<std::string> parse(std::span<const std::string>, std::span<const Option>,
                                            Arguments&);
    std::map<std::string, std::vector<std::string>, std::less<>> m_values;
    std::vector<std::string> m_operands;
    std::vector<std::string> m_given;
};

// Reads `args` (without the program's name) against `options`; on a usage error returns its one-line
// text, with whatever came from the command line made printable.
std::optional<std::string> parse(std::span<const std::string> args, std::span<const Option> options,
                                 Arguments& into);

// The first option of `names` given together with another of them, as "--a and --b exclude each other".
std::optional<std::string> excludeEachOther(const Arguments& arguments,
                                            std::initializer_list<std::string_view> names);

// A program's or a command's help: the usage lines as written, then the description with its paragraphs
// (separated by an empty line) wrapped to 79 columns — a line that starts with a space is kept as it
// stands — then the options listed from the table.
struct Help {
    std::string_view usage = {};
    std::string_view description = {};
    std::span<const Option> options = {};
    std::string_view epilogue = {};  // after the options, wrapped as the description is
};

inline constexpr std::size_t kHelpWidth = 79;

std::string helpText(const Help& help);

// "PROGRAM: TEXT (see 'PROGRAM [COMMAND] --help')": one line that says what is wrong and where the help
// is; the help itself would bury the error.
std::string usageLine(std::string_view program, std::string_view command, std::string_view text);

}  // namespace veltara::commandline
