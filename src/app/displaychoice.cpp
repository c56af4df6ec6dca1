#include "displaychoice.h"

namespace veltara::app {

DisplayChoice chooseDisplay(const CommandLine& commandLine, const DisplayEnvironment& environment) {
    if (!commandLine.platform.empty() || !environment.qtPlatform.empty()) {
        return {};
    }
    // X11 also in a Wayland session, through XWayland: a Wayland client cannot place its window, and
    // the dialog centres itself on the screen. XWayland also ends with the compositor, which reaches us
    // as a lost X11 connection that Qt ends with exit(), so the settings are saved; Qt's Wayland
    // plug-in ends the program with _exit(), from whichever of its threads sees the loss first.
    if (!commandLine.x11Display.empty() || !environment.x11Display.empty()) {
        return {.action = DisplayChoice::Action::X11};
    }
    if (!environment.waylandDisplay.empty()) {
        return {.action = DisplayChoice::Action::NoDisplay,
                .error =
                    "this Wayland session has no X display (DISPLAY is not set) for the window: turn "
                    "XWayland on, or pass -platform wayland to run it uncentred"};
    }
    return {.action = DisplayChoice::Action::NoDisplay,
            .error =
                "no display: start it in a desktop session, or set DISPLAY to an X server (e.g. DISPLAY=:0)"};
}

}  // namespace veltara::app
