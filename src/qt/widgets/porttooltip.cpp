#include "porttooltip.h"

namespace veltara::qt {

namespace {

constexpr const char* kDialoutHint = "add your user to the dialout group";

QString withHint(const QString& error) {
    if (error.contains(QLatin1String("permission denied"), Qt::CaseInsensitive) &&
        !error.contains(QLatin1String("dialout"), Qt::CaseInsensitive)) {
        return error + QLatin1String(": ") + QLatin1String(kDialoutHint);
    }
    return error;
}

}  // namespace

QString portToolTip(const std::string& entry, const std::string& device, const std::string& openingError) {
    if (entry.empty()) {
        return QStringLiteral("No port selected");
    }
    const QString name = QString::fromStdString(entry);
    QString tip = device.empty() ? name + QStringLiteral(": no device is known for this port")
                                 : name + QStringLiteral(" is ") + QString::fromStdString(device);
    if (!openingError.empty()) {
        tip += QStringLiteral("\nOpening it failed: ") + withHint(QString::fromStdString(openingError));
    }
    return tip;
}

}  // namespace veltara::qt
