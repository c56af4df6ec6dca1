// Writes the application icon for the desktop's icon theme at build time: PNG files at given sizes and
// the scalable SVG.
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "widgets/appicon.h"

int main(int argc, char** argv) {
    if (argc < 3 || (argc - 1) % 2 != 0) {
        std::fprintf(stderr, "usage: veltara-icon-export SIZE|svg FILE [SIZE|svg FILE...]\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString kind = QString::fromLocal8Bit(argv[i]);
        const QString path = QString::fromLocal8Bit(argv[i + 1]);
        bool written = false;
        if (kind == QLatin1String("svg")) {
            QFile file(path);
            const QByteArray svg = veltara::qt::applicationIconSvg();
            written = file.open(QIODevice::WriteOnly) && file.write(svg) == svg.size() && file.flush();
        } else if (const int size = kind.toInt(); size > 0) {
            written = veltara::qt::applicationIconImage(size).save(path, "PNG");
        }
        if (!written) {
            std::fprintf(stderr, "veltara-icon-export: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
