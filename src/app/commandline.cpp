#include "commandline.h"

#include <array>
#include <vector>

#include "commandline/commandline.h"

namespace veltara::app {

namespace {

using commandline::Option;

// The options that QGuiApplication, QApplication and the X11 platform plugin take out of argv, with one
// dash or two as Qt takes them; they are left in argv for QApplication.
constexpr Option qtValue(std::string_view name) {
    return {.name = name, .valueName = "VALUE", .repeatable = true, .singleDash = true, .hidden = true};
}
constexpr Option qtFlag(std::string_view name) {
    return {.name = name, .repeatable = true, .singleDash = true, .hidden = true};
}

constexpr std::array kOptions{
    commandline::kHelpOption,
    commandline::kVersionOption,
    qtValue("platform"),
    qtValue("platformpluginpath"),
    qtValue("platformtheme"),
    qtValue("plugin"),
    qtValue("qwindowgeometry"),
    qtValue("geometry"),
    qtValue("qwindowtitle"),
    qtValue("title"),
    qtValue("qwindowicon"),
    qtValue("icon"),
    qtValue("session"),
    qtValue("style"),
    qtValue("stylesheet"),
    qtValue("display"),
    qtValue("name"),
    qtValue("visual"),
    qtValue("qmljsdebugger"),
    qtFlag("reverse"),
    qtFlag("testability"),
    qtFlag("widgetcount"),
    qtFlag("sync"),
    qtFlag("nograb"),
    qtFlag("dograb"),
};

}  // namespace

std::string helpText() {
    return commandline::helpText(
        {.usage = "Usage: veltara [--help | --version] [Qt options]",
         .description =
             "Opens the configuration dialog of the RS232-CAN bus converter. The settings are kept in "
             "quorvel.ini in the current directory, read at start and written when the dialog "
             "closes. COM1 to COM8 are looked up in ~/.config/veltara/ports/ (under "
             "$XDG_CONFIG_HOME if set); see veltara(1).",
         .options = kOptions,
         .epilogue = "Qt's own options are passed on to Qt, with one or two dashes, e.g.\n"
                     "  -platform NAME, -display DISPLAY, -style NAME, -reverse."});
}

CommandLine parseCommandLine(std::span<const std::string_view> args) {
    const std::vector<std::string> copies(args.begin(), args.end());
    commandline::Arguments arguments;
    if (const auto problem = commandline::parse(copies, kOptions, arguments)) {
        return {.action = CommandLine::Action::UsageError, .error = *problem};
    }
    if (arguments.has("help")) {
        return {.action = CommandLine::Action::Help};
    }
    if (arguments.has("version")) {
        return {.action = CommandLine::Action::Version};
    }
    if (!arguments.operands().empty()) {
        return {.action = CommandLine::Action::UsageError,
                .error = "unexpected argument '" + arguments.operands().front() + "'"};
    }
    // Qt's -platform and -display decide the window system before the session's variables do.
    return {.platform = arguments.value("platform").value_or(""),
            .x11Display = arguments.value("display").value_or("")};
}

}  // namespace veltara::app
