#include "portnames.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace veltara::qt {

namespace {

constexpr int kOnboardPorts = 4;  // COM1..COM4 are the on-board UARTs, the rest USB adapters

bool validPort(int port) {
    return port >= kFirstCommPort && port <= kLastCommPort;
}

QString resolved(const QFileInfo& info) {
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) {
        return canonical;
    }
    // A dangling link still names the device the user meant; opening it reports it missing.
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

}  // namespace

int parseComName(std::string_view name) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (name.size() == 4 && upper(name[0]) == 'C' && upper(name[1]) == 'O' && upper(name[2]) == 'M' &&
        name[3] >= '1' && name[3] <= '8') {
        return name[3] - '0';
    }
    return 0;
}

QString portFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/veltara/ports");
}

QString portEntryPath(int port) {
    return portFolder() + QStringLiteral("/COM") + QString::number(port);
}

QString portDevice(int port) {
    if (!validPort(port)) {
        return {};
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(port);
#else
    const QFileInfo entry(portEntryPath(port));
    if (entry.isSymLink() || entry.exists()) {
        return resolved(entry);
    }
    const QString fallback = port <= kOnboardPorts
                                 ? QStringLiteral("/dev/ttyS%1").arg(port - 1)
                                 : QStringLiteral("/dev/ttyUSB%1").arg(port - kOnboardPorts - 1);
    return resolved(QFileInfo(fallback));
#endif
}

}  // namespace veltara::qt
