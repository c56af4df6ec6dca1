// The program exactly as src/app/main.cpp starts it, reporting its first paint and then closing.
#include <QApplication>

#include "app/application.h"
#include "firstpaint.h"
#include "widgets/appicon.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltara"));
    QApplication::setWindowIcon(veltara::qt::applicationIcon());
    veltara::app::Application program;
    veltara::bench::reportFirstPaintThenClose(program.window());
    return program.run();
}
