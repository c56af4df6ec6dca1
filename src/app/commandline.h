#pragma once

#include <span>
#include <string>
#include <string_view>

namespace veltara::app {

// What the command line asks of the program, decided before Qt starts: help and version must work
// without a display, and a mistyped option must not open the window and create the settings file.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::string error{};  // for UsageError: one line, without the program's name or the pointer to help
    // The values of Qt's -platform and -display options, empty when not given.
    std::string platform{};
    std::string x11Display{};
};

// `args` excludes the program name. Qt's own options (-platform NAME, -display DISPLAY, -style=NAME,
// ...) are left for QApplication, with one or two leading dashes as Qt takes them.
CommandLine parseCommandLine(std::span<const std::string_view> args);

std::string helpText();

}  // namespace veltara::app
