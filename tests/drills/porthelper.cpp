// The dialog with its real serial control and no window, run by the drills as another user: prints
// every message it shows, why the port did not open, and whether closing saved the settings.
//
// Usage: drill_port_helper CONFIG_HOME  (the folder that holds veltara/ports/COMn)
#include <QCoreApplication>
#include <cstdio>

#include "fakes.h"
#include "helperprogram.h"
#include "serial/qteventpump.h"
#include "serial/qtserialcontrol.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CONFIG_HOME\n", argv[0]);
        return 2;
    }
    qputenv("XDG_CONFIG_HOME", argv[1]);
    QCoreApplication app(argc, argv);
    using namespace veltara;
    qt::QtSerialControl serial;
    qt::QtEventPump pump;
    core::SteadyClock clock;
    test::DialogFixture fixture{{.serial = &serial, .pump = &pump, .clock = &clock}};
    test::FakeMessageBoxes& messages = fixture.messages;
    core::Dialog& dialog = fixture.dialog;

    dialog.Form_Load();
    dialog.setShown(true);
    test::printMessages("load", messages);
    std::printf("reason\t%s\n", dialog.lastPortError() ? dialog.lastPortError()->text.c_str() : "");
    dialog.btnProgramConfig_Click();
    test::printMessages("press", messages);
    dialog.Form_Unload();
    test::printMessages("unload", messages);
    std::printf("saved\t%d\n", fixture.file.writes);
    return 0;
}
