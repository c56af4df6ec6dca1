// Writes the application icon as PNG files for the desktop's icon theme, at build time.
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "appicon.h"

int main(int argc, char** argv) {
    if (argc < 3 || (argc - 1) % 2 != 0) {
        std::fprintf(stderr, "usage: veltara-icon-export SIZE FILE [SIZE FILE...]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QIcon icon = veltara::qt::applicationIcon();
    for (int i = 1; i + 1 < argc; i += 2) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0 || !icon.pixmap(size, size).save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "veltara-icon-export: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
