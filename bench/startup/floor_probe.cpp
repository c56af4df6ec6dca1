// The toolkit's floor: an empty Qt dialog of the configuration dialog's size and caption. With
// --with-text it also shows one line of text, which is what it takes to bring up the font system.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <cstring>

#include "firstpaint.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("RS232-CAN BUS Configuration"));
    dialog.setFixedSize(780, 596);
    if (argc > 1 && std::strcmp(argv[1], "--with-text") == 0) {
        (new QLabel(QStringLiteral("RS232-CAN Bus Converter"), &dialog))->move(256, 8);
    }
    veltara::bench::reportFirstPaintThenClose(dialog);
    dialog.show();
    return QApplication::exec();
}
