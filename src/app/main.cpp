#include <QApplication>

#include <cstdio>
#include <string_view>
#include <vector>

#include "application.h"
#include "commandline.h"
#include "commandline/commandline.h"
#include "commandline/printable.h"
#include "displaychoice.h"
#include "widgets/appicon.h"

int main(int argc, char* argv[]) {
    // Decided before QApplication exists: it would load the display's platform plugin first, and abort
    // when there is no display.
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const veltara::app::CommandLine commandLine = veltara::app::parseCommandLine(args);
    switch (commandLine.action) {
        case veltara::app::CommandLine::Action::Help:
            std::fputs(veltara::app::helpText().c_str(), stdout);
            return 0;
        case veltara::app::CommandLine::Action::Version:
            std::printf("veltara %s\n", VELTARA_VERSION);
            return 0;
        case veltara::app::CommandLine::Action::UsageError:
            std::fputs(veltara::commandline::usageLine("veltara", {},
                                                       veltara::commandline::printable(commandLine.error))
                           .c_str(),
                       stderr);
            return 2;
        case veltara::app::CommandLine::Action::Run:
            break;
    }
    const veltara::app::DisplayChoice display = veltara::app::chooseDisplayHere(commandLine);
    switch (display.action) {
        case veltara::app::DisplayChoice::Action::NoDisplay:
            std::fprintf(stderr, "veltara: %s\n", display.error.c_str());
            return 2;
        case veltara::app::DisplayChoice::Action::X11:
            qputenv("QT_QPA_PLATFORM", "xcb");
            break;
        case veltara::app::DisplayChoice::Action::AsAsked:
            break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltara"));
    QApplication::setApplicationVersion(QStringLiteral(VELTARA_VERSION));
    QApplication::setWindowIcon(veltara::qt::applicationIcon());
    veltara::app::Application program;
    return program.run();
}
