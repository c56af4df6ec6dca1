#pragma once

#include <string>
#include <string_view>

#include "commandline.h"

namespace veltara::app {

// The variables a desktop session sets for its programs; empty when unset.
struct DisplayEnvironment {
    std::string_view qtPlatform{};      // QT_QPA_PLATFORM
    std::string_view x11Display{};      // DISPLAY
    std::string_view waylandDisplay{};  // WAYLAND_DISPLAY
};

// Where the window goes, decided before QApplication loads a platform plug-in: one that finds no
// display aborts the program with a message about plug-ins.
struct DisplayChoice {
    enum class Action { AsAsked, X11, NoDisplay };
    Action action = Action::AsAsked;
    std::string error{};  // for NoDisplay: one line, without the program's name
};

DisplayChoice chooseDisplay(const CommandLine& commandLine, const DisplayEnvironment& environment);

// The choice for this process's environment; only desktops that are X11 or Wayland have one to make.
DisplayChoice chooseDisplayHere(const CommandLine& commandLine);

}  // namespace veltara::app
