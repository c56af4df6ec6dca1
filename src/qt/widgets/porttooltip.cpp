#include "porttooltip.h"

namespace veltara::qt {

namespace {

constexpr const char* kDialoutHint = "add your user to the dialout group";

QString described(const core::Error& error) {
    QString text = QString::fromStdString(error.text);
    if (error.code == core::ErrorCode::PermissionDenied) {
        text += QLatin1String(": ") + QLatin1String(kDialoutHint);
    }
    return text;
}

}  // namespace

QString portToolTip(const std::string& entry, const std::string& device,
                    const std::optional<core::Error>& openingError) {
    if (entry.empty()) {
        return QStringLiteral("No port selected");
    }
    const QString name = QString::fromStdString(entry);
    QString tip = device.empty() ? name + QStringLiteral(": no device is known for this port")
                                 : name + QStringLiteral(" is ") + QString::fromStdString(device);
    if (openingError) {
        tip += QStringLiteral("\nOpening it failed: ") + described(*openingError);
    }
    return tip;
}

}  // namespace veltara::qt
