#include "commandline.h"

#include <algorithm>
#include <array>

namespace veltara::app {

namespace {

// The options that QGuiApplication, QApplication and the X11 platform plugin take out of argv.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue = {"platform",
                                                                  "platformpluginpath",
                                                                  "platformtheme",
                                                                  "plugin",
                                                                  "qwindowgeometry",
                                                                  "geometry",
                                                                  "qwindowtitle",
                                                                  "title",
                                                                  "qwindowicon",
                                                                  "icon",
                                                                  "session",
                                                                  "style",
                                                                  "stylesheet",
                                                                  "display",
                                                                  "name",
                                                                  "visual"};
constexpr std::array<std::string_view, 6> kQtFlags = {"reverse", "testability", "widgetcount",
                                                      "sync",    "nograb",      "dograb"};
constexpr std::array<std::string_view, 3> kQtOptionsWithJoinedValue = {
    "style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

bool startsWithAny(std::string_view name) {
    return std::any_of(kQtOptionsWithJoinedValue.begin(), kQtOptionsWithJoinedValue.end(),
                       [name](std::string_view prefix) { return name.starts_with(prefix); });
}

CommandLine usageError(std::string text) {
    return {.action = CommandLine::Action::UsageError, .error = std::move(text) + "; see 'veltara --help'"};
}

}  // namespace

const char* const kHelpText = R"(Usage: veltara [--help | --version] [Qt options]

Opens the configuration dialog of the RS232-CAN bus converter. The settings are
kept in quorvel.ini in the current directory, read at start and written when the
dialog closes. COM1 to COM8 are looked up in ~/.config/veltara/ports/ (under
$XDG_CONFIG_HOME if set); see veltara(1).

Options:
  -h, --help     show this text and exit
  --version      show the version and exit

Qt's own options are passed on to Qt, with one or two dashes, e.g.
-platform NAME, -display DISPLAY, -style NAME, -reverse.
)";

CommandLine parseCommandLine(std::span<const std::string_view> args) {
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            return {.action = CommandLine::Action::Help};
        }
        if (arg == "--version") {
            return {.action = CommandLine::Action::Version};
        }
        if (arg.size() < 2 || arg[0] != '-') {
            return usageError("unexpected argument '" + std::string(arg) + "'");
        }
        std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
        if (contains(kQtOptionsWithValue, name)) {
            if (i + 1 == args.size()) {
                return usageError("option '" + std::string(arg) + "' needs a value");
            }
            ++i;
            if (name == "platform") {
                result.platform = args[i];
            } else if (name == "display") {
                result.x11Display = args[i];
            }
        } else if (!contains(kQtFlags, name) && !startsWithAny(name)) {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    return result;
}

}  // namespace veltara::app
