// The window system the program asks Qt for, from its command line and the session's variables.
#include "app/displaychoice.h"

#include <gtest/gtest.h>

#include <vector>

namespace veltara::app {
namespace {

TEST(DisplayChoice, X11WhereverThereIsAnXServerAndOneLineWhereThereIsNoDisplay) {
    using Action = DisplayChoice::Action;
    struct Case {
        const char* name;
        std::vector<std::string_view> args;
        DisplayEnvironment environment;
        Action action;
        const char* errorStart = "";
    };
    const Case cases[] = {
        {.name = "an X11 session", .args = {}, .environment = {.x11Display = ":0"}, .action = Action::X11},
        {.name = "a Wayland session, with XWayland",
         .args = {},
         .environment = {.x11Display = ":0", .waylandDisplay = "wayland-0"},
         .action = Action::X11},
        {.name = "-display names an X server",
         .args = {"-display", ":1"},
         .environment = {},
         .action = Action::X11},
        {.name = "QT_QPA_PLATFORM decides",
         .args = {},
         .environment = {.qtPlatform = "wayland", .x11Display = ":0", .waylandDisplay = "wayland-0"},
         .action = Action::AsAsked},
        {.name = "--platform decides, without a display",
         .args = {"--platform", "offscreen"},
         .environment = {},
         .action = Action::AsAsked},
        {.name = "a Wayland session without XWayland",
         .args = {},
         .environment = {.waylandDisplay = "wayland-0"},
         .action = Action::NoDisplay,
         .errorStart = "this Wayland session has no X display"},
        {.name = "no display",
         .args = {"-style", "Fusion"},
         .environment = {},
         .action = Action::NoDisplay,
         .errorStart = "no display: "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLine commandLine = parseCommandLine(c.args);
        ASSERT_EQ(commandLine.action, CommandLine::Action::Run);
        const DisplayChoice choice = chooseDisplay(commandLine, c.environment);
        EXPECT_EQ(choice.action, c.action);
        EXPECT_EQ(choice.error.rfind(c.errorStart, 0), 0u) << choice.error;
        EXPECT_EQ(choice.error.empty(), c.action != Action::NoDisplay);
    }
}

}  // namespace
}  // namespace veltara::app
