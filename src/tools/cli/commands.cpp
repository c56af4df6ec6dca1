#include "commands.h"

#include <algorithm>
#include <array>

#include "commandline/printable.h"

namespace veltara::cli {

namespace {

constexpr std::array<const Command*, 5> kCommands = {&kEncodeCommand, &kSaveCommand, &kDecodeCommand,
                                                     &kProgramCommand, &kPortsCommand};

constexpr commandline::Option kProgramOptions[] = {commandline::kHelpOption, commandline::kVersionOption};

std::string generalHelp() {
    std::string description =
        "Programs an RS232-CAN bus converter and reads, writes and checks its configuration without the "
        "window.\n\nCommands:\n";
    for (const Command* command : kCommands) {
        std::string line = "  " + std::string(command->name);
        line.resize(12, ' ');
        description += line + std::string(command->summary) + "\n";
    }
    description +=
        "\n'veltara-cli help COMMAND' or 'veltara-cli COMMAND --help' shows a command's options.\n\nExit "
        "codes: 0 success, 1 the converter said no or did not answer (decode: wrong checksum), 2 usage, "
        "file or port error.";
    return commandline::helpText({.usage = "Usage: veltara-cli COMMAND [OPTIONS]\n"
                                           "       veltara-cli help [COMMAND]",
                                  .description = description,
                                  .options = kProgramOptions});
}

const Command* findCommand(std::string_view name) {
    const auto found =
        std::find_if(kCommands.begin(), kCommands.end(), [&](const Command* c) { return c->name == name; });
    return found == kCommands.end() ? nullptr : *found;
}

int unknownCommand(Streams& io, std::string_view name) {
    return usageError(io, {}, "unknown command '" + std::string(name) + "'");
}

int runCommand(const Command& command, std::span<const std::string> args, Streams& io) {
    commandline::Arguments arguments;
    std::optional<std::string> problem = commandline::parse(args, command.help.options, arguments);
    if (!problem && arguments.has("help")) {
        io.out << commandline::helpText(command.help);
        return kExitSuccess;
    }
    if (!problem && arguments.has("version")) {
        io.out << kProgram << ' ' << VELTARA_VERSION << '\n';
        return kExitSuccess;
    }
    if (!problem) {
        return command.run(arguments, io);
    }
    // Scripts that asked for JSON get their one document also when the command line is wrong.
    if (command.usageDocument) {
        command.usageDocument(args, *problem, io);
    }
    return usageError(io, command.name, *problem);
}

}  // namespace

int fail(Streams& io, std::string_view text) {
    io.err << kProgram << ": " << commandline::printable(text) << '\n';
    return kExitUsageOrIo;
}

int usageError(Streams& io, std::string_view command, std::string_view text) {
    io.err << commandline::usageLine(kProgram, command, commandline::printable(text));
    return kExitUsageOrIo;
}

int run(std::span<const std::string> args, Streams& io) {
    if (args.empty()) {
        return usageError(io, {}, "no command given");
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        io.out << generalHelp();
        return kExitSuccess;
    }
    if (first == "--version" || first == "-V") {
        io.out << kProgram << ' ' << VELTARA_VERSION << '\n';
        return kExitSuccess;
    }
    if (first == "help") {
        if (args.size() == 1) {
            io.out << generalHelp();
            return kExitSuccess;
        }
        const Command* command = findCommand(args[1]);
        if (!command || args.size() > 2) {
            return command ? usageError(io, {}, "help takes one command") : unknownCommand(io, args[1]);
        }
        io.out << commandline::helpText(command->help);
        return kExitSuccess;
    }
    if (first.starts_with("-")) {
        return usageError(io, {}, "unknown option '" + first + "' (options follow the command)");
    }
    const Command* command = findCommand(first);
    if (!command) {
        return unknownCommand(io, first);
    }
    return runCommand(*command, args.subspan(1), io);
}

}  // namespace veltara::cli
