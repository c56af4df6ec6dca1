#include <cstdlib>

#include "displaychoice.h"

namespace veltara::app {

namespace {

std::string_view variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

DisplayChoice chooseDisplayHere(const CommandLine& commandLine) {
    return chooseDisplay(commandLine, {.qtPlatform = variable("QT_QPA_PLATFORM"),
                                       .x11Display = variable("DISPLAY"),
                                       .waylandDisplay = variable("WAYLAND_DISPLAY")});
}

}  // namespace veltara::app
