#include "commandline/commandline.h"

#include <algorithm>
#include <sstream>

#include "commandline/printable.h"

namespace veltara::commandline {

namespace {

const std::vector<std::string> kNone;

std::string quoted(std::string_view text) {
    return "'" + printable(text) + "'";
}

std::string dashed(const Option& option) {
    return "--" + std::string(option.name);
}

const Option* findLong(std::span<const Option> options, std::string_view name) {
    const auto found =
        std::find_if(options.begin(), options.end(), [&](const Option& o) { return o.name == name; });
    return found == options.end() ? nullptr : &*found;
}

// Appends `text` to `out` wrapped at kHelpWidth with `indent` spaces before each line; the first line
// continues whatever `out` holds in its last line, which is `column` wide.
void wrap(std::string& out, std::string_view text, std::size_t indent, std::size_t column) {
    std::istringstream words{std::string(text)};
    std::string word;
    bool first = true;
    while (words >> word) {
        if (!first && column + 1 + word.size() > kHelpWidth) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        first = false;
    }
}

void paragraphs(std::string& out, std::string_view text) {
    std::size_t start = 0;
    std::string paragraph;
    auto flush = [&] {
        if (!paragraph.empty()) {
            wrap(out, paragraph, 0, 0);
            out += '\n';
            paragraph.clear();
        }
    };
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        if (line.empty()) {
            flush();
            out += '\n';
        } else if (line.front() == ' ') {
            flush();
            out += std::string(line) + '\n';
        } else {
            paragraph += (paragraph.empty() ? "" : " ") + std::string(line);
        }
        start = end + 1;
    }
    flush();
}

}  // namespace

std::optional<std::string> Arguments::value(std::string_view name) const {
    const auto found = m_values.find(name);
    if (found == m_values.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second.back();
}

const std::vector<std::string>& Arguments::values(std::string_view name) const {
    const auto found = m_values.find(name);
    return found == m_values.end() ? kNone : found->second;
}

std::optional<std::string> parse(std::span<const std::string> args, std::span<const Option> options,
                                 Arguments& into) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            into.m_operands.insert(into.m_operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                   args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            into.m_operands.push_back(arg);
            continue;
        }
        const Option* option = nullptr;
        std::string_view name = arg;
        std::optional<std::string> attached;
        if (arg[1] == '-') {
            name.remove_prefix(2);
        } else if (arg.size() == 2) {
            const auto found = std::find_if(options.begin(), options.end(),
                                            [&](const Option& o) { return o.shortName == arg[1]; });
            option = found == options.end() ? nullptr : &*found;
        } else {
            name.remove_prefix(1);
        }
        if (!option && name != arg) {
            if (const auto equals = name.find('='); equals != std::string_view::npos) {
                attached = std::string(name.substr(equals + 1));
                name = name.substr(0, equals);
            }
            option = findLong(options, name);
            if (option && arg[1] != '-' && !option->singleDash) {
                option = nullptr;
            }
        }
        if (!option) {
            return "unknown option " + quoted(attached ? arg.substr(0, arg.find('=')) : arg);
        }
        std::string value;
        if (option->valueName.empty()) {
            if (attached) {
                return dashed(*option) + " takes no value";
            }
        } else if (attached) {
            value = *attached;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return dashed(*option) + " needs a value (" + std::string(option->valueName) + ")";
        }
        auto& values = into.m_values[std::string(option->name)];
        if (!values.empty() && !option->repeatable && !option->valueName.empty()) {
            return dashed(*option) + " is given twice";
        }
        if (values.empty()) {
            into.m_given.emplace_back(option->name);
        }
        values.push_back(std::move(value));
    }
    return std::nullopt;
}

std::optional<std::string> excludeEachOther(const Arguments& arguments,
                                            std::initializer_list<std::string_view> names) {
    std::vector<std::string_view> present;
    for (const std::string& given : arguments.given()) {
        if (std::find(names.begin(), names.end(), given) != names.end()) {
            present.push_back(given);
        }
    }
    if (present.size() < 2) {
        return std::nullopt;
    }
    return "--" + std::string(present[0]) + " and --" + std::string(present[1]) + " exclude each other";
}

std::string helpText(const Help& help) {
    std::string out(help.usage);
    if (!out.empty() && out.back() != '\n') {
        out += '\n';
    }
    if (!help.description.empty()) {
        out += '\n';
        paragraphs(out, help.description);
    }
    std::vector<std::pair<std::string, const Option*>> listed;
    std::size_t width = 0;
    for (const Option& option : help.options) {
        if (option.hidden) {
            continue;
        }
        std::string names = option.shortName ? std::string("-") + option.shortName + ", " : "    ";
        names += dashed(option);
        if (!option.valueName.empty()) {
            names += " " + std::string(option.valueName);
        }
        width = std::max(width, names.size());
        listed.emplace_back(std::move(names), &option);
    }
    if (!listed.empty()) {
        out += "\nOptions:\n";
        // A long name pushes its text to the next line rather than every text to the right.
        width = std::min<std::size_t>(width, 26);
        for (const auto& [names, option] : listed) {
            out += "  " + names;
            std::size_t column = 2 + names.size();
            if (names.size() > width) {
                out += '\n';
                column = 0;
            }
            out += std::string(2 + width + 2 - column, ' ');
            wrap(out, option->help, 2 + width + 2, 2 + width + 2);
            out += '\n';
        }
    }
    if (!help.epilogue.empty()) {
        out += '\n';
        paragraphs(out, help.epilogue);
    }
    return out;
}

std::string usageLine(std::string_view program, std::string_view command, std::string_view text) {
    std::string line(program);
    line += ": ";
    line += text;
    line += " (see '";
    line += program;
    line += command.empty() ? "" : " ";
    line += command;
    line += " --help')\n";
    return line;
}

}  // namespace veltara::commandline
