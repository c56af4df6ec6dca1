#include <QApplication>

#include "appicon.h"
#include "application.h"

int main(int argc, char* argv[]) {
    // Qt takes its own options (-platform, -display); the program has none of its own.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltara"));
    QApplication::setWindowIcon(veltara::qt::applicationIcon());
    veltara::qt::Application program;
    return program.run();
}
